// The tree's views and their host views: each VIEW_LIST given a host view oriented as the settings ask (its
// holes' view coordinates following a new matrix), and a view's display name. See plugin/base/host_views.h.
#pragma once
#include <string>
#include "plugin/model/tree.h"

struct VIEW_LIST;

// Gives the view a host view (VIEW_LIST::viewNumber, idn, matrix, the description fields; the points'
// ptView follow a changed matrix); the modes and results of orientToHostView.
[[nodiscard]] int getOrCreateHostView(VIEW_LIST* view, int referenceAxis, int mode, int createNamed);

// The display name of a view (viewText of its fields), "" for none.
std::string viewDescription(const VIEW_LIST* view);
