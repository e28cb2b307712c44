// The process tree's filter over a generation: the question about unreachable holes, the holes left out,
// and the selection kept and given back.
#include "plugin/tooling/tree_filter.h"

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/work_records.h"
#include "plugin/tooling/equal_holes.h"

namespace {

constexpr int kMsgCaption = 1, kMsgNotAccessible = 150;   // "ErrorMessages"

template <class Visit>
void forEachHole(VIEW_LIST* views, Visit visit) {
    for (VIEW_LIST* v = views; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) visit(*p);
}

}  // namespace

// Asked only while one of those holes is on: the question is about holes about to be made; with none on,
// there is nothing to leave out.
UNREACHABLE_ANSWER askAboutUnreachableHoles(VIEW_LIST* tree, std::uint32_t* filter) {
    const long unreachable = g_records->runStats.stateCount5;
    if (unreachable == 0 || (*filter & kStateNotAccessible) == 0) return UNREACHABLE_ANSWER::made;
    bool anyOn = false;
    forEachHole(tree, [&](const POINT_LIST& p) { anyOn = anyOn || (!p.excluded && p.notAccessible && p.selected); });
    if (!anyOn) return UNREACHABLE_ANSWER::made;
    const int answer = plat::messageBox(nullptr, fillText(errorMessage(kMsgNotAccessible), {unreachable}),
                                        errorMessage(kMsgCaption), plat::MB_YESNOCANCEL | plat::MB_ICONQUESTION);
    if (answer == plat::IDCANCEL) return UNREACHABLE_ANSWER::cancelled;
    if (answer == plat::IDYES) return UNREACHABLE_ANSWER::made;
    *filter &= ~static_cast<std::uint32_t>(kStateNotAccessible);
    return UNREACHABLE_ANSWER::leftOut;
}

// The question names the holes that cannot be reached, so No leaves out every one of them. Clearing the
// filter's bit alone would not: a hole shows when any of its states is shown, and such a hole often has
// others (its measures added to the table, a tool made for it, an adapted row), so it would still be cut,
// the tool going through what stands in its way.
void leaveOutFilteredHoles(VIEW_LIST* tree, std::uint32_t filter, bool unreachableLeftOut) {
    forEachHole(tree, [&](POINT_LIST& p) {
        if (p.excluded || p.chainMember) return;
        const bool leftOut = unreachableLeftOut && holeHasState(p, kStateNotAccessible);
        if (!leftOut && holeMeetsFilter(p, filter)) return;
        forEachEqualHole(&p, [](POINT_LIST& m) {
            m.selected = 0;
            m.selected2 = 0;
        });
    });
}
