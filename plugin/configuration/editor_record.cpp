// The operation record from the editor's state and back. A stored operation is built in a cleared slot, so
// nothing of an operation that held the slot before survives; the stored fields the editor does not edit
// come with its copy of the operation, and the display name (the table reader rebuilds it) is empty.
#include "plugin/configuration/editor_record.h"

#include <array>
#include <cstring>
#include <type_traits>

#include "plugin/model/host_blocks.h"

namespace {

using namespace process_ope;
using EDITOR = CDlgEditProcessOpe;

// Every host parameter block: the four common ones and the four of the milled kinds, which lie end to end.
constexpr std::size_t kBlocksAt = hostBlock6, kBlocksEnd = threadMillBlock + kThreadMillSize;
static_assert(hostBlock64 == hostBlock6 + 8 && circleMillBlock == hostBlock168 + kBlock168 &&
              contourBlock == circleMillBlock + kCircleMillSize && helixBoreBlock == contourBlock + kContourSize &&
              threadMillBlock == helixBoreBlock + kHelixBoreSize);

// A field of the editor's state at its place in the record, copied either way. VIA is a narrower width the
// value passes through both ways: the tool type is kept in 32 bits of which only the low 16 count.
struct EDITOR_FIELD {
    void (*store)(PROCESS_OPE&, const EDITOR&);
    void (*load)(EDITOR&, const PROCESS_OPE&);
};
template <auto member, auto field, class VIA = void>
constexpr EDITOR_FIELD editorField() {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, TEXT_FIELD>) {
        return {[](PROCESS_OPE& op, const EDITOR& e) { setOpeText(op, field, e.*member); },
                [](EDITOR& e, const PROCESS_OPE& op) { e.*member = opeText(op, field); }};
    } else {
        return {[](PROCESS_OPE& op, const EDITOR& e) {
                    using STORED = decltype(opeGet(op, field));
                    using V = std::conditional_t<std::is_void_v<VIA>, STORED, VIA>;
                    opeSet(op, field, static_cast<STORED>(static_cast<V>(e.*member)));
                },
                [](EDITOR& e, const PROCESS_OPE& op) {
                    using HELD = std::remove_cvref_t<decltype(e.*member)>;
                    using V = std::conditional_t<std::is_void_v<VIA>, decltype(opeGet(op, field)), VIA>;
                    e.*member = static_cast<HELD>(static_cast<V>(opeGet(op, field)));
                }};
    }
}
constexpr EDITOR_FIELD kEditorFields[] = {
    editorField<&EDITOR::toolType, operationType, std::int16_t>(),
    editorField<&EDITOR::cycleIndex, cycle>(),
    editorField<&EDITOR::milledKind, milledKind>(),
    editorField<&EDITOR::circleCycleIndex, lineInt47>(),
    editorField<&EDITOR::materialWanted, lineInt43>(),
    editorField<&EDITOR::toolMaterial, lineInt44>(),
    editorField<&EDITOR::nameWanted, lineInt45>(),
    editorField<&EDITOR::wantedToolName, lineText46>(),
    editorField<&EDITOR::fromTopZ, lineInt19>(),
    editorField<&EDITOR::fromTopZNext, lineInt19Next>(),
    editorField<&EDITOR::firstDrillPercent, lineValue20>(),
    editorField<&EDITOR::cornerRadiusChoice, lineInt23>(),
    editorField<&EDITOR::cornerRadius, lineValue24>(),
    editorField<&EDITOR::calcEachForm, lineInt42>(),
    editorField<&EDITOR::comment, opName>(),
    editorField<&EDITOR::libraryToolName, toolName>(),
};

// The groups of fields in which the record keeps a measure block.
enum GROUP { kToolDiameter, kTopZ, kBottomZ, kMilledDiameter, kGroups };

