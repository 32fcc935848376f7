#include "platform/shared_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace platform {

void* LoadModule(const char* fileName)
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path folder = executable.parent_path();
        if (void* module = dlopen((folder / fileName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
        // An installed program finds its modules in their own folder, named relative to its own so that the
        // installed tree can move. Not through the program's run path: a library that wraps dlopen (the
        // sanitizers do) becomes the caller whose run path counts.
        if (void* module = dlopen((folder / QUORBEL_MODULE_DIR_FROM_BIN / fileName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
    }
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

void* ModuleEntry(void* module, const char* name)
{
    return dlsym(module, name);
}

}  // namespace platform
