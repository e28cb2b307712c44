// The machine definition behind a machine group: its records' codecs (carried in association entities),
// the set-up that stores a definition in the part, and the control interface with its NC path settings.
#include <cstring>
#include <map>

#include "host/db/database.h"
#include "host/db/record_io.h"
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

// The records, each described once in stored order for its writer and its reader.
template <class IO, class D>
void machineDefFields(IO& io, D& d) {
    io.u8(d.name);
    io.u32(d.rootNode);
    io.u32(d.controlDef);
    io.f64(d.rapidRateMm);
    io.f64(d.rapidRateInch);
}
template <class IO, class N>
void compNodeFields(IO& io, N& n) {
    io.u32(n.child);
    io.u32(n.sibling);
    io.u32(n.firstItem);
}
template <class IO, class I>
void compItemFields(IO& io, I& i) {
    io.i32(i.kind);
    io.f64(i.value);
    io.u32(i.next);
}
template <class IO, class C>
void controlDefFields(IO& io, C& c) {
    io.i32(c.controlId);
}

std::string itemBytes(std::int32_t kind, double value, std::uint32_t next) {
    return db::writeFields(comp_item{kind, value, next}, [](auto& io, auto& i) { compItemFields(io, i); });
}

std::string nodeBytes(std::uint32_t child, std::uint32_t sibling, std::uint32_t firstItem) {
    return db::writeFields(comp_node{child, sibling, firstItem}, [](auto& io, auto& n) { compNodeFields(io, n); });
}

// The record of an entity of the given kind, when its data has the record's length.
template <class T, class Fields>
std::optional<T> decode(const ent& e, std::int16_t kind, std::size_t size, Fields fields) {
    if (e.type != kEntAssoc || e.assoc.kind != kind || e.assoc.data.size() != size) return std::nullopt;
    const std::string_view bytes(reinterpret_cast<const char*>(e.assoc.data.data()), e.assoc.data.size());
    T out;
    if (!db::readFields(bytes, out, fields)) return std::nullopt;
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
    const std::uint32_t control = storeRecord(
        kAssocControlDef, db::writeFields(control_def{m.controlId}, [](auto& io, auto& c) { controlDefFields(io, c); }));
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
    machine_def record;
    std::strncpy(record.name, m.name.c_str(), sizeof record.name - 1);
    record.rootNode = root;
    record.controlDef = control;
    record.rapidRateMm = m.rapidRateMm;
    record.rapidRateInch = m.rapidRateInch;
    const std::uint32_t def =
        storeRecord(kAssocMachineDef, db::writeFields(record, [](auto& io, auto& d) { machineDefFields(io, d); }));
    if (op_group* g = GroupsMachineGroup(nullptr)) g->machine.machineDefId = def;
    detail::record("host.machine definition " + detail::quote(m.name) + " -> " + std::to_string(def));
    return def;
}

}  // namespace host::machine

std::optional<machine_def> machineDefFrom(const ent& e) {
    auto d = host::machine::decode<machine_def>(e, kAssocMachineDef, kMachineDefSize,
                                                [](auto& io, auto& def) { host::machine::machineDefFields(io, def); });
    if (d) d->name[sizeof d->name - 1] = 0;
    return d;
}

std::optional<comp_node> compNodeFrom(const ent& e) {
    return host::machine::decode<comp_node>(e, kAssocCompNode, kCompNodeSize,
                                            [](auto& io, auto& n) { host::machine::compNodeFields(io, n); });
}

std::optional<comp_item> compItemFrom(const ent& e) {
    return host::machine::decode<comp_item>(e, kAssocCompItem, kCompItemSize,
                                            [](auto& io, auto& i) { host::machine::compItemFields(io, i); });
}

std::optional<control_def> controlDefFrom(const ent& e) {
    return host::machine::decode<control_def>(e, kAssocControlDef, kControlDefSize,
                                              [](auto& io, auto& c) { host::machine::controlDefFields(io, c); });
}

CControlInterface* CControlInterface::GetControl() {
    static CControlInterface control;
    return &control;
}

nc_path_ctrl* CControlInterface::GetControlNcPath(std::int32_t controlId) {
    auto it = host::machine::controls().find(controlId);
    return it == host::machine::controls().end() ? nullptr : &it->second;
}
