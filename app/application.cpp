#include "app/application.h"

#include "app/single_instance.h"
#include "filelist/main_window.h"

#include <QApplication>
#include <QIcon>

namespace {

// How long a second start tries to reach a first one that may still be starting up.
constexpr int kActivateTimeoutMs = 3000;

}  // namespace

int CNorvApp::Run(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Brellum Corporation"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("quorbel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorbel.svg")));

    CSingleInstance instance(ExecutableBaseName());
    if (!instance.IsFirst()) {
        instance.ActivateFirst(kActivateTimeoutMs);
        return 0;
    }
    CNorvDlg mainWindow;
    QObject::connect(&instance, &CSingleInstance::activationRequested, &mainWindow,
                     [&mainWindow] { BringToFront(&mainWindow); });
    mainWindow.exec();
    return 0;
}
