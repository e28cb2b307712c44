// Chains (ordered copies of points, lines and arcs handed to an operation as its geometry), the drafting
// globals and the scripted entity pick, as the plug-in sees them. Included by host/api_ops.h after
// api_db.h (ent, db_ptr).
#pragma once
#include <cstdint>
#include <vector>

struct ent;

// ---- chains ---------------------------------------------------------------------------------------------
// A chain entity holds a copy of the entity record (point, line or arc) and its handle. Chains are the
// caller's until given to free_chain(s); chain_manager copies what it takes.
struct CHAIN_ENT {
    ent* e = nullptr;               // owned copy
    db_ptr eptr = 0;
    std::uint8_t reversed = 0;      // 1: the curve is run from its end
    CHAIN_ENT* next = nullptr;
    CHAIN_ENT* prev = nullptr;
};
struct CHAIN {
    CHAIN_ENT* start = nullptr;
    CHAIN_ENT* last = nullptr;
    std::int32_t num_ents = 0;
    std::uint8_t closed = 0;        // 1 when the last curve ends where the first starts
    CHAIN* next = nullptr;          // next chain of a list
};

// A new empty chain in *chain: 1 done, 0 when chain is null.
int alloc_chain(CHAIN** chain);
// Adds a copy of `curve` (a stored point, line or arc) after `*after` (null or the chain's last: at the
// end) and sets *after to the new chain entity. `a`, `b` and `mask` are taken as given (0, 1, 512);
// `direction` -1 keeps the curve's own direction, 1 reverses it. The ends are not moved.
// 1 done; 0 for another kind of entity or no chain.
int add_curve_to_chain(int a, int b, std::uint32_t mask, CHAIN* chain, CHAIN_ENT** after, int direction,
                       const ent* curve);
// Appends a chain entity for the stored entity `e` at the end of the chain (as add_curve_to_chain at the
// end with direction -1). 1 done, 0 as above.
int append_chain_ent(CHAIN* chain, const ent* e);
// Appends `chain` at the end of the list *list (a null list becomes the chain). 1 done.
int append_chain(CHAIN** list, CHAIN* chain);
// Gives the chains of `list` to operation `opId`: mode 0 replaces its chains, mode 1 adds them. The
// operation keeps copies (the chains stay the caller's). 1 done; 0 for an unknown operation, an empty
// list, or another mode.
int chain_manager(CHAIN* list, std::int32_t opId, int mode);
void free_chain(CHAIN** chain);    // one chain (its `next` is not followed); *chain becomes null
void free_chains(CHAIN** list);    // a whole list

// ---- drafting globals (recorded only) -----------------------------------------------------------------------
// A dimension's drafting values; InitDIM fills the host's current ones (metric: text height 3.5, arrows 3
// long and 1 wide, extension gap 1, overshoot 2, 2 decimals; inch: 0.14, 0.12, 0.04, 0.04, 0.08, 3).
struct dim_rec {
    double textHeight = 0;
    double arrowLength = 0;
    double arrowWidth = 0;
    double extensionGap = 0;
    double extensionOvershoot = 0;
    std::int16_t decimals = 0;
};
void DraftGlobalsSave();                       // pushes the current globals
void InitDIM(dim_rec* dim);
void DraftGlobalsFromDim(const dim_rec* dim);  // the current globals become the dimension's
void DraftGlobalsRestore();                    // pops what DraftGlobalsSave pushed (nothing when none)

// ---- entity pick -------------------------------------------------------------------------------------------
// Asks the user to pick one entity. It must be one get_ent(…, sel, mask, …) would find. 1 with the entity
// in *e and *entry; 0 on Esc. `flag` is taken as given.
int select_ent(const char* prompt, short sel, std::uint32_t mask, short flag, ent* e, db_ptr* entry);
// Asks the user to pick any number of entities of `mask`, one after the other, until he ends the selection.
// Each picked entity is selected: selection bit 4 turned on and written, so that it shows in select_color
// (set_clr_sel_bits clears it again). 1 when the user ended the selection, with the picked entities in
// *picked (in pick order, an entity picked twice once); 0 when he aborted it with Esc: what he had picked is
// unselected again and *picked left empty. `picked` may be null.
int select_ents(const char* prompt, std::uint32_t mask, std::vector<ent>* picked);
