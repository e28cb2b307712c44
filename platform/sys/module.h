// Loaded modules: the path a module was loaded from (GetModuleFileName) and the resource module that
// dialogs take their templates from.
#pragma once
#include <string>

namespace plat {

using ModuleHandle = const void*;   // null = none

// Registers a module by the path it was loaded from and returns its handle (the same handle for the same path).
ModuleHandle registerModule(const std::string& path);
// The path given at registration; "" for an unknown handle.
std::string moduleFileName(ModuleHandle module);

// The resource module of the running code (switched around the plug-in's dialogs); every set counts as
// one switch, for tests.
ModuleHandle resourceModule();
void setResourceModule(ModuleHandle module);
int resourceSwitchCount();

}  // namespace plat
