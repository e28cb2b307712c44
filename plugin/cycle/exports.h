// The four functions the host calls by name. They never fail across the boundary: each returns its fixed value.
#pragma once

#define FX_EXPORT extern "C" __attribute__((visibility("default")))

FX_EXPORT int m_version();
FX_EXPORT int m_enter();
FX_EXPORT int m_main();
FX_EXPORT int m_notify(int code);
