#include "ui/hyperlink.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace {

constexpr int kHoverTimerMs = 100;
constexpr int kHandlerQueryMs = 5000;

// Result codes of GotoURL, in the shell's numbering: above 32 is success.
constexpr int kOpenSucceeded = 33;
constexpr int kOutOfResources = 0;
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kNoAssociation = 31;

struct ErrorMessage {
    int nCode;
    const char* pszText;
};

constexpr ErrorMessage kErrorMessages[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

QString ErrorText(int nResult)
{
    for (const ErrorMessage& message : kErrorMessages) {
        if (message.nCode == nResult)
            return QString::fromLatin1(message.pszText);
    }
    return QString::asprintf("Unknown Error (%d) occurred.", nResult);
}

CHyperLink::Opener& ReplacedOpener()
{
    static CHyperLink::Opener opener;
    return opener;
}

// Undoes the escapes of a desktop entry's string values.
QString UnescapeDesktopValue(const QString& value)
{
    QString strOut;
    strOut.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value.at(i);
        if (ch != u'\\' || i + 1 == value.size()) {
            strOut += ch;
            continue;
        }
        switch (value.at(++i).unicode()) {
        case u's': strOut += u' '; break;
        case u'n': strOut += u'\n'; break;
        case u't': strOut += u'\t'; break;
        case u'r': strOut += u'\r'; break;
        default: strOut += value.at(i); break;
        }
    }
    return strOut;
}

// The Exec line of a desktop entry's main group; empty when it has none.
QString DesktopExecLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool bMainGroup = false;
    while (!file.atEnd()) {
        const QString strLine = QString::fromUtf8(file.readLine()).trimmed();
        if (strLine.startsWith(u'[')) {
            bMainGroup = strLine == u"[Desktop Entry]";
            continue;
        }
        const qsizetype nEquals = strLine.indexOf(u'=');
        if (bMainGroup && nEquals > 0 && QStringView(strLine).left(nEquals).trimmed() == u"Exec")
            return UnescapeDesktopValue(strLine.mid(nEquals + 1).trimmed());
    }
    return {};
}

bool IsTargetFieldCode(QChar ch)
{
    return ch == u'u' || ch == u'U' || ch == u'f' || ch == u'F';
}

// The handler's command line up to where it expects the target: before the first target field code that
// stands in double quotes (cut before its opening quote), else before the first one, else all of it.
QString CutBeforeTargetField(const QString& exec)
{
    qsizetype nFirst = -1;
    for (qsizetype i = 0; i + 1 < exec.size(); ++i) {
        if (exec.at(i) != u'%')
            continue;
        if (exec.at(i + 1) == u'%') {  // an escaped percent sign
            ++i;
            continue;
        }
        if (!IsTargetFieldCode(exec.at(i + 1)))
            continue;
        if (i > 0 && i + 2 < exec.size() && exec.at(i - 1) == u'"' && exec.at(i + 2) == u'"')
            return exec.left(i - 1);
        if (nFirst < 0)
            nFirst = i;
    }
    return nFirst < 0 ? exec : exec.left(nFirst);
}

// Program and arguments of the default HTML handler, the target last; empty when there is no handler.
QStringList HtmlHandlerCommand(const QString& target)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(kHandlerQueryMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString strDesktopId = QString::fromUtf8(query.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
    if (strDesktopId.isEmpty())
        return {};
    const QString strEntry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, strDesktopId);
    if (strEntry.isEmpty())
        return {};

    QStringList command;
    for (QString& strArg : QProcess::splitCommand(CutBeforeTargetField(DesktopExecLine(strEntry)))) {
        // The other field codes (icon, name, entry path) have nothing to stand for here.
        if (strArg.size() == 2 && strArg.at(0) == u'%' && strArg.at(1).isLetter())
            continue;
        command << strArg.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    if (command.isEmpty())
        return {};
    command << target;
    return command;
}

int OpenWithHtmlHandler(const QString& target)
{
    QStringList command = HtmlHandlerCommand(target);
    if (command.isEmpty())
        return kNoAssociation;
    const QString strProgram = command.takeFirst();
    const QString strPath = QStandardPaths::findExecutable(strProgram);
    if (strPath.isEmpty()) {
        const QFileInfo info(strProgram);
        return info.isAbsolute() && info.exists() ? kAccessDenied : kFileNotFound;
    }
    return QProcess::startDetached(strPath, command) ? kOpenSucceeded : kOutOfResources;
}

}  // namespace

