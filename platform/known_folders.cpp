#include "platform/known_folders.h"

#include <QStandardPaths>

namespace platform {

QString ConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString MusicFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
}

QString DesktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

}  // namespace platform
