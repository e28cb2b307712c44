#include "plugin/cycle/exports.h"

#include "plugin/cycle/load_time_objects.h"
#include "plugin/cycle/work_cycle.h"

int m_version() { return 1300; }

int m_enter() { return 0; }

int m_main() {
    if (pluginAttached()) runPluginMain();
    return 0;
}

int m_notify(int code) {
    if (pluginAttached()) runPluginNotify(code);
    return 0;
}
