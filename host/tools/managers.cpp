// The host's list and library managers over tool libraries, material files and the part's tool list, the
// scripted library picks, and the library paths (ToolLibrary, SetToolLibrary, MatlLibrary).
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "host/internal.h"
#include "host/state.h"
#include "host/tools/materials.h"
#include "host/tools/part_tools.h"
#include "host/tools/tool_library.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/driver.h"
#include "platform/ui/message_box.h"

char tool_suffix[32] = ".Tools";
char material_suffix[32] = ".Materials";

namespace host {
namespace {

struct ToolsEnvironment {
    std::optional<std::string> materialLibrary;
    std::string materialLibraryText;
    std::vector<material> currentMaterials;
    std::string lastMessage;
    int outstanding = 0;   // lists handed out and not given back
    std::map<std::string, int> libraryReads;
    // Libraries, each with the tools its reader leaves out, whose left-out tools were told on the message line:
    // each is told once while it stays as it is.
    std::set<std::pair<std::string, std::string>> toldLeftOut;
};
ToolsEnvironment tenv;

// A refusal the user sees on the message line; tests read the last one.
void refuse(const std::string& message) {
    tenv.lastMessage = message;
    mprintf(message.c_str());
}

// The tools a library's reading left out, told on the message line once while the library stays as it is.
void tellLeftOut(const std::string& path, const std::string& leftOut) {
    if (!leftOut.empty() && tenv.toldLeftOut.emplace(path, leftOut).second)
        refuse(tools::leftOutMessage(path, leftOut));
}

template <class Node, class Item>
Node* makeList(const std::vector<Item>& items, Item Node::*field) {
    Node* head = nullptr;
    Node** tail = &head;
    for (const Item& item : items) {
        *tail = new Node;
        (*tail)->*field = item;
        tail = &(*tail)->next;
        ++tenv.outstanding;
    }
    return head;
}

template <class Node>
void freeList(Node** list) {
    if (!list) return;
    for (Node* n = *list; n;) {
        Node* next = n->next;
        delete n;
        --tenv.outstanding;
        n = next;
    }
    *list = nullptr;
}

bool isCurrent(const char* name) { return !name || !*name; }

std::string materialLibraryDefault() {
    std::string dir = current_dir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir + "Materials/" + (current_version[7] == 1 ? "Mill_mm" : "Mill_Inch") + material_suffix;
}

}  // namespace

namespace detail {
void resetTools() { tenv = ToolsEnvironment{}; }
}  // namespace detail

void setMaterialLibrary(std::string_view path) {
    tenv.materialLibrary = path.empty() ? std::nullopt : std::optional<std::string>(path);
}
void setCurrentMaterials(std::vector<material> list) { tenv.currentMaterials = std::move(list); }
const std::string& lastLibraryMessage() { return tenv.lastMessage; }
int outstandingLists() { return tenv.outstanding; }
int libraryReads(const std::string& path) {
    const auto it = tenv.libraryReads.find(path);
    return it == tenv.libraryReads.end() ? 0 : it->second;
}

}  // namespace host

using host::tenv;

namespace host {
namespace {

// The common part of both list kinds: `load` fills the items of a name, or gives a refusal message. A file
// that is not there gives an empty list and 0 without a word on the message line: the plug-in asks for
// libraries it is about to create.
template <class Node, class Item, class Load>
int manageList(int kind, int wanted, int mode, const char* name, Node** list, Item Node::*field, Load load) {
    if (!list || kind != wanted) return 0;
    if (mode == kListFree) {
        freeList(list);
        return 1;
    }
    if (mode != kListLoad) return 0;
    *list = nullptr;
    std::vector<Item> items;
    std::string message;
    if (!load(items, message)) {
        const bool missing = !isCurrent(name) && !plat::fileExists(tools::hostFile(name));
        if (missing) tenv.lastMessage = message;
        else refuse(message);
        return 0;
    }
    *list = makeList(items, field);
    return 1;
}

}  // namespace
}  // namespace host

int list_manager(int kind, const char* name, int mode, tool_node** list) {
    return host::manageList(kind, kListTools, mode, name, list, &tool_node::tool,
                            [&](std::vector<tp_tool>& tools, std::string& message) {
                                if (!host::isCurrent(name)) {
                                    ++tenv.libraryReads[name];
                                    std::string leftOut;
                                    if (!host::tools::readToolLibrary(name, tools, message, &leftOut)) return false;
                                    host::tellLeftOut(name, leftOut);
                                    return true;
                                }
                                for (const part_tool& p : host::tools::partTools().list) tools.push_back(p.tool);
                                return true;
                            });
}

int list_manager(int kind, const char* name, int mode, material_node** list) {
    return host::manageList(kind, kListMaterials, mode, name, list, &material_node::matl,
                            [&](std::vector<material>& materials, std::string& message) {
                                if (host::isCurrent(name)) {
                                    materials = tenv.currentMaterials;
                                    return true;
                                }
                                host::tools::MaterialFile file;
                                if (!host::tools::readMaterials(name, file, message)) return false;
                                materials = std::move(file.materials);
                                return true;
                            });
}

