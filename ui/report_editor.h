#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QFont;
class QKeyEvent;
class QLineEdit;

// The edit box that a CReportCtrl lays over a cell. It is created on first use as a child of the host (the
// list's viewport); the keys that steer an edit are taken from it and handed to the list.
class CReportEditor : public QObject {
    Q_OBJECT

public:
    enum Alignment { kLeft = 0, kCenter = 1, kRight = 2 };

    explicit CReportEditor(QWidget* host);

    // Tab, Shift+Tab, Enter, Esc, Up and Down: the keys that steer an open edit.
    static bool IsEditKey(const QKeyEvent* event);
    // How many leading characters are selected when a text is opened: up to the last ".", else all.
    static int NameLength(const QString& text);

    // Shows the box over rect with the text, its name part selected, and gives it the focus.
    void Open(const QRect& rect, const QString& text, Alignment alignment, const QFont& font);
    void Hide();
    QString Text() const;
    QLineEdit* Box() const { return m_pBox; }

signals:
    void EditKey(QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pHost;
    QLineEdit* m_pBox = nullptr;  // owned by the host
};