// Tells assistive tools that the label is a link, named by its text and described by its target, and lets
// them press it.
class CHyperLinkAccessible : public QAccessibleWidget {
public:
    explicit CHyperLinkAccessible(CHyperLink* pLink) : QAccessibleWidget(pLink, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const CHyperLink* pLink = Link();
        if (t == QAccessible::Name && pLink->accessibleName().isEmpty())
            return pLink->text();
        if (t == QAccessible::Description && pLink->accessibleDescription().isEmpty())
            return pLink->GetURL();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.linked = true;
        st.traversed = Link()->m_bVisited;
        return st;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            Link()->OnClicked();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    CHyperLink* Link() const { return static_cast<CHyperLink*>(widget()); }
};

namespace {

QAccessibleInterface* HyperLinkAccessibleFactory(const QString& key, QObject* object)
{
    auto* pLink = qobject_cast<CHyperLink*>(object);
    if (pLink && key == QLatin1StringView(CHyperLink::staticMetaObject.className()))
        return new CHyperLinkAccessible(pLink);
    return nullptr;
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : CHyperLink(QString(), parent)
{
}

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(parent)
{
    [[maybe_unused]] static const bool bFactoryInstalled = [] {
        QAccessible::installFactory(HyperLinkAccessibleFactory);
        return true;
    }();

    setTextFormat(Qt::PlainText);  // a target may hold '<' or '&'
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Button);
    setForegroundRole(QPalette::WindowText);  // not the button text that goes with the button face
    setAutoFillBackground(true);
    m_fontNormal = font();
    m_fontUnderline = font();
    m_fontUnderline.setUnderline(true);
    m_hoverTimer.setInterval(kHoverTimerMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CHyperLink::OnHoverTimer);
    UpdateColour();
    Attach();
}

void CHyperLink::SetOpener(Opener opener)
{
    ReplacedOpener() = std::move(opener);
}

void CHyperLink::SetURL(const QString& target)
{
    m_strURL = target;
    Attach();
}

void CHyperLink::Attach()
{
    if (m_strURL.isEmpty())
        m_strURL = text();
    else if (text().isEmpty())
        setText(m_strURL);
    setToolTip(m_strURL);
    AdjustToText();
}

// Fits the link to its text as it looks underlined, keeping the frame and margins, and keeping the place
// the alignment asks for: the centre for centred text, the right edge for right-aligned, else the left
// edge; vertically the centre when centred, else the top.
void CHyperLink::AdjustToText()
{
    const QSize szText = QFontMetrics(m_fontUnderline).size(0, text());
    const QSize szNew = szText + size() - contentsRect().size() + QSize(2 * margin(), 2 * margin());
    const QRect rcOld = geometry();
    const Qt::Alignment nAlign = alignment();
    int x = rcOld.x();
    int y = rcOld.y();
    if (nAlign & Qt::AlignHCenter)
        x += (rcOld.width() - szNew.width()) / 2;
    else if (nAlign & Qt::AlignRight)
        x += rcOld.width() - szNew.width();
    if (nAlign & Qt::AlignVCenter)
        y += (rcOld.height() - szNew.height()) / 2;
    setGeometry(QRect(QPoint(x, y), szNew));
}

int CHyperLink::GotoURL(const QString& target)
{
    if (const Opener& opener = ReplacedOpener())
        return opener(target);
    if (QDesktopServices::openUrl(QUrl::fromUserInput(target)))
        return kOpenSucceeded;
    return OpenWithHtmlHandler(target);
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    StartHover();
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    StartHover();
    event->accept();
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_bPressed = true;
    event->accept();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool bWasPressed = m_bPressed;
    m_bPressed = false;
    // Releasing outside the link takes the click back, as with a button.
    if (bWasPressed && rect().contains(event->position().toPoint()))
        OnClicked();
}

void CHyperLink::keyPressEvent(QKeyEvent* event)
{
    const int nKey = event->key();
    const bool bActivates = nKey == Qt::Key_Return || nKey == Qt::Key_Enter || nKey == Qt::Key_Space;
    if (!bActivates || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);  // leaves Escape and the rest to the dialog
        return;
    }
    event->accept();
    if (!event->isAutoRepeat())
        OnClicked();
}

// The style draws the focus frame only after keyboard navigation, so a click does not leave one behind.
void CHyperLink::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Button);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CHyperLink::StartHover()
{
    if (m_bOver)
        return;
    m_bOver = true;
    setFont(m_fontUnderline);
    UpdateColour();
    m_hoverTimer.start();
}

void CHyperLink::OnHoverTimer()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_bOver = false;
    m_hoverTimer.stop();
    setFont(m_fontNormal);
    UpdateColour();
}

void CHyperLink::OnClicked()
{
    m_bOver = false;
    UpdateColour();
    const int nResult = GotoURL(m_strURL);
    if (nResult > 32) {
        m_bVisited = true;
        UpdateColour();
        return;
    }
    QApplication::beep();
    QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                         QStringLiteral("Unable to open hyperlink:\n\n") + ErrorText(nResult));
}

void CHyperLink::UpdateColour()
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, m_bOver ? m_crHover : m_bVisited ? m_crVisited : m_crLink);
    setPalette(pal);
}
