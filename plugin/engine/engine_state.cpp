#include "plugin/engine/engine_state.h"

LoadTime<ENGINE_STATE> g_engine;
