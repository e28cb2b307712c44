// PROCESS_OPE: one operation of a named process. The 2368 bytes are both the record in memory and its
// stored image (operation copies in the part), so this file is the one place that knows its offsets; every
// field is read and written little-endian at its offset. Texts are zero-ended and cut to their capacity.
// The host's milling parameter blocks are raw bytes of the host's structures (host_blocks.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/model/record_image.h"

struct PROCESS_OPE : BYTE_RECORD<2368> {};

// A process holds at most this many operations.
constexpr int kMaxProcessOps = 100;

namespace process_ope {

template <class T>
struct FIELD {
    std::size_t at;
};
struct TEXT_FIELD {
    std::size_t at, capacity;   // capacity counts the terminating zero
};

constexpr FIELD<std::uint8_t> disabled{0};
constexpr TEXT_FIELD label{1, 83};
constexpr FIELD<std::uint32_t> operationType{84}, cycle{88};
constexpr FIELD<std::int16_t> milledKind{92}, lineInt47{94}, lineInt42{96};
constexpr FIELD<double> toolDiam{104}, toolDiamSecond{112};
constexpr FIELD<std::int16_t> toolDiamAssoc{120}, toolDiamCol{122}, toolDiamSpare{124}, toolDiamZPl{126},
    toolDiamCyl{128}, toolDiamOffsetOn{130};
constexpr FIELD<double> toolDiamOffset{136}, zSup{144};
constexpr FIELD<std::int16_t> zSupAssoc{152}, zSupCol{154}, millDiamCol{156}, zSupZPl{158}, zSupCyl{160};
constexpr FIELD<double> zInf{168};
constexpr FIELD<std::int16_t> zInfAssoc{176}, zInfCol{178}, lineInt28{180}, zInfZPl{182}, zInfCyl{184},
    bottomStockOn{186};
constexpr FIELD<double> bottomStock{192};
constexpr FIELD<std::int16_t> lineInt17{200}, lineInt18{202}, lineInt19{204}, lineInt19Next{206};
constexpr FIELD<double> lineValue20{208};
constexpr FIELD<std::int16_t> lineInt23{216};
constexpr FIELD<double> lineValue24{224};
constexpr FIELD<std::int16_t> lineInt33{232};
constexpr FIELD<double> lineValue34{240}, hostValue{248};
constexpr TEXT_FIELD opName{256, 122}, toolName{378, 122};
constexpr FIELD<std::int16_t> lineInt43{500}, lineInt44{502}, lineInt45{504};
constexpr TEXT_FIELD lineText46{506, 122};
// 628 .. 880: the run-time members of the process engine, not stored in the table file.
constexpr std::size_t runTimeArea = 628, runTimeAreaSize = 252;
constexpr FIELD<double> cylDiam{880};
constexpr FIELD<std::int16_t> cylDiamAssoc{888}, cylDiamCol{890}, cylDiamZPl{892}, cylDiamCyl{894};
// The rest of the editor's measure block of the milled diameter, which the line does not carry.
constexpr FIELD<std::int16_t> cylDiamTopCol{896}, cylDiamOffsetOn{898};
constexpr FIELD<double> cylDiamPickY{904}, cylDiamSpare{912}, cylDiamOffset{920};
// The host blocks: common ones, then one per milled kind.
constexpr std::size_t hostBlock6 = 936, hostBlock64 = 944, hostBlock40 = 1008, hostBlock168 = 1048;
constexpr std::size_t circleMillBlock = 1216, contourBlock = 1424, helixBoreBlock = 1976, threadMillBlock = 2192;

static_assert(runTimeArea + runTimeAreaSize == cylDiam.at);
static_assert(cylDiamOffset.at + 8 <= hostBlock6);
static_assert(threadMillBlock + 168 <= PROCESS_OPE::kSize);

}  // namespace process_ope

template <class T>
T opeGet(const PROCESS_OPE& op, process_ope::FIELD<T> field) {
    return op.get<T>(field.at);
}
template <class T>
void opeSet(PROCESS_OPE& op, process_ope::FIELD<T> field, T value) {
    op.set<T>(field.at, value);
}
std::string opeText(const PROCESS_OPE& op, process_ope::TEXT_FIELD field);
// Cut to capacity - 1 characters; the rest of the field is zeroed.
void setOpeText(PROCESS_OPE& op, process_ope::TEXT_FIELD field, std::string_view text);

// The association index of a taper mill's definition (0 none, else the hole's description item from 1). The
// record's layout does not say where it is kept, so every definition counts as not associated.
inline std::int16_t processAssociationIndex(const PROCESS_OPE&) { return 0; }
