#pragma once

#include <QDialog>

class CHyperLink;

// The about box: the program's icon, name and version, and its home page as a link. It closes with OK or
// Escape only; the title bar offers no close button and the window manager's close is refused.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CHyperLink* m_pHomepage;
};
