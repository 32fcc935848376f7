#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Acts on the next modal window of type Window that opens, as a user would, once it is the active modal
// window. Call before the action that opens it: a modal window blocks the test until it is answered.
// The wait ends with `context` when given, so a window that never came cannot be answered by a later test;
// else with the application.
template <typename Window>
void AnswerNextModal(std::function<void(Window&)> answer, QObject* context = nullptr)
{
    auto* poll = new QTimer(context ? context : QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window)
            return;
        poll->deleteLater();
        poll->stop();
        answer(*window);
    });
    poll->start(10);
}

// Presses `button` (the box's default button when NoButton) in the next message box; records its text.
inline void AnswerNextMessageBox(QMessageBox::StandardButton button = QMessageBox::NoButton, QString* text = nullptr,
                                 QObject* context = nullptr)
{
    AnswerNextModal<QMessageBox>([button, text](QMessageBox& box) {
        if (text)
            *text = box.text();
        QAbstractButton* pressed = box.defaultButton();
        if (button != QMessageBox::NoButton)
            pressed = box.button(button);
        if (!pressed)
            pressed = box.button(QMessageBox::Ok);
        pressed->click();
    }, context);
}