// A field of a measure block and where each group keeps it, 0 where a group does not; the record holds it
// at the block field's own width.
struct BLOCK_FIELD {
    void (*store)(PROCESS_OPE&, std::size_t at, const ASSOC_VALUE&);
    void (*load)(ASSOC_VALUE&, const PROCESS_OPE&, std::size_t at);
    std::array<std::size_t, kGroups> at;
};
template <auto member>
constexpr BLOCK_FIELD blockField(std::array<std::size_t, kGroups> at) {
    using T = std::remove_cvref_t<decltype(ASSOC_VALUE{}.*member)>;
    return {[](PROCESS_OPE& op, std::size_t at, const ASSOC_VALUE& b) { op.set<T>(at, b.*member); },
            [](ASSOC_VALUE& b, const PROCESS_OPE& op, std::size_t at) { b.*member = op.get<T>(at); }, at};
}
// By group: the tool diameter, the top Z, the bottom Z, the milled diameter.
constexpr BLOCK_FIELD kBlockFields[] = {
    blockField<&ASSOC_VALUE::value>({toolDiam.at, zSup.at, zInf.at, cylDiam.at}),
    blockField<&ASSOC_VALUE::pickY>({toolDiamSecond.at, 0, 0, cylDiamPickY.at}),
    blockField<&ASSOC_VALUE::spare>({0, 0, 0, cylDiamSpare.at}),
    blockField<&ASSOC_VALUE::mode>({toolDiamAssoc.at, zSupAssoc.at, zInfAssoc.at, cylDiamAssoc.at}),
    blockField<&ASSOC_VALUE::columnId>({toolDiamCol.at, zSupCol.at, zInfCol.at, cylDiamCol.at}),
    blockField<&ASSOC_VALUE::topColumnId>({0, millDiamCol.at, lineInt28.at, cylDiamTopCol.at}),
    blockField<&ASSOC_VALUE::stepEnd>({toolDiamZPl.at, zSupZPl.at, zInfZPl.at, cylDiamZPl.at}),
    blockField<&ASSOC_VALUE::stepIndex>({toolDiamCyl.at, zSupCyl.at, zInfCyl.at, cylDiamCyl.at}),
    blockField<&ASSOC_VALUE::offsetOn>({toolDiamOffsetOn.at, 0, bottomStockOn.at, cylDiamOffsetOn.at}),
    blockField<&ASSOC_VALUE::offset>({toolDiamOffset.at, 0, bottomStock.at, cylDiamOffset.at}),
};

void storeGroup(PROCESS_OPE& op, GROUP g, const ASSOC_VALUE& b) {
    for (const BLOCK_FIELD& f : kBlockFields)
        if (f.at[g] != 0) f.store(op, f.at[g], b);
}
ASSOC_VALUE loadGroup(const PROCESS_OPE& op, GROUP g) {
    ASSOC_VALUE b;
    for (const BLOCK_FIELD& f : kBlockFields)
        if (f.at[g] != 0) f.load(b, op, f.at[g]);
    return b;
}

}  // namespace

void storeMilledDiameter(PROCESS_OPE& op, const ASSOC_VALUE& block) { storeGroup(op, kMilledDiameter, block); }
void storeToolDiameter(PROCESS_OPE& op, const ASSOC_VALUE& block) { storeGroup(op, kToolDiameter, block); }
ASSOC_VALUE loadMilledDiameter(const PROCESS_OPE& op) { return loadGroup(op, kMilledDiameter); }

int CConfigProcess::fillOperationFromEditor(PROCESS_OPE* slot, const std::vector<std::string>&) const {
    const EDITOR& e = editor;
    PROCESS_OPE& op = *slot;
    op = PROCESS_OPE{};
    // What the table keeps of the operation beyond the editor's fields: an edit leaves them as they were.
    opeSet(op, disabled, opeGet(e.operation, disabled));
    opeSet(op, lineInt17, opeGet(e.operation, lineInt17));
    opeSet(op, lineInt33, opeGet(e.operation, lineInt33));
    opeSet(op, lineValue34, opeGet(e.operation, lineValue34));
    opeSet(op, hostValue, opeGet(e.operation, hostValue));
    opeSet(op, lineInt18, std::int16_t{0});   // no editor value: always stored as 0
    std::memcpy(op.bytes + kBlocksAt, e.operation.bytes + kBlocksAt, kBlocksEnd - kBlocksAt);
    for (const EDITOR_FIELD& f : kEditorFields) f.store(op, e);
    storeGroup(op, kToolDiameter, e.assoc[kToolDiamBlock]);
    storeGroup(op, kTopZ, e.assoc[kTopZBlock]);
    storeGroup(op, kBottomZ, e.assoc[kBottomZBlock]);
    if (e.milledKind >= kCircleMill && e.milledKind <= kThreadMill)
        storeMilledDiameter(op, e.assoc[static_cast<std::size_t>(kBottomZBlock + e.milledKind)]);
    return 0;
}

void CConfigProcess::fillEditorFromOperation(const PROCESS_OPE& op) {
    EDITOR& e = editor;
    e.operation = op;
    for (const EDITOR_FIELD& f : kEditorFields) f.load(e, op);
    e.assoc[kToolDiamBlock] = loadGroup(op, kToolDiameter);
    e.assoc[kTopZBlock] = loadGroup(op, kTopZ);
    e.assoc[kBottomZBlock] = loadGroup(op, kBottomZ);
    // The blocks of the other milled kinds start associated to the form, as for a new operation.
    for (int kind = kCircleMill; kind <= kThreadMill; ++kind) {
        ASSOC_VALUE& block = e.assoc[static_cast<std::size_t>(kBottomZBlock + kind)];
        block = ASSOC_VALUE{};
        block.mode = 1;
        if (kind == e.milledKind) block = loadMilledDiameter(op);
    }
}
