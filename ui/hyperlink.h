#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QTimer>

#include <functional>

class CHyperLinkAccessible;

// A label that is a web link: link-coloured text, red and underlined while the pointer is over it,
// purple once opened, a hand cursor and the target as its tooltip. A left click, or Enter or Space while
// it has the focus, opens the target and tells the user with a message box when that fails.
class CHyperLink : public QLabel {
    Q_OBJECT

public:
    // Opens a target and returns a shell-style result code: above 32 is success, anything else one of the
    // codes of the failure messages.
    using Opener = std::function<int(const QString& target)>;

    explicit CHyperLink(QWidget* parent = nullptr);
    // Made as a link attached to a label with this text: the text is also the target until SetURL.
    explicit CHyperLink(const QString& text, QWidget* parent = nullptr);

    // Sets the target, and the text too while the text is empty; resizes the link to its text.
    void SetURL(const QString& target);
    const QString& GetURL() const { return m_strURL; }

    // Opens the target with the desktop's opener, then with the command line of the default HTML handler.
    int GotoURL(const QString& target);

    // Replaces what GotoURL does, for every link of the process; an empty opener restores the real one.
    // Tests use it so that no browser starts.
    static void SetOpener(Opener opener);

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class CHyperLinkAccessible;

    // Applies the link rules to the current text and target: each stands in for the other when empty.
    void Attach();
    void AdjustToText();
    void StartHover();
    void OnHoverTimer();
    void OnClicked();
    void UpdateColour();

    const QColor m_crLink{0, 0, 238};
    const QColor m_crVisited{85, 26, 139};
    const QColor m_crHover{255, 0, 0};
    bool m_bOver = false;
    bool m_bVisited = false;
    bool m_bPressed = false;  // the left button went down on the link, so its release may be a click
    QString m_strURL;
    // Both made from the label's font when it becomes a link; the underline shows only while hovered.
    QFont m_fontNormal;
    QFont m_fontUnderline;
    // Ticks while hovered: a leave event can be missed, so each tick checks where the pointer is.
    QTimer m_hoverTimer;
};
