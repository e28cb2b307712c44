// The part's mill tool list (TpToolMgr, TpPartToolList, TpToolList, tool_manager modes 2 and 6) and its
// rows in the part file (layout in part_tools.h).
#include "host/tools/part_tools.h"

#include <algorithm>
#include <set>

#include "host/db/record_io.h"
#include "host/internal.h"
#include "host/tools/record_file.h"
#include "host/tools/tool_editor.h"
#include "host/tools/tool_library.h"

namespace host::tools {

namespace {

PartToolState state;

bool slotInDatabase(std::int32_t slot) {
    return std::any_of(state.records.begin(), state.records.end(),
                       [&](const auto& r) { return r.second.slot == slot; });
}

std::int32_t nextFreeSlot() {
    std::int32_t top = 0;
    for (const auto& [id, t] : state.records) top = std::max(top, t.slot);
    return top + 1;
}

// The stored rows (layout in part_tools.h), each described once for its writer and its reader.
struct HEAD_ROW {
    std::uint16_t codec = 0;
    std::uint32_t count = 0;
    std::int32_t nextId = 0;
};
template <class IO, class H>
void headFields(IO& io, H& h) {
    io.u16(h.codec);
    io.u32(h.count);
    io.i32(h.nextId);
}

struct TOOL_ROW {
    std::int32_t id = 0;
    std::uint16_t imageSize = 0;
    TP_TOOL_BYTES image{};
};
template <class IO, class R>
void toolRowFields(IO& io, R& r) {
    io.i32(r.id);
    io.u16(r.imageSize);
    io.block(r.image);
}

}  // namespace

PartToolState& partTools() { return state; }
void resetPartTools() { state = PartToolState{}; }
void installPartTools(PartToolState&& s) { state = std::move(s); }

std::vector<std::string> encodePartTools(const PartToolState& s) {
    std::vector<std::string> rows;
    const HEAD_ROW head{kPartToolsCodec, static_cast<std::uint32_t>(s.records.size()), s.nextId};
    rows.push_back(db::writeFields(head, [](auto& io, auto& h) { headFields(io, h); }));
    for (const auto& [id, tool] : s.records)
        rows.push_back(db::writeFields(TOOL_ROW{id, static_cast<std::uint16_t>(kTpToolSize), tpToolImage(tool)},
                                       [](auto& io, auto& r) { toolRowFields(io, r); }));
    return rows;
}

bool decodePartTools(const std::vector<std::string>& rows, PartToolState& out, std::string& why) {
    out = PartToolState{};
    if (rows.empty()) return true;   // a part saved before it had tools
    HEAD_ROW head;
    if (!db::readFields(rows[0], head, [](auto& io, auto& h) { headFields(io, h); }) || head.codec != kPartToolsCodec) {
        why = "its tool list header is unreadable";
        return false;
    }
    const std::uint32_t count = head.count;
    const std::int32_t nextId = head.nextId;
    if (count != rows.size() - 1 || nextId < 1) {
        why = "its tool list holds " + std::to_string(rows.size() - 1) + " tools where its header counts " +
              std::to_string(count);
        return false;
    }
    std::set<std::int32_t> slots;
    std::int32_t lastId = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        TOOL_ROW row;
        if (!db::readFields(rows[i], row, [](auto& io, auto& r) { toolRowFields(io, r); }) ||
            row.imageSize != kTpToolSize) {
            why = "part tool " + std::to_string(i) + " has the wrong length";
            return false;
        }
        const std::int32_t id = row.id;
        const std::string_view image(reinterpret_cast<const char*>(row.image.data()), row.image.size());
        if (id <= lastId || id >= nextId) {
            why = "part tool " + std::to_string(i) + " has id " + std::to_string(id) + " out of order";
            return false;
        }
        if (!textTerminated(image, tp_tool_layout::name, sizeof(tp_tool::name)) ||
            !textTerminated(image, tp_tool_layout::profilePath, sizeof(tp_tool::profilePath))) {
            why = "the name of part tool " + std::to_string(i) + " runs past its field";
            return false;
        }
        const tp_tool tool = tpToolFromImage(row.image.data(), row.image.size());
        if (tool.slot <= 0 || !slots.insert(tool.slot).second) {
            why = "part tool " + std::to_string(i) + " has slot " + std::to_string(tool.slot) + " twice or not at all";
            return false;
        }
        if (const std::string values = tool_values_why(tool); !values.empty()) {
            why = "part tool " + std::to_string(i) + ": " + values;
            return false;
        }
        lastId = id;
        out.records[id] = tool;
        out.list.push_back(part_tool{id, tool});
    }
    out.nextId = nextId;
    return true;
}

}  // namespace host::tools

