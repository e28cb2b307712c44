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

// The tool diameter group, as an editor block would sit in it.
void storeToolDiameter(PROCESS_OPE& op, const ASSOC_VALUE& b) {
    opeSet(op, toolDiam, b.value);
    opeSet(op, toolDiamSecond, b.pickY);
    opeSet(op, toolDiamAssoc, b.mode);
    opeSet(op, toolDiamCol, static_cast<std::int16_t>(b.columnId));
    opeSet(op, toolDiamZPl, b.stepEnd);
    opeSet(op, toolDiamCyl, b.stepIndex);
    opeSet(op, toolDiamOffsetOn, b.offsetOn);
    opeSet(op, toolDiamOffset, b.offset);
}

ASSOC_VALUE loadToolDiameter(const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.value = opeGet(op, toolDiam);
    b.pickY = opeGet(op, toolDiamSecond);
    b.mode = opeGet(op, toolDiamAssoc);
    b.columnId = static_cast<std::uint16_t>(opeGet(op, toolDiamCol));
    b.stepEnd = opeGet(op, toolDiamZPl);
    b.stepIndex = opeGet(op, toolDiamCyl);
    b.offsetOn = opeGet(op, toolDiamOffsetOn);
    b.offset = opeGet(op, toolDiamOffset);
    return b;
}

void storeTopZ(PROCESS_OPE& op, const ASSOC_VALUE& b) {
    opeSet(op, zSup, b.value);
    opeSet(op, zSupAssoc, b.mode);
    opeSet(op, zSupCol, static_cast<std::int16_t>(b.columnId));
    opeSet(op, millDiamCol, static_cast<std::int16_t>(b.topColumnId));
    opeSet(op, zSupZPl, b.stepEnd);
    opeSet(op, zSupCyl, b.stepIndex);
}

ASSOC_VALUE loadTopZ(const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.value = opeGet(op, zSup);
    b.mode = opeGet(op, zSupAssoc);
    b.columnId = static_cast<std::uint16_t>(opeGet(op, zSupCol));
    b.topColumnId = static_cast<std::uint16_t>(opeGet(op, millDiamCol));
    b.stepEnd = opeGet(op, zSupZPl);
    b.stepIndex = opeGet(op, zSupCyl);
    return b;
}

void storeBottomZ(PROCESS_OPE& op, const ASSOC_VALUE& b) {
    opeSet(op, zInf, b.value);
    opeSet(op, zInfAssoc, b.mode);
    opeSet(op, zInfCol, static_cast<std::int16_t>(b.columnId));
    opeSet(op, lineInt28, static_cast<std::int16_t>(b.topColumnId));
    opeSet(op, zInfZPl, b.stepEnd);
    opeSet(op, zInfCyl, b.stepIndex);
    opeSet(op, bottomStockOn, b.offsetOn);
    opeSet(op, bottomStock, b.offset);
}

ASSOC_VALUE loadBottomZ(const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.value = opeGet(op, zInf);
    b.mode = opeGet(op, zInfAssoc);
    b.columnId = static_cast<std::uint16_t>(opeGet(op, zInfCol));
    b.topColumnId = static_cast<std::uint16_t>(opeGet(op, lineInt28));
    b.stepEnd = opeGet(op, zInfZPl);
    b.stepIndex = opeGet(op, zInfCyl);
    b.offsetOn = opeGet(op, bottomStockOn);
    b.offset = opeGet(op, bottomStock);
    return b;
}

}  // namespace

void storeMilledDiameter(PROCESS_OPE& op, const ASSOC_VALUE& b) {
    opeSet(op, cylDiam, b.value);
    opeSet(op, cylDiamAssoc, b.mode);
    opeSet(op, cylDiamCol, static_cast<std::int16_t>(b.columnId));
    opeSet(op, cylDiamZPl, b.stepEnd);
    opeSet(op, cylDiamCyl, b.stepIndex);
    opeSet(op, cylDiamTopCol, static_cast<std::int16_t>(b.topColumnId));
    opeSet(op, cylDiamOffsetOn, b.offsetOn);
    opeSet(op, cylDiamPickY, b.pickY);
    opeSet(op, cylDiamSpare, b.spare);
    opeSet(op, cylDiamOffset, b.offset);
}

ASSOC_VALUE loadMilledDiameter(const PROCESS_OPE& op) {
    ASSOC_VALUE b;
    b.value = opeGet(op, cylDiam);
    b.mode = opeGet(op, cylDiamAssoc);
    b.columnId = static_cast<std::uint16_t>(opeGet(op, cylDiamCol));
    b.stepEnd = opeGet(op, cylDiamZPl);
    b.stepIndex = opeGet(op, cylDiamCyl);
    b.topColumnId = static_cast<std::uint16_t>(opeGet(op, cylDiamTopCol));
    b.offsetOn = opeGet(op, cylDiamOffsetOn);
    b.pickY = opeGet(op, cylDiamPickY);
    b.spare = opeGet(op, cylDiamSpare);
    b.offset = opeGet(op, cylDiamOffset);
    return b;
}

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
    storeToolDiameter(op, e.assoc[kToolDiamBlock]);
    storeTopZ(op, e.assoc[kTopZBlock]);
    storeBottomZ(op, e.assoc[kBottomZBlock]);
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
    e.assoc[kToolDiamBlock] = loadToolDiameter(op);
    e.assoc[kTopZBlock] = loadTopZ(op);
    e.assoc[kBottomZBlock] = loadBottomZ(op);
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
