#include "platform/core/LibraryOnFirstUse.h"

#include <dlfcn.h>

void TLibraryOnFirstUse::Load()
{
    std::call_once(loaded_, [this] {
        handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            const char* reason = dlerror();
            error_ = std::string(what_) + " cannot be loaded: " + (reason ? reason : soname_);
        }
    });
}

// A handle's search covers the libraries it depends on too.
void* TLibraryOnFirstUse::Symbol(const char* name)
{
    Load();
    return handle_ ? dlsym(handle_, name) : nullptr;
}

const std::string& TLibraryOnFirstUse::LoadError()
{
    Load();
    return error_;
}
