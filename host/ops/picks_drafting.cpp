// The scripted entity picks (select_ent and select_ents, the session steps `entity ID`, `end-pick` and `esc`)
// and the drafting globals, which the host only records: nothing is drawn with them.
#include <algorithm>
#include <vector>

#include "host/internal.h"
#include "host/state_ops.h"
#include "platform/ui/driver.h"

namespace host {
namespace {

struct Drafting {
    dim_rec current;
    std::vector<dim_rec> saved;
    std::vector<std::string> log;
};
Drafting drafting;

dim_rec hostDims() {
    if (current_version[7] == 1) return dim_rec{3.5, 3, 1, 1, 2, 2};
    return dim_rec{0.14, 0.12, 0.04, 0.04, 0.08, 3};
}

void logDrafting(std::string line) {
    drafting.log.push_back(line);
    detail::record("host.drafting " + line);
}

std::string describe(const dim_rec& d) {
    using detail::number;
    return "text=" + number(d.textHeight) + " arrow=" + number(d.arrowLength) + "x" + number(d.arrowWidth) +
           " gap=" + number(d.extensionGap) + " overshoot=" + number(d.extensionOvershoot) +
           " decimals=" + std::to_string(d.decimals);
}

}  // namespace

namespace detail {
void resetDrafting() {
    drafting = Drafting{};
    drafting.current = hostDims();
}
}  // namespace detail

const dim_rec& draftingGlobals() { return drafting.current; }
const std::vector<std::string>& draftingLog() { return drafting.log; }

}  // namespace host

void DraftGlobalsSave() {
    host::drafting.saved.push_back(host::drafting.current);
    host::logDrafting("save");
}

void InitDIM(dim_rec* dim) {
    if (dim) *dim = host::drafting.current;
}

void DraftGlobalsFromDim(const dim_rec* dim) {
    if (!dim) return;
    host::drafting.current = *dim;
    host::logDrafting("from-dim " + host::describe(*dim));
}

void DraftGlobalsRestore() {
    if (host::drafting.saved.empty()) {
        host::logDrafting("restore (nothing saved)");
        return;
    }
    host::drafting.current = host::drafting.saved.back();
    host::drafting.saved.pop_back();
    host::logDrafting("restore " + host::describe(host::drafting.current));
}

namespace host {
namespace {

// The entity with the id among what get_ent finds with the selection and mask: what the user could click.
bool pickable(std::uint32_t id, short sel, std::uint32_t mask, ent* e, db_ptr* entry) {
    db_ptr p = db_start();
    char found = 0;
    ent candidate{};
    for (get_ent(p, sel, mask, &candidate, &p, &found); found; get_ent(p, sel, mask, &candidate, &p, &found)) {
        if (candidate.id != id) continue;
        if (e) *e = candidate;
        if (entry) *entry = p;
        return true;
    }
    return false;
}

}  // namespace
}  // namespace host

int select_ents(const char* prompt, std::uint32_t mask, std::vector<ent>* picked) {
    using host::detail::quote;
    using host::detail::record;
    const std::string text = prompt ? prompt : "";
    record("host.prompt " + quote(text));
    if (picked) picked->clear();
    std::vector<ent> chosen;
    plat::UiDriver& d = plat::driver();
    for (;;) {
        std::optional<plat::Step> step = d.expect({"entity", "end-pick", "esc"}, "multiple pick " + quote(text));
        if (!step || step->verb == "esc") {
            if (step) record("host.pick esc");
            for (ent& e : chosen) {
                sel_bit_turn_off(&e, 4);
                (void)rewrite_ent(&e, 0);
            }
            return 0;
        }
        if (step->verb == "end-pick") {
            record("host.pick end " + std::to_string(chosen.size()));
            if (picked) *picked = std::move(chosen);
            return 1;
        }
        const auto id = static_cast<std::uint32_t>(step->intArg(0));
        ent e{};
        db_ptr entry = 0;
        if (!host::pickable(id, 1, mask, &e, &entry)) {
            d.scriptError(&*step, "entity " + std::to_string(id) + " cannot be picked at " + quote(text));
            return 0;
        }
        record("host.pick entity " + std::to_string(id) + " type=" + std::to_string(e.type));
        if (std::any_of(chosen.begin(), chosen.end(), [&](const ent& c) { return c.id == id; })) continue;
        sel_bit_turn_on(&e, 4);
        (void)rewrite_ent(&e, 0);
        chosen.push_back(e);
    }
}

int select_ent(const char* prompt, short sel, std::uint32_t mask, short, ent* e, db_ptr* entry) {
    using host::detail::quote;
    using host::detail::record;
    const std::string text = prompt ? prompt : "";
    record("host.prompt " + quote(text));
    plat::UiDriver& d = plat::driver();
    std::optional<plat::Step> step = d.expect({"entity", "esc"}, "entity pick " + quote(text));
    if (!step) return 0;
    if (step->verb == "esc") {
        record("host.pick esc");
        return 0;
    }
    const auto id = static_cast<std::uint32_t>(step->intArg(0));
    ent candidate{};
    if (host::pickable(id, sel, mask, &candidate, entry)) {
        if (e) *e = candidate;
        record("host.pick entity " + std::to_string(id) + " type=" + std::to_string(candidate.type));
        return 1;
    }
    d.scriptError(&*step, "entity " + std::to_string(id) + " cannot be picked at " + quote(text));
    return 0;
}
