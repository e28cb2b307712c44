// The host entities of the tree's segments: shown, hidden, and what the features level holds beside them.
#pragma once
#include "plugin/model/tree.h"

struct VIEW_LIST;

// Shows the features level `level` and deletes its entities that no segment of the tree holds; repaints.
void deleteUnusedWorkLevelEnts(const VIEW_LIST* tree, std::int32_t level);
// Shows every entity of every segment of the tree; repaints; returns how many were hidden.
int unblankFeatureEnts(const VIEW_LIST* tree);
// Hides every entity of every segment of the tree; repaints.
void blankFeatureEnts(const VIEW_LIST* tree);
