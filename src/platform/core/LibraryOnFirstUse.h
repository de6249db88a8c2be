// A shared library opened the first time the program asks for one of its
// functions, not when the program starts: a library that only some runs need
// (a server's client, the workbook writer) then costs the others nothing.
// The functions the program calls are defined with the library's own
// signatures by TQ_FORWARD and pass each call on.
#pragma once

#include <mutex>
#include <string>

class TLibraryOnFirstUse
{
public:
    // soname: the file the loader looks for; what: the library in words,
    // for the message when it cannot be loaded.
    TLibraryOnFirstUse(const char* soname, const char* what) : soname_(soname), what_(what) {}

    // The function (or data) of that name in the library or the libraries it
    // depends on; null without the library.
    void* Symbol(const char* name);
    // Empty while the library is loaded; else "<what> cannot be loaded: <reason>".
    const std::string& LoadError();

private:
    void Load();

    const char* soname_;
    const char* what_;
    std::once_flag loaded_;
    void* handle_ = nullptr;
    std::string error_;
};

// Defines the library function `name` so that it passes the call on to the
// one `library` (a TLibraryOnFirstUse&) holds, or gives `missing` without it.
#define TQ_FORWARD(library, result, name, missing, params, args)                                   \
    result name params                                                                             \
    {                                                                                              \
        static const auto own = reinterpret_cast<decltype(&name)>((library).Symbol(#name));        \
        return own ? own args : missing;                                                           \
    }
