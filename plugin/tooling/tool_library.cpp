// Tool libraries and the part's tool list, read and written through the host's list, library and tool
// managers.
#include "plugin/base/machine_info.h"
#include "plugin/base/tool_types.h"
#include "plugin/services/tables.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_library.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"

void tellUnmadeTool(const OPE_LIST& o, const std::string& why, std::set<std::string>& told) {
    constexpr int kMsgCaption = 1, kMsgToolNotMade = 129;   // "ErrorMessages"
    const std::string path = o.point ? tableFilePath(fieldText(o.point->tableName)) : std::string();
    const std::string process = o.point ? fieldText(o.point->processName) : std::string();
    const std::string line = "[" + process + " " + std::to_string(o.opIndex + 1) + "]";
    if (!told.insert(path + '\n' + line).second) return;
    (void)plat::messageBox(nullptr, fillText(errorMessage(kMsgToolNotMade), {path, line, why}),
                           errorMessage(kMsgCaption), plat::MB_OK | plat::MB_ICONWARNING);
}

std::vector<tp_tool> loadToolList(const std::string& name, bool* refused) {
    tool_node* list = nullptr;
    const int loaded = list_manager(kListTools, name.c_str(), kListLoad, &list);
    if (refused) *refused = loaded == 0 && !name.empty() && plat::fileExists(name);
    std::vector<tp_tool> tools;
    for (const tool_node* n = list; n; n = n->next) tools.push_back(n->tool);
    if (list) list_manager(kListTools, name.c_str(), kListFree, &list);
    return tools;
}

namespace {

struct KEPT_LIBRARY {
    std::vector<tp_tool> tools;
    bool refused = false;
};
int g_keptScopes = 0;
std::map<std::string, KEPT_LIBRARY> g_keptLibraries;
std::set<std::string> g_tookNoTool;   // libraries that refused a tool while the tools are kept

const KEPT_LIBRARY& keptLibrary(const std::string& library) {
    auto it = g_keptLibraries.find(library);
    if (it == g_keptLibraries.end()) {
        KEPT_LIBRARY kept;
        kept.tools = loadToolList(library, &kept.refused);
        it = g_keptLibraries.emplace(library, std::move(kept)).first;
    }
    return it->second;
}

class KeptScope final : public LibraryToolsKept {
public:
    KeptScope() { ++g_keptScopes; }
    ~KeptScope() override {
        if (--g_keptScopes > 0) return;
        g_keptLibraries.clear();
        g_tookNoTool.clear();
    }
    KeptScope(const KeptScope&) = delete;
    KeptScope& operator=(const KeptScope&) = delete;
};

}  // namespace

std::unique_ptr<LibraryToolsKept> keepLibraryTools() { return std::make_unique<KeptScope>(); }

std::vector<tp_tool> loadLibraryTools(const std::string& library) {
    std::vector<tp_tool> storage;
    const std::vector<tp_tool>& tools = libraryTools(library, storage);
    if (&tools == &storage) return storage;
    return tools;
}

const std::vector<tp_tool>& libraryTools(const std::string& library, std::vector<tp_tool>& storage) {
    if (library.empty() || g_keptScopes == 0) {
        storage = library.empty() ? std::vector<tp_tool>{} : loadToolList(library);
        return storage;
    }
    return keptLibrary(library).tools;
}

bool libraryRefused(const std::string& library) {
    if (library.empty()) return false;
    if (g_keptScopes > 0) return keptLibrary(library).refused;
    bool refused = false;
    (void)loadToolList(library, &refused);
    return refused;
}

std::string configuredToolLibrary() {
    return g_globals.constructed() ? g_globals->settings.toolLibraryPath : std::string();
}

std::string bigToolLibrary(bool metric) {
    const std::string tools = plat::resolveNoCase(plat::removeTrailingSeparator(current_dir), "Mill/Tools");
    const std::string ext = std::string(".") + g_toolLibExt;
    if (metric) return plat::resolveNoCase(tools, "big_mm" + ext);
    const std::string big = plat::resolveNoCase(tools, "big" + ext);
    return plat::readFile(big) ? big : plat::resolveNoCase(tools, "big_Inch" + ext);
}

int nextFreeToolNumber(const std::string& library, int* number, int* slot) {
    int highNumber = 0, highSlot = 0;
    for (const tp_tool& t : loadLibraryTools(library)) {
        highNumber = std::max(highNumber, static_cast<int>(t.number));
        highSlot = std::max(highSlot, static_cast<int>(t.slot));
    }
    if (number) *number = highNumber + 1;
    if (slot) *slot = highSlot + 1;
    return 0;
}

int toolNumberBySlot(const std::string& library, int slot) {
    for (const tp_tool& t : loadLibraryTools(library))
        if (t.slot == slot) return t.number;
    return -1;
}

