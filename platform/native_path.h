#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The 8-bit form of a path that C libraries (libsndfile, LAME) open: the file system's encoding, UTF-8.
QByteArray NarrowPath(const QString& path);

}  // namespace platform
