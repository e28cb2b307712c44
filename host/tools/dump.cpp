// Text dumps of the part's tool list, tool library files and material files, for golden tests: one line
// per record with every named field (doubles in their shortest round-trip form, texts quoted).
#include <cstring>
#include <sstream>

#include "host/internal.h"
#include "host/state.h"
#include "host/tools/materials.h"
#include "host/tools/part_tools.h"
#include "host/tools/tool_library.h"

namespace host {

namespace {

using detail::number;
using detail::quote;

template <std::size_t N>
std::string doubles(const double (&values)[N]) {
    std::string out;
    for (std::size_t i = 0; i < N; ++i) out += (i ? "," : "") + number(values[i]);
    return out;
}

std::string unitsName(tools::Units u) {
    switch (u) {
    case tools::Units::Inch: return "inch";
    case tools::Units::Metric: return "mm";
    case tools::Units::Both: return "both";
    }
    return "?";
}

}  // namespace

std::string describeTool(const tp_tool& t) {
    std::ostringstream o;
    o << "slot=" << t.slot << " number=" << t.number << " type=" << t.type << " sub=" << t.subType << " "
      << quote(tools::toolName(t)) << " unit=" << (t.unitFlag ? "mm" : "inch") << " D=" << number(t.diameter)
      << " R=" << number(t.cornerRadius) << " pitch=" << number(t.pitch) << " angle=" << number(t.angle)
      << " extra=" << number(t.extra) << " feeds=" << doubles(t.feeds) << " spindle=" << t.spindle
      << " flutes=" << t.flutes << " material=" << t.material
      << " profile=" << quote(std::string_view(t.profilePath, strnlen(t.profilePath, sizeof t.profilePath)))
      << " flute=" << number(t.fluteLength) << " overall=" << number(t.overallLength)
      << " shoulder=" << number(t.shoulderLength) << " D2=" << number(t.secondDiameter)
      << " speed%=" << number(t.speedPercent) << " feed%=" << number(t.feedPercent) << " option=" << t.option
      << " shape=" << number(t.shapeValue) << " group=" << t.machineGroupId << " peck%=" << doubles(t.peckPercent)
      << " peck=" << doubles(t.peckValues) << " dwell=" << number(t.dwell) << " offsets=" << t.offsetNumbers[0] << ","
      << t.offsetNumbers[1];
    return o.str();
}

std::string dumpPartTools() {
    const tools::PartToolState& s = tools::partTools();
    std::ostringstream o;
    o << "part tools " << s.records.size() << " next id " << s.nextId << "\n";
    for (const auto& [id, tool] : s.records) o << "  id=" << id << " " << describeTool(tool) << "\n";
    o << "list";
    for (const part_tool& p : s.list) o << " " << p.id;
    o << "\n";
    return o.str();
}

std::string dumpToolLibrary(std::string_view path) {
    std::vector<tp_tool> tools;
    std::string refusal, leftOut;
    if (!tools::readToolLibrary(std::string(path), tools, refusal, &leftOut)) return refusal + "\n";
    std::ostringstream o;
    const tools::NextFree next = tools::nextFree(tools);
    o << "tool library " << tools.size() << " tools, next number " << next.number << " slot " << next.slot << "\n";
    if (!leftOut.empty()) o << tools::leftOutMessage(std::string(path), leftOut) << "\n";
    for (const tp_tool& t : tools) o << "  " << describeTool(t) << "\n";
    return o.str();
}

std::string dumpMaterials(std::string_view path) {
    tools::MaterialFile file;
    std::string message;
    if (!tools::readMaterials(std::string(path), file, message)) return message + "\n";
    std::ostringstream o;
    o << "materials " << file.materials.size() << " " << unitsName(file.units) << "\n";
    for (const material& m : file.materials)
        o << "  " << quote(m.name) << " Vc=" << number(m.cuttingSpeed) << " speed%=" << number(m.speedPercent)
          << " fz=" << number(m.feedPerTooth) << " feed%type=" << doubles(m.feedPercentByType)
          << " speed%matl=" << doubles(m.speedPercentByMaterial) << " feed%matl=" << doubles(m.feedPercentByMaterial)
          << "\n";
    return o.str();
}

}  // namespace host