namespace host {
namespace {

// Reads the library a tool is to be stored in; a missing file is an empty library that the write creates. A
// library holding tools its reader leaves out would lose them in the write: the user is asked whether it is
// written again without them (the write then keeps the tools read); kept as it is, it takes no tool.
bool libraryForWriting(const std::string& path, std::vector<tp_tool>& tools) {
    std::string refusal, leftOut;
    if (!plat::fileExists(tools::hostFile(path))) {
        tools.clear();
        return true;
    }
    if (!tools::readToolLibrary(path, tools, refusal, &leftOut)) {
        refuse(refusal);
        return false;
    }
    if (leftOut.empty()) return true;
    const std::string question = "The tool library " + path + " holds tools that cannot be read: " + leftOut +
                                 ". It takes no tool until they are mended or removed.\nWrite it again without them? "
                                 "They are lost.";
    if (plat::messageBox(nullptr, question, "Tool library", plat::MB_YESNO | plat::MB_ICONQUESTION | plat::MB_DEFBUTTON2) !=
        plat::IDYES) {
        tenv.lastMessage = question;
        return false;
    }
    detail::record("host.library without the tools left out " + detail::quote(path));
    return true;
}

bool store(const std::string& path, const std::vector<tp_tool>& tools) {
    std::string message;
    if (tools::writeToolLibrary(path, tools, message)) return true;
    refuse(message);
    return false;
}

int addToLibrary(const std::string& path, tp_tool* tool, std::int32_t number) {
    std::vector<tp_tool> tools;
    if (!libraryForWriting(path, tools)) return 0;
    tp_tool added = *tool;
    if (!tools::addTool(tools, added, number)) {
        refuse("The tool library " + path + " has no free slot.");
        return 0;
    }
    if (!store(path, tools)) return 0;
    *tool = added;
    detail::record("host.library added " + detail::quote(path) + " slot=" + std::to_string(added.slot) +
                   " number=" + std::to_string(added.number) + " " + detail::quote(tools::toolName(added)));
    return added.slot;
}

int rewriteInLibrary(const std::string& path, const tp_tool* tool, std::int32_t slot) {
    std::vector<tp_tool> tools;
    if (!plat::fileExists(tools::hostFile(path))) {
        refuse("The tool library " + path + " does not exist.");
        return 0;
    }
    if (!libraryForWriting(path, tools)) return 0;
    if (!tools::rewriteAtSlot(tools, *tool, slot)) {
        refuse("The tool library " + path + " has no tool in slot " + std::to_string(slot) + ".");
        return 0;
    }
    if (!store(path, tools)) return 0;
    detail::record("host.library rewritten " + detail::quote(path) + " slot=" + std::to_string(slot));
    return 1;
}

// The user's pick in a library: the next step names the entry or cancels.
std::optional<plat::Step> pickStep(const std::string& what, const std::string& path, std::size_t entries,
                                   const std::string& start) {
    detail::record("host.library pick " + what + " " + detail::quote(path) + " entries=" + std::to_string(entries) +
                   (start.empty() ? "" : " start=" + start));
    std::optional<plat::Step> step = plat::driver().expect({"library-pick"}, what + " pick in " + detail::quote(path));
    if (step && step->args.at(0) == "cancel") {
        detail::record("host.library pick cancel");
        return std::nullopt;
    }
    return step;
}

int pickTool(const std::string& path, tp_tool* tool, std::int32_t startSlot) {
    std::vector<tp_tool> tools;
    std::string refusal, leftOut;
    if (!tools::readToolLibrary(path, tools, refusal, &leftOut)) {
        refuse(refusal);
        return 0;
    }
    tellLeftOut(path, leftOut);
    std::optional<plat::Step> step =
        pickStep("tool", path, tools.size(), startSlot > 0 ? std::to_string(startSlot) : "");
    if (!step) return 0;
    const int slot = step->intArg(0);
    auto it = std::find_if(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.slot == slot; });
    if (it == tools.end()) {
        plat::driver().scriptError(&*step, "no tool of " + path + " has slot " + step->args.at(0));
        return 0;
    }
    *tool = *it;
    detail::record("host.library picked slot=" + std::to_string(slot) + " " + detail::quote(tools::toolName(*it)));
    return 1;
}

int pickMaterial(const std::string& path, material* picked) {
    tools::MaterialFile file;
    std::string message;
    if (!tools::readMaterials(path, file, message)) {
        refuse(message);
        return 0;
    }
    std::optional<plat::Step> step = pickStep("material", path, file.materials.size(), "");
    if (!step) return 0;
    const std::string& name = step->args.at(0);
    auto it = std::find_if(file.materials.begin(), file.materials.end(),
                           [&](const material& m) { return plat::equalsNoCase(m.name, name); });
    if (it == file.materials.end()) {
        plat::driver().scriptError(&*step, "no material of " + path + " is named " + detail::quote(name));
        return 0;
    }
    *picked = *it;
    detail::record("host.library picked " + detail::quote(it->name));
    return 1;
}

}  // namespace
}  // namespace host

int library_manager(int mode, const char* path, tp_tool* tool, int numberOrSlot, int option) {
    if (!path || !*path || !tool) return 0;
    const std::string file = path;
    switch (mode) {
    case kLibraryStoreTool:
        if (option == kLibraryOptionAdd) return host::addToLibrary(file, tool, numberOrSlot) > 0 ? 1 : 0;
        if (option == kLibraryOptionRewrite) return host::rewriteInLibrary(file, tool, numberOrSlot);
        return 0;
    case kLibraryAddTool: return host::addToLibrary(file, tool, 0);
    case kLibraryPickTool: return host::pickTool(file, tool, numberOrSlot);
    default: return 0;
    }
}

int library_manager(int mode, const char* path, material* picked) {
    if (mode != kLibraryPickMaterial || !path || !*path || !picked) return 0;
    return host::pickMaterial(path, picked);
}

std::string ToolLibrary() { return ToolLibraryStr(); }

void SetToolLibrary(const char* path) { host::setToolLibrary(path ? path : ""); }

const char* MatlLibrary() {
    // The material library belongs to the machine group, as the post does.
    if (!GroupsMachineGroup(nullptr)) return "";
    tenv.materialLibraryText = tenv.materialLibrary.value_or(host::materialLibraryDefault());
    return tenv.materialLibraryText.c_str();
}
