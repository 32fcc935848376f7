#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog in which the user edits the output folder and the encoder settings. It keeps no copy
// of the settings: it reads them when it initialises and writes them on OK.
class COption : public QDialog {
    Q_OBJECT

public:
    // showSettingsSummary refreshes the main window's settings summary; a confirmed Reset calls it at
    // once, while the dialog is still open.
    COption(QWidget* parent, std::function<void()> showSettingsSummary);

    // OK: takes the folder and the three lists, or refuses an empty folder and stays open.
    void accept() override;

private:
    // Shows the current settings; run again after a Reset.
    void OnInitDialog();
    void OnBrowse();
    void OnReset();

    std::function<void()> m_showSettingsSummary;
    QLineEdit* m_pFolderEdit;
    QPushButton* m_pBrowse;
    QLabel* m_pFreqCaption;
    QLabel* m_pBitsCaption;
    QComboBox* m_cmbFreq;
    QComboBox* m_cmbChannel;
    QComboBox* m_cmbBits;
    QPushButton* m_pReset;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};
