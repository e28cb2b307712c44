// getHostOpDefaults: the host's operation defaults into a PROCESS_OPE. Offsets in the host record: code 4,
// sub-code 5, the common double 624, the extra block 728, the blocks 1376 (6 bytes), 2040 (64), 2104 (40),
// 2176 (168) and the kind block 3288.
#include "plugin/model/process_ope.h"
#include "plugin/tables/host_op_defaults.h"

#include <cstring>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/model/host_blocks.h"

namespace {

using namespace process_ope;

constexpr std::size_t kCommonDouble = 624, kExtra = 728;
constexpr int kFillDefaults = 10;
static_assert(kOperationSize == kHostOperationSize);
constexpr std::size_t kFrom6 = 1376, kFrom64 = 2040, kFrom40 = 2104, kFrom168 = 2176, kFromKind = 3288;
constexpr double kLeadSweep = 80 * std::numbers::pi / 180;   // 1.3962634015954631

void copyBlock(PROCESS_OPE& op, std::size_t to, const std::vector<std::uint8_t>& record, std::size_t from,
               std::size_t size) {
    std::memcpy(op.bytes + to, record.data() + from, size);
}

// One lead group of the 168-byte block for a contour: 20 % of the tool diameter as arc radius, 80 degrees.
void setLeadGroup(PROCESS_OPE& op, std::size_t group, double toolDiam) {
    const std::size_t at = hostBlock168 + group;
    op.set<double>(at + 64, 20.0);
    op.set<double>(at + 24, toolDiam * 20 / 100);
    op.set<double>(at + 32, kLeadSweep);
    op.set<double>(at + 56, 0.0);
    op.set<double>(at + 8, 0.0);
    op.set<std::uint8_t>(at + 49, 1);
}

// The host's operation manager fills a zero-filled record of the code with its defaults (mode 10), with the
// two file-naming rules that would touch the record switched off meanwhile. The record's image, read by
// offset below.
int hostDefaults(std::uint8_t code, std::uint8_t subCode, std::vector<std::uint8_t>& record) {
    const std::uint32_t rule269 = OpMgrFileNamingRules[268], rule271 = OpMgrFileNamingRules[270];
    OpMgrFileNamingRules[268] = OpMgrFileNamingRules[270] = 0;
    operation op{};
    op.code = code;
    op.subCode = subCode;
    db_ptr entity = 0;
    char failed = 0;
    (void)operation_manager(&op, kFillDefaults, &entity, &failed);
    OpMgrFileNamingRules[268] = rule269;
    OpMgrFileNamingRules[270] = rule271;
    const OPERATION_BYTES image = operationToImage(op);
    record.assign(image.begin(), image.end());
    return failed == 0 ? 1 : 0;
}

}  // namespace

int getHostOpDefaults(std::int16_t milledKind, double toolDiam, PROCESS_OPE* definition, std::uint8_t* extra) {
    const bool holeMill = milledKind == kCircleMill && g_globals->hostVersion[4] == 5;
    struct CODES {
        std::uint8_t code, subCode;
    };
    const CODES codes = milledKind == kCircleMill ? (holeMill ? CODES{47, 1} : CODES{18, 0})
                      : milledKind == kContour    ? CODES{1, 0}
                      : milledKind == kHelixBore  ? CODES{106, 0}
                      : milledKind == kThreadMill ? CODES{100, 0}
                                                  : CODES{0, 0};
    std::vector<std::uint8_t> record;
    const int done = hostDefaults(codes.code, codes.subCode, record);
    PROCESS_OPE& op = *definition;
    const BLOCK_PLACE place = kindBlockPlace(milledKind);
    if (place.size) {
        copyBlock(op, hostBlock6, record, kFrom6, kBlock6);
        if (milledKind == kCircleMill || milledKind == kContour) {
            copyBlock(op, hostBlock64, record, kFrom64, kBlock64);
            copyBlock(op, hostBlock40, record, kFrom40, kBlock40);
            copyBlock(op, hostBlock168, record, kFrom168, kBlock168);
        }
        if (!holeMill) {
            copyBlock(op, place.at, record, kFromKind, place.size);
            double value = 0;
            std::memcpy(&value, record.data() + kCommonDouble, sizeof value);
            opeSet(op, hostValue, value);
        }
        if (milledKind != kCircleMill) std::memset(op.bytes + hostBlock6, 0, 3);
        if (milledKind == kContour) {
            op.set<std::uint8_t>(hostBlock168 + 160, 0);
            op.set<std::uint8_t>(hostBlock168 + 161, 0);
            setLeadGroup(op, 8, toolDiam);
            setLeadGroup(op, 80, toolDiam);
        }
    }
    if (extra) std::memcpy(extra, record.data() + kExtra, kHostExtraSize);
    return done ? 1 : 0;
}
