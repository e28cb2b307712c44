// Chains: ordered copies of points, lines and arcs, built by the caller and given to an operation with
// chain_manager, which keeps copies of them with the operation.
#include <cmath>
#include <numbers>

#include "host/internal.h"
#include "host/ops/op_store.h"

namespace {

bool chainable(const ent* e) { return e && (e->type == kEntPoint || e->type == kEntLine || e->type == kEntArc); }

bool samePoint(const p_3d& a, const p_3d& b) {
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
}

// A chain is closed when its one curve is a full circle, or when its lines end where they start.
void updateClosed(CHAIN* c) {
    c->closed = 0;
    if (!c->start) return;
    const ent* first = c->start->e;
    const ent* last = c->last->e;
    if (c->num_ents == 1 && first->type == kEntArc) {
        c->closed = std::abs(first->arc.sw) >= 2 * std::numbers::pi - 1e-9 ? 1 : 0;
        return;
    }
    if (c->num_ents > 1 && first->type == kEntLine && last->type == kEntLine) {
        const p_3d& from = c->start->reversed ? first->ln.ln.e2 : first->ln.ln.e1;
        const p_3d& to = c->last->reversed ? last->ln.ln.e1 : last->ln.ln.e2;
        c->closed = samePoint(from, to) ? 1 : 0;
    }
}

}  // namespace

int alloc_chain(CHAIN** chain) {
    if (!chain) return 0;
    *chain = new CHAIN{};
    return 1;
}

int add_curve_to_chain(int, int, std::uint32_t, CHAIN* chain, CHAIN_ENT** after, int direction, const ent* curve) {
    if (!chain || !chainable(curve)) return 0;
    auto* ce = new CHAIN_ENT{};
    ce->e = new ent(*curve);
    ce->eptr = curve->eptr;
    ce->reversed = direction == 1 ? 1 : 0;
    CHAIN_ENT* prev = after && *after ? *after : chain->last;
    ce->prev = prev;
    ce->next = prev ? prev->next : chain->start;
    if (ce->next) ce->next->prev = ce;
    else chain->last = ce;
    if (prev) prev->next = ce;
    else chain->start = ce;
    ++chain->num_ents;
    if (after) *after = ce;
    updateClosed(chain);
    return 1;
}

int append_chain_ent(CHAIN* chain, const ent* e) {
    CHAIN_ENT* last = chain ? chain->last : nullptr;
    return add_curve_to_chain(0, 1, 512, chain, &last, -1, e);
}

int append_chain(CHAIN** list, CHAIN* chain) {
    if (!list || !chain) return 0;
    CHAIN** tail = list;
    while (*tail) tail = &(*tail)->next;
    *tail = chain;
    return 1;
}

void free_chain(CHAIN** chain) {
    if (!chain || !*chain) return;
    for (CHAIN_ENT* ce = (*chain)->start; ce;) {
        CHAIN_ENT* next = ce->next;
        delete ce->e;
        delete ce;
        ce = next;
    }
    delete *chain;
    *chain = nullptr;
}

void free_chains(CHAIN** list) {
    if (!list) return;
    while (*list) {
        CHAIN* next = (*list)->next;
        free_chain(list);
        *list = next;
    }
}

int chain_manager(CHAIN* list, std::int32_t opId, int mode) {
    host::ops::StoredOp* s = host::ops::findOp(opId);
    if (!s || !list || (mode != 0 && mode != 1)) {
        host::detail::record("host.op chains " + std::to_string(opId) + " refused");
        return 0;
    }
    std::vector<host::ops::ChainRec> taken;
    for (const CHAIN* c = list; c; c = c->next) {
        host::ops::ChainRec rec;
        rec.closed = c->closed;
        for (const CHAIN_ENT* ce = c->start; ce; ce = ce->next)
            rec.ents.push_back(host::ops::ChainEntRec{ce->e->id, ce->reversed, *ce->e});
        taken.push_back(std::move(rec));
    }
    if (mode == 0) s->chains.clear();
    const std::size_t n = taken.size();
    for (auto& rec : taken) s->chains.push_back(std::move(rec));
    host::ops::markToolpathStale(opId);
    host::detail::record("host.op chains " + std::to_string(opId) + (mode == 0 ? " set " : " add ") +
                         std::to_string(n));
    return 1;
}
