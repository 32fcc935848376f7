#include "settings/options_dialog.h"

#include "settings/encoder_settings.h"
#include "ui/folder_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <string_view>
#include <utility>

namespace {

constexpr std::u16string_view kAutomaticItem = u" Automatic (Fastest & Optimal Way, Recommended)";

// Written out rather than formatted: their blanks line the numbers up in a proportional font, which no
// single field width does. One item per kSampleRates entry, so a position is the stored index.
constexpr std::array<std::u16string_view, kSampleRates.size()> kFrequencyItems{
    kAutomaticItem,   u"   8000 Hertz", u" 11025 Hertz", u" 12000 Hertz", u" 16000 Hertz",
    u" 22050 Hertz",  u" 24000 Hertz",  u" 32000 Hertz", u" 44100 Hertz"};
constexpr std::array<std::u16string_view, 3> kChannelItems{kAutomaticItem, u" Mono", u" Stereo"};

constexpr int kFrequencyPopupWidth = 256;

template <std::size_t N>
void FillList(QComboBox* list, const std::array<std::u16string_view, N>& items)
{
    for (const std::u16string_view item : items)
        list->addItem(QStringView(item).toString());
}

// A list without a selection (its stored index was outside the table) leaves its setting as it was.
void TakeSelection(const QComboBox* list, std::int16_t& field)
{
    if (list->currentIndex() >= 0)
        field = static_cast<std::int16_t>(list->currentIndex());
}

}  // namespace

COption::COption(QWidget* parent, std::function<void()> showSettingsSummary)
    : QDialog(parent), m_showSettingsSummary(std::move(showSettingsSummary))
{
    setWindowTitle(QStringLiteral("Options"));

    auto* folderCaption = new QLabel(QStringLiteral("Output Folder:"), this);
    folderCaption->setObjectName(QStringLiteral("folderCaption"));
    m_pFolderEdit = new QLineEdit(this);
    m_pFolderEdit->setObjectName(QStringLiteral("folderEdit"));
    m_pFolderEdit->setEnabled(false);  // the folder is picked with the browse button, never typed
    m_pFolderEdit->setMinimumWidth(m_pFolderEdit->fontMetrics().averageCharWidth() * 40);
    folderCaption->setBuddy(m_pFolderEdit);
    m_pBrowse = new QPushButton(QStringLiteral("..."), this);
    m_pBrowse->setObjectName(QStringLiteral("browseButton"));
    m_pBrowse->setAccessibleName(QStringLiteral("Specify the Output Folder"));  // "..." says nothing when read aloud
    m_pBrowse->setFixedWidth(m_pBrowse->fontMetrics().horizontalAdvance(m_pBrowse->text()) * 3);

    auto* group = new QGroupBox(QStringLiteral("Encoder Settings"), this);
    group->setObjectName(QStringLiteral("encoderGroup"));
    m_pFreqCaption = new QLabel(group);
    m_pFreqCaption->setObjectName(QStringLiteral("freqCaption"));
    m_cmbFreq = new QComboBox(group);
    m_cmbFreq->setObjectName(QStringLiteral("freqList"));
    auto* channelCaption = new QLabel(QStringLiteral("Channel Mode:"), group);
    channelCaption->setObjectName(QStringLiteral("channelCaption"));
    m_cmbChannel = new QComboBox(group);
    m_cmbChannel->setObjectName(QStringLiteral("channelList"));
    m_pBitsCaption = new QLabel(group);
    m_pBitsCaption->setObjectName(QStringLiteral("bitsCaption"));
    m_cmbBits = new QComboBox(group);
    m_cmbBits->setObjectName(QStringLiteral("bitsList"));
    auto* note = new QLabel(QStringLiteral("NOTE: The Bitrate is Estimated  for Stereo 44100 Hz."), group);
    note->setObjectName(QStringLiteral("note"));
    m_pFreqCaption->setBuddy(m_cmbFreq);
    channelCaption->setBuddy(m_cmbChannel);
    m_pBitsCaption->setBuddy(m_cmbBits);

    m_pReset = new QPushButton(QStringLiteral("Reset"), this);
    m_pReset->setObjectName(QStringLiteral("resetButton"));
    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    m_pOk->setObjectName(QStringLiteral("okButton"));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("cancelButton"));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderCaption);
    folderRow->addWidget(m_pFolderEdit, 1);
    folderRow->addWidget(m_pBrowse);
    auto* rows = new QGridLayout(group);
    rows->addWidget(m_pFreqCaption, 0, 0);
    rows->addWidget(m_cmbFreq, 0, 1);
    rows->addWidget(channelCaption, 1, 0);
    rows->addWidget(m_cmbChannel, 1, 1);
    rows->addWidget(m_pBitsCaption, 2, 0);
    rows->addWidget(m_cmbBits, 2, 1);
    rows->addWidget(note, 3, 0, 1, 2);
    rows->setColumnStretch(1, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_pReset);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_pOk);
    buttonRow->addWidget(m_pCancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(folderRow);
    root->addWidget(group);
    root->addStretch(1);
    root->addLayout(buttonRow);

    setTabOrder(m_pBrowse, m_cmbFreq);
    setTabOrder(m_cmbFreq, m_cmbChannel);
    setTabOrder(m_cmbChannel, m_cmbBits);
    setTabOrder(m_cmbBits, m_pReset);
    setTabOrder(m_pReset, m_pOk);
    setTabOrder(m_pOk, m_pCancel);

    connect(m_pBrowse, &QPushButton::clicked, this, &COption::OnBrowse);
    connect(m_pReset, &QPushButton::clicked, this, &COption::OnReset);
    connect(m_pOk, &QPushButton::clicked, this, &COption::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &COption::reject);

    OnInitDialog();
}

