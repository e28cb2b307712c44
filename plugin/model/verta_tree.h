// What the tree import reads from a feature tree that another CAD system exported as XML into the part:
// the tree of its items, its table from that system's ids to the host's entity ids, and the items that
// name NC features with their two ends. Nothing keeps them once the import returns; ids are 32-bit.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct VERTA_TREE_ITEM {
    std::string name;
    std::string type;
    std::int32_t geomId = 0;
    std::vector<VERTA_TREE_ITEM> children;   // in document order
};

struct CR_IDMAP {
    std::int32_t verta = 0;   // the CAD system's id
    std::int32_t mc = 0;      // the host entity's id
};

// One end of an NC feature: the text, host id and point of one of the feature item's first two children.
struct VERTA_FEATURE_END {
    std::string text;
    std::int32_t id = 0;      // 0 when the id map does not name the child's geometry
    double point[3] = {};     // the host point entity of that id; the origin for any other entity
};

struct FEAT_VERTA_TREE {
    std::string name;
    VERTA_FEATURE_END top;
    VERTA_FEATURE_END bottom;
};

struct VERTA_TREE {
    std::int32_t version = 0;
    std::vector<VERTA_TREE_ITEM> items;   // the items of "Cat5ConsTree" (the document holds one)
    std::vector<CR_IDMAP> idMap;
    std::vector<FEAT_VERTA_TREE> features;
};
