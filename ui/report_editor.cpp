#include "ui/report_editor.h"

#include <QKeyEvent>
#include <QLineEdit>

CReportEditor::CReportEditor(QWidget* host) : QObject(host), m_pHost(host) {}

bool CReportEditor::IsEditKey(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

int CReportEditor::NameLength(const QString& text)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    return static_cast<int>(dot < 0 ? text.size() : dot);
}

void CReportEditor::Open(const QRect& rect, const QString& text, Alignment alignment, const QFont& font)
{
    if (!m_pBox) {
        m_pBox = new QLineEdit(m_pHost);
        m_pBox->hide();
        m_pBox->installEventFilter(this);
    }
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    m_pBox->setAlignment(kAlignments[alignment] | Qt::AlignVCenter);
    m_pBox->setFont(font);
    m_pBox->setGeometry(rect);
    m_pBox->setText(text);
    m_pBox->show();
    m_pBox->setSelection(0, NameLength(text));
    m_pBox->setFocus(Qt::OtherFocusReason);
}

void CReportEditor::Hide()
{
    if (m_pBox)
        m_pBox->hide();
}

QString CReportEditor::Text() const
{
    return m_pBox ? m_pBox->text() : QString();
}

bool CReportEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pBox)
        return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsEditKey(key))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Keep window shortcuts from taking the keys before the box sees them.
        event->accept();
        return true;
    }
    emit EditKey(key);
    return true;
}
