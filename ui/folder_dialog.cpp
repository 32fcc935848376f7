#include "ui/folder_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString AbsoluteFolder(const QString& folder)
{
    return folder.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// A folder that does not exist yet (the output folder is created by the first conversion) opens the
// dialog at its deepest existing parent, so the user starts near it rather than at the root.
QString NearestExistingFolder(QString folder)
{
    if (folder.isEmpty())
        return QDir::rootPath();
    while (!QFileInfo(folder).isDir() && !QDir(folder).isRoot())
        folder = QFileInfo(folder).absolutePath();
    return folder;
}

}  // namespace

CFolderDialog::CFolderDialog(const QString& title, const QString& initialFolder, QWidget* parent, unsigned flags)
    : m_strTitle(title), m_strInitialFolder(initialFolder), m_pParent(parent), m_nFlags(flags)
{
}

int CFolderDialog::DoModal()
{
    QFileDialog dlg(m_pParent, m_strTitle);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);  // after the mode, which resets it

    const QString initial = AbsoluteFolder(m_strInitialFolder);
    if (QFileInfo(initial).isDir() && !QDir(initial).isRoot()) {
        // Shown among its siblings with its name in the name box, so choosing at once keeps it.
        dlg.setDirectory(QFileInfo(initial).absolutePath());
        dlg.selectFile(initial);
    } else {
        dlg.setDirectory(NearestExistingFolder(initial));
    }

    if (!(m_nFlags & kBifEditBox)) {
        // Qt's widget dialog names its parts; without the box the folder is chosen in the list alone.
        for (const QString& name : {QStringLiteral("fileNameLabel"), QStringLiteral("fileNameEdit")}) {
            if (auto* part = dlg.findChild<QWidget*>(name))
                part->hide();
        }
    }

    if (dlg.exec() != QDialog::Accepted)
        return kResultCancel;
    const QFileInfo chosen(dlg.selectedFiles().value(0));
    if (!chosen.isDir())
        return kResultNoPath;
    folderPath = QDir::cleanPath(chosen.absoluteFilePath());
    return kResultOk;
}
