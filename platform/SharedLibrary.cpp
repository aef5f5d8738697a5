#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace plimo {

// Never closed: objects made through the library may outlive any owner
// this code could name, and the process keeps it once loaded anyway.
void* OpenSharedLibrary(const char* fileName) { return dlopen(fileName, RTLD_NOW | RTLD_LOCAL); }

void* FindSymbol(void* library, const char* name) {
  return library != nullptr ? dlsym(library, name) : nullptr;
}

}  // namespace plimo
