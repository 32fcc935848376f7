#include "app/about_dialog.h"

#include "ui/hyperlink.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kHomePageUrl = QStringLiteral("https://quorbel.brellum.com/");
constexpr int kIconSize = 32;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("About Quorbel"));

    auto* pIcon = new QLabel(this);
    pIcon->setFixedSize(kIconSize, kIconSize);
    // An icon that cannot be loaded leaves an empty space, not a broken box.
    pIcon->setPixmap(QIcon(QStringLiteral(":/icons/quorbel.svg")).pixmap(kIconSize, kIconSize));

    auto* pName = new QLabel(QStringLiteral("Quorbel"), this);
    auto* pCaption = new QLabel(QStringLiteral("Homepage:"), this);
    m_pHomepage = new CHyperLink(kHomePageUrl, this);
    m_pHomepage->setObjectName(QStringLiteral("homepageLink"));
    m_pHomepage->SetURL(kHomePageUrl);
    pCaption->setBuddy(m_pHomepage);

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* pText = new QVBoxLayout;
    pText->addWidget(pName);
    if (const QString strVersion = QCoreApplication::applicationVersion(); !strVersion.isEmpty())
        pText->addWidget(new QLabel(QStringLiteral("Version %1").arg(strVersion), this));
    auto* pLinkRow = new QHBoxLayout;
    pLinkRow->addWidget(pCaption);
    pLinkRow->addWidget(m_pHomepage);
    pLinkRow->addStretch();
    pText->addLayout(pLinkRow);
    pText->addStretch();

    auto* pLayout = new QGridLayout(this);
    pLayout->addWidget(pIcon, 0, 0, Qt::AlignTop);
    pLayout->addLayout(pText, 0, 1);
    pLayout->addWidget(pOk, 0, 2, Qt::AlignTop);
    pLayout->setHorizontalSpacing(16);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    pOk->setFocus();
}

// The title bar's close and the window manager's close key land here; only OK and Escape close the box.
void CAboutDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
