// The machine definition behind a machine group: its records' codecs (carried in association entities),
// the set-up that stores a definition in the part, and the control interface with its NC path settings.
#include <cstring>
#include <map>

#include "host/db/byte_io.h"
#include "host/db/database.h"
#include "host/internal.h"
#include "host/machine/machine_setup.h"
#include "host/ops/op_store.h"

namespace host::machine {
namespace {

std::map<std::int32_t, nc_path_ctrl>& controls() {
    static std::map<std::int32_t, nc_path_ctrl> table;
    return table;
}

// An association entity without a target that carries one record (no walk but get_ent_assoc sees it).
std::uint32_t storeRecord(std::int16_t kind, const std::string& bytes) {
    auto lock = db::guard();
    db::Database& d = db::current();
    ent e{};
    e.type = kEntAssoc;
    e.assoc.kind = kind;
    e.assoc.data.assign(bytes.begin(), bytes.end());
    db::Stored s(std::move(e));
    s.head.eptr = d.nextHandle++;
    s.head.id = d.nextId++;
    s.head.level = main_level;
    s.head.color = static_cast<std::int16_t>(main_color);
    s.head.attrib = main_attrib;
    const std::uint32_t id = s.head.id;
    d.ents.emplace(s.head.eptr, std::move(s));
    d.operationAssocs.reset();
    return id;
}

std::string itemBytes(std::int32_t kind, double value, std::uint32_t next) {
    db::ByteWriter w;
    w.i32(kind);
    w.f64(value);
    w.u32(next);
    return w.data();
}

std::string nodeBytes(std::uint32_t child, std::uint32_t sibling, std::uint32_t firstItem) {
    db::ByteWriter w;
    w.u32(child);
    w.u32(sibling);
    w.u32(firstItem);
    return w.data();
}

// The record of an entity of the given kind, when its data has the record's length.
template <class T, class Decode>
std::optional<T> decode(const ent& e, std::int16_t kind, std::size_t size, Decode d) {
    if (e.type != kEntAssoc || e.assoc.kind != kind || e.assoc.data.size() != size) return std::nullopt;
    const std::string_view bytes(reinterpret_cast<const char*>(e.assoc.data.data()), e.assoc.data.size());
    db::ByteReader r(bytes);
    T out = d(r);
    if (!r.atEnd()) return std::nullopt;
    return out;
}

}  // namespace

void resetControls() {
    controls().clear();
    nc_path_ctrl standard;
    standard.values[4] = 0;   // arcs by their centre
    standard.values[6] = 1;   // canned drill cycles
    standard.values[7] = 0;   // no sequence numbers
    controls()[1] = standard;
}

void setControl(std::int32_t controlId, const nc_path_ctrl& values) { controls()[controlId] = values; }

std::uint32_t storeMachineDefinition(const MachineSetup& m) {
    // Items and nodes are stored before what links to them, so every link names a stored id.
    const std::uint32_t control = storeRecord(kAssocControlDef, [&] {
        db::ByteWriter w;
        w.i32(m.controlId);
        return w.data();
    }());
    const std::uint32_t limit = storeRecord(kAssocCompItem, itemBytes(kItemSpindleLimit, m.spindleLimit, 0));
    const std::uint32_t spindleItems = storeRecord(kAssocCompItem, itemBytes(kItemComponent, 1, limit));
    const std::uint32_t change = storeRecord(kAssocCompItem, itemBytes(kItemToolChange, m.toolChangeSeconds, 0));
    const std::uint32_t changerItems = storeRecord(kAssocCompItem, itemBytes(kItemComponent, 1, change));
    std::uint32_t sibling = 0;
    for (int i = 2; i < m.components; ++i)   // further components (axes, table) without items of note
        sibling = storeRecord(kAssocCompNode, nodeBytes(0, sibling, storeRecord(kAssocCompItem, itemBytes(kItemComponent, 1, 0))));
    const std::uint32_t changer = storeRecord(kAssocCompNode, nodeBytes(0, sibling, changerItems));
    const std::uint32_t spindle = storeRecord(kAssocCompNode, nodeBytes(0, changer, spindleItems));
    const std::uint32_t root = storeRecord(kAssocCompNode, nodeBytes(spindle, 0, 0));
    db::ByteWriter w;
    char name[64] = {};
    std::strncpy(name, m.name.c_str(), sizeof name - 1);
    for (char c : name) w.u8(static_cast<std::uint8_t>(c));
    w.u32(root);
    w.u32(control);
    w.f64(m.rapidRateMm);
    w.f64(m.rapidRateInch);
    const std::uint32_t def = storeRecord(kAssocMachineDef, w.data());
    if (op_group* g = GroupsMachineGroup(nullptr)) g->machine.machineDefId = def;
    detail::record("host.machine definition " + detail::quote(m.name) + " -> " + std::to_string(def));
    return def;
}

}  // namespace host::machine

std::optional<machine_def> machineDefFrom(const ent& e) {
    return host::machine::decode<machine_def>(e, kAssocMachineDef, kMachineDefSize, [](host::db::ByteReader& r) {
        machine_def d;
        for (char& c : d.name) c = static_cast<char>(r.u8());
        d.name[sizeof d.name - 1] = 0;
        d.rootNode = r.u32();
        d.controlDef = r.u32();
        d.rapidRateMm = r.f64();
        d.rapidRateInch = r.f64();
        return d;
    });
}

std::optional<comp_node> compNodeFrom(const ent& e) {
    return host::machine::decode<comp_node>(e, kAssocCompNode, kCompNodeSize, [](host::db::ByteReader& r) {
        comp_node n;
        n.child = r.u32();
        n.sibling = r.u32();
        n.firstItem = r.u32();
        return n;
    });
}

std::optional<comp_item> compItemFrom(const ent& e) {
    return host::machine::decode<comp_item>(e, kAssocCompItem, kCompItemSize, [](host::db::ByteReader& r) {
        comp_item i;
        i.kind = r.i32();
        i.value = r.f64();
        i.next = r.u32();
        return i;
    });
}

std::optional<control_def> controlDefFrom(const ent& e) {
    return host::machine::decode<control_def>(e, kAssocControlDef, kControlDefSize, [](host::db::ByteReader& r) {
        control_def c;
        c.controlId = r.i32();
        return c;
    });
}

CControlInterface* CControlInterface::GetControl() {
    static CControlInterface control;
    return &control;
}

nc_path_ctrl* CControlInterface::GetControlNcPath(std::int32_t controlId) {
    auto it = host::machine::controls().find(controlId);
    return it == host::machine::controls().end() ? nullptr : &it->second;
}
