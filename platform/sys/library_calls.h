// Calls into a library that a program loads on their first use rather than binding at its start, where the
// dynamic linker binds every symbol the library needs: a table of its functions, and for each a function of
// the library's own name in a namespace of the caller's that forwards to the table's `calls()`.
#pragma once
#include <dlfcn.h>

#include <initializer_list>
#include <utility>

#define FX_FORWARD_LIBRARY_CALL(name)                                                                               \
    template <typename... Args>                                                                                     \
    inline auto name(Args&&... args) {                                                                              \
        return calls().name(std::forward<Args>(args)...);                                                           \
    }

namespace plat {

// The first of `names` that loads, kept to itself (RTLD_LOCAL); null when none does.
inline void* loadLibrary(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) return library;
    return nullptr;
}

// `into` set to the library's `symbol`; false when it has none.
template <typename Fn>
bool loadCall(void* library, const char* symbol, Fn& into) {
    into = library ? reinterpret_cast<Fn>(dlsym(library, symbol)) : nullptr;
    return into != nullptr;
}

}  // namespace plat
