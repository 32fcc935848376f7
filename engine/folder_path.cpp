#include "engine/folder_path.h"

#include "platform/native_path.h"

#include <cerrno>
#include <climits>
#include <string>

#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int CreateFolderPath(const QString& path)
{
    std::string buffer = platform::NarrowPath(path).toStdString();
    if (buffer.empty() || buffer.size() >= PATH_MAX)
        return 0;
    const std::size_t end = buffer.size();
    std::size_t cut = end;
    for (;;) {
        if (::mkdir(buffer.c_str(), 0777) != 0) {
            if (errno == ENOENT) {
                // Climb to the parent: cut the path at the separator before the current cut.
                const std::size_t separator = cut == 0 ? std::string::npos : buffer.rfind('/', cut - 1);
                if (separator == std::string::npos || separator == 0)
                    return 0;
                cut = separator;
                buffer[cut] = '\0';  // the levels below stay in the buffer for the way down
                continue;
            }
            // Something that is not a folder standing in the way counts as failure, not as success.
            if (errno != EEXIST || !IsFolder(buffer.c_str()))
                return 0;
        }
        if (cut == end)
            return 1;
        buffer[cut] = '/';
        cut = buffer.find('\0', cut);
        if (cut == std::string::npos)
            cut = end;
    }
}