using host::tools::state;

int TpToolList::GetSize() const { return static_cast<int>(state.list.size()); }

part_tool* TpToolList::GetAt(int index) {
    if (index < 0 || index >= GetSize()) return nullptr;
    return &state.list[static_cast<std::size_t>(index)];
}

int TpToolList::IndexBySlot(std::int32_t slot) const {
    for (std::size_t i = 0; i < state.list.size(); ++i)
        if (state.list[i].tool.slot == slot) return static_cast<int>(i);
    return -1;
}

bool TpToolList::RemoveAt(int index) {
    if (index < 0 || index >= GetSize()) return false;
    state.list.erase(state.list.begin() + index);
    return true;
}

namespace {

// The part file's reader refuses a part holding such a tool: it never gets into the part.
bool refusedForPart(const tp_tool& tool) {
    const std::string why = tool_values_why(tool);
    if (why.empty()) return false;
    const std::string name(host::tools::toolName(tool));
    mprintf(("The tool " + name + " is not added to the part: " + why + ".").c_str());
    return true;
}

}  // namespace

std::int32_t TpPartToolList::DatabaseAdd(tp_tool* tool) {
    if (!tool || refusedForPart(*tool)) return 0;
    if (tool->slot <= 0 || host::tools::slotInDatabase(tool->slot)) tool->slot = host::tools::nextFreeSlot();
    host::tools::terminateTexts(*tool);
    const std::int32_t id = state.nextId++;
    state.records[id] = *tool;
    state.list.push_back(part_tool{id, *tool});
    host::detail::record("host.tool added id=" + std::to_string(id) + " slot=" + std::to_string(tool->slot) +
                         " number=" + std::to_string(tool->number) + " " +
                         host::detail::quote(host::tools::toolName(*tool)));
    return id;
}

bool TpPartToolList::DatabaseRetrieve(std::int32_t id, tp_tool* out) const {
    auto it = state.records.find(id);
    if (it == state.records.end()) return false;
    if (out) *out = it->second;
    return true;
}

bool TpPartToolList::DatabaseRemove(std::int32_t slot) {
    auto it =
        std::find_if(state.records.begin(), state.records.end(), [&](const auto& r) { return r.second.slot == slot; });
    if (it == state.records.end()) return false;
    host::detail::record("host.tool removed id=" + std::to_string(it->first) + " slot=" + std::to_string(slot));
    state.records.erase(it);
    return true;
}

void TpPartToolList::Refresh() {
    state.list.clear();
    for (const auto& [id, tool] : state.records) state.list.push_back(part_tool{id, tool});
}

TpPartToolList& TpToolMgr::GetMainMillToolList() {
    static TpPartToolList list;
    return list;
}

TpToolMgr& TpMainToolMgr() {
    static TpToolMgr mgr;
    return mgr;
}

int tool_manager(tp_tool* tool, int mode, tool_node*) {
    if (!tool) return 0;
    if (mode == kToolManagerEdit) return host::tools::editToolRecord(*tool);
    // The tool manager opened on a library (the other modes) is not part of this host.
    if (mode != kToolManagerWrite) return 0;
    auto it = std::find_if(state.records.begin(), state.records.end(),
                           [&](const auto& r) { return r.second.slot == tool->slot; });
    if (it == state.records.end() || refusedForPart(*tool)) return 0;
    host::tools::terminateTexts(*tool);
    it->second = *tool;
    for (part_tool& p : state.list)
        if (p.id == it->first) p.tool = *tool;
    host::detail::record("host.tool written id=" + std::to_string(it->first) + " slot=" + std::to_string(tool->slot));
    return 1;
}
