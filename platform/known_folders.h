#pragma once

#include <QString>

namespace platform {

// Each returns the folder without a trailing separator, or an empty string when the desktop cannot name it.
QString ConfigFolder();
QString MusicFolder();
QString DesktopFolder();

}  // namespace platform
