// What the core uses of the process configuration. Stand-in until it is built (docs/seams.md).
#pragma once
#include "plugin/engine/services.h"   // CConfigProcess stands there until the configuration is built
