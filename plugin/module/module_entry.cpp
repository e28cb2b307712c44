// The module's load and unload notifications: the loader runs these when hostcam opens and closes
// Forantix.so, as the host's loader notifies the library on attach and detach.
#include <dlfcn.h>

#include "platform/sys/module.h"
#include "plugin/cycle/load_time_objects.h"

namespace {

void anchor() {}

__attribute__((constructor)) void onModuleLoad() {
    Dl_info info{};
    const char* path = dladdr(reinterpret_cast<void*>(&anchor), &info) && info.dli_fname ? info.dli_fname : "";
    pluginAttach(plat::registerModule(path));
}

__attribute__((destructor)) void onModuleUnload() { pluginDetach(); }

}  // namespace
