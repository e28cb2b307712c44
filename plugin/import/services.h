// What the core keeps for the files stored in the part database. Stand-in (docs/seams.md).
#pragma once
#include <map>
#include <string>

class CHostDBFileNames {
public:
    std::map<std::string, unsigned> names;
};
