// The names of the files kept in the part database. Stand-in (docs/seams.md).
#pragma once
#include <map>
#include <string>

#include "plugin/base/load_time.h"

class CHostDBFileNames {
public:
    std::map<std::string, unsigned> names;
};

extern LoadTime<CHostDBFileNames> g_hostDBFileNames;
