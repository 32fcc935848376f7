#pragma once

namespace platform {

// Loads a module by its plain file name from the executable's folder, then from the installed tree's module
// folder, then through the system's search path. It stays loaded for the life of the process. Null when neither place has a loadable one.
void* LoadModule(const char* fileName);

// The address of an exported entry point, or null.
void* ModuleEntry(void* module, const char* name);

}  // namespace platform