void COption::OnInitDialog()
{
    const EncoderSettings& s = g_encoderSettings;
    m_pBrowse->setEnabled(true);
    m_pFolderEdit->setText(s.DesDir);

    for (QComboBox* list : {m_cmbFreq, m_cmbChannel, m_cmbBits})
        list->clear();
    m_cmbFreq->view()->setMinimumWidth(kFrequencyPopupWidth);
    m_pFreqCaption->setText(QStringLiteral("Sampling Frequency:"));
    m_pBitsCaption->setText(QStringLiteral("Bits per Second:"));

    FillList(m_cmbFreq, kFrequencyItems);
    FillList(m_cmbChannel, kChannelItems);
    for (const std::int16_t kbps : kBitrates)
        m_cmbBits->addItem(QString::asprintf("%4d kbits per second", kbps));

    // An index outside a list leaves it without a selection rather than showing a wrong value.
    m_cmbFreq->setCurrentIndex(s.Freq);
    m_cmbChannel->setCurrentIndex(s.LameChannel);
    m_cmbBits->setCurrentIndex(s.LameBits);
}

void COption::OnBrowse()
{
    // Starts at the folder the box shows, which is the one picked last in this dialog, if any.
    CFolderDialog dlg(QStringLiteral("Specify the Output Folder"), m_pFolderEdit->text(), this,
                      CFolderDialog::kBifReturnOnlyFsDirs | CFolderDialog::kBifEditBox |
                          CFolderDialog::kBifNewDialogStyle);
    if (dlg.DoModal() == CFolderDialog::kResultOk)
        m_pFolderEdit->setText(dlg.folderPath);
}

void COption::accept()
{
    const QString folder = m_pFolderEdit->text();
    if (folder.isEmpty()) {
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), QStringLiteral("Invalidate Output Folder!"));
        return;
    }
    EncoderSettings& s = g_encoderSettings;
    s.DesDir = folder.endsWith(u'/') ? folder : folder + u'/';
    TakeSelection(m_cmbFreq, s.Freq);
    TakeSelection(m_cmbChannel, s.LameChannel);
    TakeSelection(m_cmbBits, s.LameBits);
    QDialog::accept();
}

void COption::OnReset()
{
    if (QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                             QStringLiteral("Reset ALL Options, Are You Sure?"),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    ResetSettings();
    OnInitDialog();
    // The reset is in force already, so the main window shows it now, not when the dialog closes.
    if (m_showSettingsSummary)
        m_showSettingsSummary();
}