int addToolToLibrary(const std::string& library, const tp_tool* tool, int* number, int* slot) {
    if (!tool || g_tookNoTool.contains(library)) return 1;
    tp_tool copy = *tool;
    int freeNumber = 1, freeSlot = 1;
    nextFreeToolNumber(library, &freeNumber, &freeSlot);
    copy.number = freeNumber;
    copy.slot = freeSlot;
    char path[1024];
    std::snprintf(path, sizeof path, "%s", library.c_str());
    if (library_manager(kLibraryStoreTool, path, &copy, freeNumber, kLibraryOptionAdd) != 1) {
        g_keptLibraries.erase(library);   // what the library holds now is the host's to say
        if (g_keptScopes > 0) g_tookNoTool.insert(library);
        return 1;
    }
    if (const auto kept = g_keptLibraries.find(library); kept != g_keptLibraries.end()) kept->second.tools.push_back(copy);
    if (number) *number = copy.number;
    if (slot) *slot = copy.slot;
    return 0;
}

int findSameLibraryTool(const std::string& library, const tp_tool& tool, tp_tool* out) {
    const auto identity = [](tp_tool t) {
        t.slot = 0;
        t.number = 0;
        t.extra = 0;
        return tpToolImage(t);
    };
    const TP_TOOL_BYTES wanted = identity(tool);
    for (const tp_tool& t : loadLibraryTools(library)) {
        if (identity(t) != wanted) continue;
        if (out) *out = t;
        return 1;
    }
    return 0;
}

namespace {

std::string trimmedBlanks(const char* text) {
    std::string s = text;
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

int findLibraryToolByName(std::int16_t type, const std::string& name, tp_tool* out) {
    if (out) *out = tp_tool{};
    for (const tp_tool& t : loadLibraryTools(configuredToolLibrary())) {
        if (type != 0 && t.type != type) continue;
        if (!plat::equalsNoCase(trimmedBlanks(t.name), name)) continue;
        if (out) *out = t;
        return 1;
    }
    return 0;
}

std::int32_t findPartToolLike(tp_tool* tool, bool sameMaterial, bool sameName, const char* text) {
    if (!tool) return 0;
    const double T = g_tolerances.tolT;
    TpPartToolList& part = TpMainToolMgr().GetMainMillToolList();
    for (int i = 0; i < part.GetSize(); ++i) {
        const part_tool* entry = part.GetAt(i);
        if (!entry) continue;
        const tp_tool& t = entry->tool;
        if (t.type != tool->type || t.subType != tool->subType) continue;
        if (!(std::fabs(t.diameter - tool->diameter) < 0.99 * T)) continue;
        if (sameMaterial && t.material != tool->material) continue;
        if (sameName && !plat::equalsNoCase(t.name, tool->name)) continue;
        if (text && findNoCase(t.name, text) < 0) continue;
        if (!(std::fabs(t.angle - tool->angle) < 0.1)) continue;
        if (!(std::fabs(t.cornerRadius - tool->cornerRadius) < 0.4 * T)) continue;
        if (!(std::fabs(t.fluteLength - tool->fluteLength) < 0.4 * T)) continue;
        tp_tool record;
        if (part.DatabaseRetrieve(entry->id, &record)) *tool = record;
        return entry->id;
    }
    return 0;
}

std::int32_t addToolToPart(tp_tool* tool) {
    if (!tool || tool->type < 0) return 0;
    TpPartToolList& part = TpMainToolMgr().GetMainMillToolList();
    std::vector<std::int32_t> numbers;
    for (int i = 0; i < part.GetSize(); ++i)
        if (const part_tool* entry = part.GetAt(i)) numbers.push_back(entry->tool.number);
    std::sort(numbers.begin(), numbers.end());
    std::int32_t n = 1;
    for (std::int32_t used : numbers) {
        if (used < n) continue;   // a number below the count so far (0, or a repeat) does not end the run
        if (used != n) break;
        ++n;
    }
    tool->number = n;
    // The machine group would number the tool after the part's tools; it keeps the number chosen here.
    op_group* group = g_machineInfo.rootMachineGroup ? g_machineInfo.rootMachineGroup : GroupsMachineGroup(nullptr);
    const std::int32_t numbering = group ? group->machine.toolNumbering : 0;
    if (group) group->machine.toolNumbering = 0;
    const double extra = tool->extra;
    const std::int32_t id = part.DatabaseAdd(tool);
    tool->extra = extra;
    if (group) group->machine.toolNumbering = numbering;
    part.Refresh();
    return id;
}

int mapToolTypeCode(std::int16_t type) {
    switch (type) {
    case 3: return 1;
    case 4: case 5: return 3;
    case 6: return 4;
    case 7: return 6;
    default: return 0;
    }
}
