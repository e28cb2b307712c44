// The tree import's steps, for the import itself and its tests.
#pragma once
#include <optional>
#include <string_view>

#include "plugin/import/markup.h"
#include "plugin/model/verta_tree.h"

// The name of the file in the part that holds the exported tree.
inline constexpr std::string_view kVertaTreeFile = "VERTATree";

// Fills the tree's version, items and id map from the document; false when it does not parse or has no
// "Root" (the tree is then left as it was).
bool parseTreeXml(std::string_view text, VERTA_TREE& tree);
// The next "Cat5TreeItem" at the document's current level with everything under it; nothing when there is
// none.
std::optional<VERTA_TREE_ITEM> readTreeItem(CMarkup& xml);
// One record per item whose name holds "_NC_", its ends found through the id map and the part's points.
void buildVertaFeatures(VERTA_TREE& tree);
