// The operation record from the editor's state and back. A stored operation is built in a cleared slot, so
// nothing of an operation that held the slot before survives; the stored fields the editor does not edit
// come with its copy of the operation, and the display name (the table reader rebuilds it) is empty.
#include "plugin/configuration/editor_record.h"

#include <cstring>

#include "plugin/model/host_blocks.h"

namespace {

using namespace process_ope;

// Every host parameter block: the four common ones and the four of the milled kinds, which lie end to end.
constexpr std::size_t kBlocksAt = hostBlock6, kBlocksEnd = threadMillBlock + kThreadMillSize;
static_assert(hostBlock64 == hostBlock6 + 8 && circleMillBlock == hostBlock168 + kBlock168 &&
              contourBlock == circleMillBlock + kCircleMillSize && helixBoreBlock == contourBlock + kContourSize &&
              threadMillBlock == helixBoreBlock + kHelixBoreSize);

// Where the record keeps the fields of a measure block; 0 for a field the record does not keep.
struct GROUP {
    std::size_t value, pickY, spare, mode, columnId, topColumnId, stepEnd, stepIndex, offsetOn, offset;
};
constexpr GROUP kToolDiameter{toolDiam.at, toolDiamSecond.at, 0, toolDiamAssoc.at, toolDiamCol.at, 0,
                              toolDiamZPl.at, toolDiamCyl.at, toolDiamOffsetOn.at, toolDiamOffset.at};
constexpr GROUP kTopZ{zSup.at, 0, 0, zSupAssoc.at, zSupCol.at, millDiamCol.at, zSupZPl.at, zSupCyl.at, 0, 0};
constexpr GROUP kBottomZ{zInf.at, 0, 0, zInfAssoc.at, zInfCol.at, lineInt28.at, zInfZPl.at, zInfCyl.at,
                         bottomStockOn.at, bottomStock.at};
constexpr GROUP kMilledDiameter{cylDiam.at, cylDiamPickY.at, cylDiamSpare.at, cylDiamAssoc.at, cylDiamCol.at,
                                cylDiamTopCol.at, cylDiamZPl.at, cylDiamCyl.at, cylDiamOffsetOn.at, cylDiamOffset.at};

template <class T, class V>
void put(PROCESS_OPE& op, std::size_t at, V v) {
    if (at != 0) op.set<T>(at, static_cast<T>(v));
}
template <class T>
T take(const PROCESS_OPE& op, std::size_t at) {
    return at != 0 ? op.get<T>(at) : T{};
}

void storeGroup(PROCESS_OPE& op, const GROUP& g, const ASSOC_VALUE& b) {
    put<double>(op, g.value, b.value);
    put<double>(op, g.pickY, b.pickY);
    put<double>(op, g.spare, b.spare);
    put<std::int16_t>(op, g.mode, b.mode);
    put<std::uint16_t>(op, g.columnId, b.columnId);
    put<std::uint16_t>(op, g.topColumnId, b.topColumnId);
    put<std::int16_t>(op, g.stepEnd, b.stepEnd);
    put<std::int16_t>(op, g.stepIndex, b.stepIndex);
    put<std::int16_t>(op, g.offsetOn, b.offsetOn);
    put<double>(op, g.offset, b.offset);
}

ASSOC_VALUE loadGroup(const PROCESS_OPE& op, const GROUP& g) {
    ASSOC_VALUE b;
    b.value = take<double>(op, g.value);
    b.pickY = take<double>(op, g.pickY);
    b.spare = take<double>(op, g.spare);
    b.mode = take<std::int16_t>(op, g.mode);
    b.columnId = take<std::uint16_t>(op, g.columnId);
    b.topColumnId = take<std::uint16_t>(op, g.topColumnId);
    b.stepEnd = take<std::int16_t>(op, g.stepEnd);
    b.stepIndex = take<std::int16_t>(op, g.stepIndex);
    b.offsetOn = take<std::int16_t>(op, g.offsetOn);
    b.offset = take<double>(op, g.offset);
    return b;
}

}  // namespace

