// Saving and loading the work cycle's records in the part. Stand-in until the records are built
// (docs/seams.md): nothing is stored, nothing is loaded.
#pragma once

struct VIEW_LIST;
struct GEN_OP_GROUP;
struct FEATURE_MARK;

int loadAllRecords(VIEW_LIST** tree);
int saveAllRecords(VIEW_LIST* tree);
void freeViewsTree(VIEW_LIST* tree);
void freeGenOpGroups(GEN_OP_GROUP* groups);
void freeFeatureMarks(FEATURE_MARK* marks);
