#include "platform/ui/cairo_calls.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace plat::cairo {
namespace {

CALLS load() {
    CALLS loaded;
    void* library = plat::loadLibrary({"libcairo.so.2", "libcairo.so"});
    const char* missing = library ? nullptr : "libcairo.so.2";
#define FX_CAIRO_LOAD(name)                                                                                         \
    if (!missing && !plat::loadCall(library, "cairo_" #name, loaded.name)) missing = "cairo_" #name;
    FX_CAIRO_CALLS(FX_CAIRO_LOAD)
#undef FX_CAIRO_LOAD
    if (missing) {
        std::fprintf(stderr, "the drawing library cannot be loaded (%s): %s\n", missing, dlerror());
        std::abort();
    }
    return loaded;
}

}  // namespace

const CALLS& calls() {
    static const CALLS loaded = load();
    return loaded;
}

}  // namespace plat::cairo