void storeMilledDiameter(PROCESS_OPE& op, const ASSOC_VALUE& block) { storeGroup(op, kMilledDiameter, block); }
ASSOC_VALUE loadMilledDiameter(const PROCESS_OPE& op) { return loadGroup(op, kMilledDiameter); }

int CConfigProcess::fillOperationFromEditor(PROCESS_OPE* slot, const std::vector<std::string>&) const {
    const CDlgEditProcessOpe& e = editor;
    PROCESS_OPE& op = *slot;
    op = PROCESS_OPE{};
    // What the table keeps of the operation beyond the editor's fields: an edit leaves them as they were.
    opeSet(op, disabled, opeGet(e.operation, disabled));
    opeSet(op, lineInt17, opeGet(e.operation, lineInt17));
    opeSet(op, lineInt33, opeGet(e.operation, lineInt33));
    opeSet(op, lineValue34, opeGet(e.operation, lineValue34));
    opeSet(op, operationType, static_cast<std::uint32_t>(static_cast<std::int16_t>(e.toolType)));
    opeSet(op, cycle, static_cast<std::uint32_t>(e.cycleIndex));
    opeSet(op, milledKind, e.milledKind);
    opeSet(op, lineInt47, e.circleCycleIndex);
    opeSet(op, lineInt43, e.materialWanted);
    opeSet(op, lineInt44, e.toolMaterial);
    opeSet(op, lineInt45, e.nameWanted);
    setOpeText(op, lineText46, e.wantedToolName);
    storeGroup(op, kToolDiameter, e.assoc[kToolDiamBlock]);
    storeGroup(op, kTopZ, e.assoc[kTopZBlock]);
    storeGroup(op, kBottomZ, e.assoc[kBottomZBlock]);
    if (e.milledKind >= kCircleMill && e.milledKind <= kThreadMill)
        storeMilledDiameter(op, e.assoc[static_cast<std::size_t>(kBottomZBlock + e.milledKind)]);
    opeSet(op, lineInt18, std::int16_t{0});
    opeSet(op, lineInt19, e.fromTopZ);
    opeSet(op, lineInt19Next, e.fromTopZNext);
    opeSet(op, lineValue20, e.firstDrillPercent);
    opeSet(op, lineInt23, static_cast<std::int16_t>(e.cornerRadiusChoice));
    opeSet(op, lineValue24, e.cornerRadius);
    opeSet(op, lineInt42, e.calcEachForm);
    setOpeText(op, opName, e.comment);
    setOpeText(op, toolName, e.libraryToolName);
    opeSet(op, hostValue, opeGet(e.operation, hostValue));
    std::memcpy(op.bytes + kBlocksAt, e.operation.bytes + kBlocksAt, kBlocksEnd - kBlocksAt);
    return 0;
}

void CConfigProcess::fillEditorFromOperation(const PROCESS_OPE& op) {
    CDlgEditProcessOpe& e = editor;
    e.operation = op;
    e.toolType = static_cast<std::int16_t>(opeGet(op, operationType));
    e.cycleIndex = static_cast<std::int16_t>(opeGet(op, cycle));
    e.milledKind = opeGet(op, milledKind);
    e.circleCycleIndex = opeGet(op, lineInt47);
    e.materialWanted = opeGet(op, lineInt43);
    e.toolMaterial = opeGet(op, lineInt44);
    e.nameWanted = opeGet(op, lineInt45);
    e.wantedToolName = opeText(op, lineText46);
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
    e.fromTopZ = opeGet(op, lineInt19);
    e.fromTopZNext = opeGet(op, lineInt19Next);
    e.firstDrillPercent = opeGet(op, lineValue20);
    e.cornerRadiusChoice = opeGet(op, lineInt23);
    e.cornerRadius = opeGet(op, lineValue24);
    e.calcEachForm = opeGet(op, lineInt42);
    e.comment = opeText(op, opName);
    e.libraryToolName = opeText(op, toolName);
}
