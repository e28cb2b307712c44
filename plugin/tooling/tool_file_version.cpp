// The version check of a tool's profile file: a host part file read entity by entity, whose version entity
// must name a recent enough host and whose profile line that ends on the tool axis gives the tool's length.
#include <cmath>
#include <string>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/tooling/tool_library.h"

namespace {

constexpr std::size_t kHostReleaseByte = 0;   // of the host's version header
constexpr int kFirstReadingRelease = 13;      // the first host that reads profile files this way
constexpr int kFirstCurrentFile = 12;         // files written before this release are refused
constexpr std::int32_t kInfoVersion = 8;      // sub-kind of the version entity
constexpr std::uint8_t kDraftLine = 1;        // sub-kind of a drafting line
constexpr std::uint16_t kProfileSelection = 1;

std::string fieldText(const char* field, std::size_t size) {
    std::size_t n = 0;
    while (n < size && field[n]) ++n;
    return std::string(field, n);
}

void tellOldFile(const std::string& path, const std::string& tool) {
    const std::string text =
        "The PFX file: \n " + path + " \n of the tool: \n " + tool + " \n is from a prior version of PforgeX3";
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK);
}

}  // namespace

int checkToolFileVersion(const tp_tool* tool, double* length) {
    if (!tool || !g_globals.constructed()) return -1;
    if (g_globals->hostVersion[kHostReleaseByte] < kFirstReadingRelease) return -1;
    const std::string path = fieldText(tool->profilePath, sizeof tool->profilePath);
    part_reader* reader = read_ent_open(path.c_str());
    if (!reader) return -1;
    const double onAxis = g_tolerances.tol0004T;
    double found = 0;
    int result = 0;
    for (;;) {
        ent e{};
        const int read = read_ent(reader, &e);
        if (read <= 0) {
            if (read < 0) result = -1;   // a file damaged past its opening is not taken as read
            break;
        }
        if (e.type == kEntInfo && e.info.subKind == kInfoVersion && e.info.value < kFirstCurrentFile) {
            tellOldFile(path, fieldText(tool->name, sizeof tool->name));
            result = -1;
            break;
        }
        if (e.type == kEntDrafting && e.draft.subKind == kDraftLine && (e.sel & kProfileSelection) && e.refs == 0) {
            const l_3d& line = e.draft.line;
            if (std::fabs(line.e1.y) < onAxis) found = line.e2.y;
            if (std::fabs(line.e2.y) < onAxis) found = line.e1.y;
            FreeEntAllocations(&e);
        }
    }
    read_ent_close(reader);
    if (result == 0 && length) *length = found;
    return result;
}
