// Module registry: a handle is the address of the registry's record for a path, so it stays the same for
// the life of the process and two paths never share one. Paths are compared exactly, as given.
#include "platform/sys/module.h"

#include <atomic>
#include <list>
#include <mutex>

namespace plat {
namespace {

struct Modules {
    std::mutex mutex;
    std::list<std::string> paths;  // list: element addresses are the handles and must not move
};

Modules& modules() {
    static Modules* m = new Modules;
    return *m;
}

std::atomic<ModuleHandle> gResourceModule{nullptr};
std::atomic<int> gResourceSwitches{0};

}  // namespace

ModuleHandle registerModule(const std::string& path) {
    Modules& m = modules();
    std::lock_guard lock(m.mutex);
    for (const std::string& known : m.paths)
        if (known == path)
            return &known;
    return &m.paths.emplace_back(path);
}

std::string moduleFileName(ModuleHandle module) {
    if (!module)
        return {};
    Modules& m = modules();
    std::lock_guard lock(m.mutex);
    for (const std::string& known : m.paths)
        if (&known == module)
            return known;
    return {};
}

ModuleHandle resourceModule() { return gResourceModule; }

// Every call counts, also one that sets the module already current: tests count the switches the code made.
void setResourceModule(ModuleHandle module) {
    gResourceModule = module;
    ++gResourceSwitches;
}

int resourceSwitchCount() { return gResourceSwitches; }

}  // namespace plat
