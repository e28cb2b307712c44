// The holes a generation from the process tree makes: those the tree's filter shows, less the holes that
// cannot be reached from their side when the user says No to them. Callers keep the selection flags this
// changes (keepSelection) and give them back after the generation.
#pragma once
#include <cstdint>

#include "plugin/model/tree.h"

enum class UNREACHABLE_ANSWER { made, leftOut, cancelled };

// Asks whether the holes that cannot be reached from their side are made all the same, when the filter shows
// them and one of them is on. No clears the filter's not-accessible bit.
[[nodiscard]] UNREACHABLE_ANSWER askAboutUnreachableHoles(VIEW_LIST* tree, std::uint32_t* filter);

// Clears both selection flags of every hole (with its chain of equal holes) that the filter hides, or that
// cannot be reached when `unreachableLeftOut`.
void leaveOutFilteredHoles(VIEW_LIST* tree, std::uint32_t filter, bool unreachableLeftOut);
