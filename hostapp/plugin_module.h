// The plug-in module as the host loads it: dlopen with RTLD_NOW | RTLD_LOCAL and the four extern "C"
// exports looked up by name. dlclose on unload runs the module's own unload-time code.
#pragma once
#include <string>

namespace host {

struct PluginExports {
    int (*version)() = nullptr;
    int (*enter)() = nullptr;
    int (*main)() = nullptr;
    int (*notify)(int) = nullptr;
};

class PluginModule {
public:
    PluginModule() = default;
    ~PluginModule() { unload(); }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Loads the module and resolves every export; on failure nothing stays loaded and `error` says why.
    [[nodiscard]] bool load(const std::string& path, std::string& error);
    bool loaded() const { return handle_ != nullptr; }
    const PluginExports& exports() const { return exports_; }
    void unload();

private:
    void* handle_ = nullptr;
    PluginExports exports_;
};

}  // namespace host
