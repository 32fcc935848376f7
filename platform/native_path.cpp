#include "platform/native_path.h"

#include <QFile>

namespace platform {

QByteArray NarrowPath(const QString& path)
{
    return QFile::encodeName(path);
}

}  // namespace platform
