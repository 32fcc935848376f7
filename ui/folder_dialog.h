#pragma once

#include <QString>

class QWidget;

// Lets the user choose a folder and gives back its path. Qt's own widget dialog is used on every
// desktop, so the title, the initial selection and the name box behave the same everywhere.
class CFolderDialog {
public:
    // The browse flags the callers pass. Every folder the widget dialog offers is a file-system folder,
    // so kBifReturnOnlyFsDirs always holds, and the dialog is always the resizable kind that
    // kBifNewDialogStyle asks for; kBifEditBox shows the box for typing a folder name.
    static constexpr unsigned kBifReturnOnlyFsDirs = 0x01;
    static constexpr unsigned kBifEditBox = 0x10;
    static constexpr unsigned kBifNewDialogStyle = 0x40;

    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kResultNoPath = -1;  // the chosen item is no folder on disk

    // The initial folder is kept whole: Linux paths go far beyond the 259 characters of a fixed buffer,
    // and a shortened path would name another folder.
    CFolderDialog(const QString& title, const QString& initialFolder, QWidget* parent, unsigned flags);

    // Runs the dialog modally over the parent. On kResultOk folderPath holds the chosen folder, without a
    // trailing "/" unless it is the root; on the other results folderPath is left as it was.
    int DoModal();

    QString folderPath;

private:
    QString m_strTitle;
    QString m_strInitialFolder;
    QWidget* m_pParent;
    unsigned m_nFlags;
};
