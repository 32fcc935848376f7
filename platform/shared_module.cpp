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
        if (void* module = dlopen((executable.parent_path() / fileName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
    }
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

void* ModuleEntry(void* module, const char* name)
{
    return dlsym(module, name);
}

}  // namespace platform
