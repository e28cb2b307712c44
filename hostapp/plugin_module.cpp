// Loading the plug-in module and resolving its exports.
#include "hostapp/plugin_module.h"

#include <dlfcn.h>

namespace host {
namespace {

template <typename Fn>
bool resolve(void* handle, const char* name, Fn& fn, const std::string& path, std::string& error) {
    dlerror();
    void* sym = dlsym(handle, name);
    if (!sym) {
        error = "plug-in module " + path + " has no export " + name;
        return false;
    }
    fn = reinterpret_cast<Fn>(sym);
    return true;
}

}  // namespace

bool PluginModule::load(const std::string& path, std::string& error) {
    unload();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load plug-in module " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    PluginExports ex;
    if (!resolve(handle, "m_version", ex.version, path, error) || !resolve(handle, "m_enter", ex.enter, path, error) ||
        !resolve(handle, "m_main", ex.main, path, error) || !resolve(handle, "m_notify", ex.notify, path, error)) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    exports_ = ex;
    return true;
}

void PluginModule::unload() {
    if (!handle_) return;
    dlclose(handle_);
    handle_ = nullptr;
    exports_ = PluginExports{};
}

}  // namespace host
