// Host operations for chosen views and holes in an operation group of their own, made with everything else
// hidden or not, and undone or cancelled; the temporary hiding of entities, the pick of a hole by its
// surfaces in the graphics, and the marker shown while the process tree is open.
#pragma once
#include <cstdint>
#include <string>
#include "plugin/services/engine.h"
#include "plugin/services/features.h"

struct VIEW_LIST;
struct POINT_LIST;
struct ent;

// The name of a new operation group, "GroupOpNames" 20, followed by the view's description for a view.
std::string opGroupName(const VIEW_LIST* view);

// Creates the host operations of `view` (null: every view) and `hole` (null: every hole of the chosen
// views), passing `holes` on to the operation generation, in a new group; holes that meet none of the set
// state bits of `filter` are left out with their chains. Returns 0; the group's id is in g_lastOpGroup.
int createGroupOperations(VIEW_LIST* view, POINT_LIST* hole, POINT_LIST* holes, std::uint32_t filter);
// The same with every visible entity but the surfaces of `target` hidden until the group is undone.
int createGroupOpsIsolated(VIEW_LIST* view, POINT_LIST* hole, POINT_LIST* target, std::uint32_t filter);
// Deletes the group (id 0: none) and restores the selections and what was hidden. Returns 0.
int undoGroupOperations(std::uint32_t groupId);
// Deletes the group (id 0: none) and the configuration's preview entities. Returns 0.
int cancelGroupOperations(std::uint32_t groupId);

// mode 0: blanks every entity on a visible level that is not in `keep` (null-ended, may be null) and
// returns their list; mode 1: shows the entities of `hidden` again and frees the list (null does nothing).
EntityList hideEntitiesExcept(const std::uint32_t* keep, int mode, EntityList hidden);
// Lets the user pick a surface of a hole on a level of their own; the hole picked, or null.
POINT_LIST* isolateFeatureLevel();

// Holds the list hidden by the last isolated creation; tests and the work cycle's end read or drop it.
bool isolationPending();
// The part went: what its isolation hid and whether its marker's level was shown are no longer to restore.
void forgetIsolation();
