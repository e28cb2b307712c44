// Tool library files: the tp_tool libraries of format 3 and the spot-drill templates of formats 1 and 2
// (layouts in tool_library.h).
#include "host/tools/tool_library.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

#include "host/tools/record_file.h"
#include "platform/sys/files.h"
#include "platform/sys/kept_reads.h"

namespace host::tools {

namespace {

struct TemplateFormat {
    std::uint16_t format, headerSize, recordSize;
};
constexpr TemplateFormat kTemplates[] = {{1, 64, 195}, {2, 86, 980}};
constexpr std::size_t kTemplateName = 40, kTemplateNameSize = 32;
constexpr std::int16_t kSpotDrill = 2;

// What keeps the tool out of a library: a slot that is not positive or is taken, a text that runs past its
// field, or values that break the rule of tools. "" when it may stand in one.
std::string toolFault(const tp_tool& t, const std::set<std::int32_t>& slots) {
    if (t.slot <= 0 || slots.contains(t.slot))
        return "it has slot " + std::to_string(t.slot) + ", which is not a free positive slot";
    if (strnlen(t.name, sizeof t.name) == sizeof t.name ||
        strnlen(t.profilePath, sizeof t.profilePath) == sizeof t.profilePath)
        return "its name runs past its field";
    return tool_values_why(t);
}

std::string toolTold(std::size_t index, std::string_view name, const std::string& fault) {
    return "tool " + std::to_string(index + 1) + " (" + std::string(name) + "): " + fault;
}

void appendLeftOut(std::string& leftOut, const std::string& told) { leftOut += (leftOut.empty() ? "" : "; ") + told; }

void decodeLibraryRecords(const std::vector<std::string_view>& records, std::vector<tp_tool>& out,
                          std::string& leftOut) {
    std::set<std::int32_t> slots;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string_view r = records[i];
        if (!textTerminated(r, tp_tool_layout::name, sizeof(tp_tool::name)) ||
            !textTerminated(r, tp_tool_layout::profilePath, sizeof(tp_tool::profilePath))) {
            appendLeftOut(leftOut, "the name of tool " + std::to_string(i + 1) + " runs past its field");
            continue;
        }
        const tp_tool t = tpToolFromImage(reinterpret_cast<const std::uint8_t*>(r.data()), r.size());
        if (const std::string fault = toolFault(t, slots); !fault.empty()) {
            appendLeftOut(leftOut, toolTold(i, toolName(t), fault));
            continue;
        }
        slots.insert(t.slot);
        out.push_back(t);
    }
}

void decodeTemplateRecords(const std::vector<std::string_view>& records, std::vector<tp_tool>& out,
                           std::string& leftOut) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string_view r = records[i];
        if (!textTerminated(r, kTemplateName, kTemplateNameSize)) {
            appendLeftOut(leftOut, "the name of tool " + std::to_string(i + 1) + " runs past its field");
            continue;
        }
        tp_tool t;
        t.slot = static_cast<std::int32_t>(i + 1);
        t.number = static_cast<std::int32_t>(getU32(r, 0));
        t.type = getU16(r, 4) == 1 ? kSpotDrill : static_cast<std::int16_t>(getU16(r, 4));
        t.unitFlag = static_cast<std::uint8_t>(r[6]);
        t.diameter = getF64(r, 8);
        t.angle = getF64(r, 16);
        t.fluteLength = getF64(r, 24);
        t.overallLength = getF64(r, 32);
        t.secondDiameter = t.diameter;
        std::snprintf(t.name, sizeof t.name, "%s", r.data() + kTemplateName);
        if (const std::string values = tool_values_why(t); !values.empty()) {
            appendLeftOut(leftOut, toolTold(i, t.name, values));
            continue;
        }
        out.push_back(t);
    }
}

Units unitsOf(const std::vector<tp_tool>& tools) {
    const bool anyMetric = std::any_of(tools.begin(), tools.end(), [](const tp_tool& t) { return t.unitFlag != 0; });
    const bool anyInch = std::any_of(tools.begin(), tools.end(), [](const tp_tool& t) { return t.unitFlag == 0; });
    return anyMetric == anyInch ? Units::Both : anyMetric ? Units::Metric : Units::Inch;
}

}  // namespace

bool decodeToolLibrary(std::string_view bytes, std::vector<tp_tool>& out, std::string& why, std::string* leftOut) {
    out.clear();
    std::string ignored;
    std::string& left = leftOut ? *leftOut : ignored;
    left.clear();
    RecordFileHeader h;
    if (!readRecordFileHeader(bytes, kToolLibraryMagic, h, why)) return false;
    std::vector<std::string_view> records;
    if (h.format == kToolLibraryFormat) {
        if (h.headerSize != kRecordFileHeader || h.recordSize != kTpToolSize) {
            why = "its header gives records of " + std::to_string(h.recordSize) + " bytes";
            return false;
        }
        if (!readRecords(bytes, h, true, records, why)) return false;
        decodeLibraryRecords(records, out, left);
        return true;
    }
    for (const TemplateFormat& t : kTemplates) {
        if (h.format != t.format) continue;
        if (h.headerSize != t.headerSize || h.recordSize != t.recordSize) {
            why = "its header gives records of " + std::to_string(h.recordSize) + " bytes";
            return false;
        }
        if (!readRecords(bytes, h, false, records, why)) return false;
        decodeTemplateRecords(records, out, left);
        return true;
    }
    why = h.format > kToolLibraryFormat
              ? "it was written in library format " + std::to_string(h.format) +
                    "; this host reads library formats up to " + std::to_string(kToolLibraryFormat)
              : "its library format " + std::to_string(h.format) + " is unknown";
    return false;
}

}  // namespace host::tools

std::string tool_values_why(const tp_tool& t) {
    struct RANGE {
        const char* what;
        double value, lowest, highest;
    };
    const RANGE ranges[] = {
        {"diameter", t.diameter, 0, kMaxToolLength},          {"second diameter", t.secondDiameter, 0, kMaxToolLength},
        {"corner radius", t.cornerRadius, 0, kMaxToolLength}, {"pitch", t.pitch, 0, kMaxToolLength},
        {"flute length", t.fluteLength, 0, kMaxToolLength},   {"shoulder length", t.shoulderLength, 0, kMaxToolLength},
        {"overall length", t.overallLength, 0, kMaxToolLength}, {"angle", t.angle, 0, 180},
        {"shape value", t.shapeValue, -kMaxToolLength, kMaxToolLength},
    };
    for (const RANGE& r : ranges) {
        if (!std::isfinite(r.value)) return "its " + std::string(r.what) + " is not a number";
        if (r.value < r.lowest || r.value > r.highest) {
            char text[64];
            std::snprintf(text, sizeof text, "%g", r.value);
            return "its " + std::string(r.what) + " " + text + " is out of range";
        }
    }
    const double others[] = {t.extra,          t.feeds[0],       t.feeds[1],       t.feeds[2],      t.speedPercent,
                             t.feedPercent,    t.peckPercent[0], t.peckPercent[1], t.peckPercent[2], t.peckPercent[3],
                             t.peckValues[0], t.peckValues[1],  t.dwell};
    for (double v : others)
        if (!std::isfinite(v)) return "a feed, speed, peck or dwell value of it is not a number";
    // Both become words of the NC listing and the spindle speed a whole number of the machine's.
    const RANGE rates[] = {{"spindle speed", static_cast<double>(t.spindle), 0, kMaxToolSpindle},
                           {"feed", t.feeds[0], 0, kMaxToolFeed},
                           {"plunge feed", t.feeds[1], 0, kMaxToolFeed},
                           {"retract feed", t.feeds[2], 0, kMaxToolFeed}};
    for (const RANGE& r : rates) {
        if (r.value >= r.lowest && r.value <= r.highest) continue;
        char text[160];
        std::snprintf(text, sizeof text, "its %s %.15g is out of range: it is 0 to %g%s", r.what, r.value, r.highest,
                      r.what[0] == 's' ? " rpm" : " a minute");
        return text;
    }
    // A point angle is ground within these (a drill's up to flat, 180); 0 stands for none given. One near 0
    // puts the point kilometres deep, and a spot drill, centre drill or countersink of 180 cuts nothing.
    struct POINT_ANGLES {
        std::int16_t type;
        const char* what;
        double lowest, highest;
    };
    constexpr POINT_ANGLES kPointAngles[] = {
        {1, "a centre drill's", 30, 150}, {2, "a spot drill's", 30, 150}, {3, "a drill's", 30, 180},
        {9, "a countersink's", 30, 150}};
    for (const POINT_ANGLES& p : kPointAngles) {
        if (t.type != p.type || t.angle == 0 || (t.angle >= p.lowest && t.angle <= p.highest)) continue;
        char text[160];
        std::snprintf(text, sizeof text, "its point angle %g is out of range: %s is 0 (none given) or %g to %g degrees",
                      t.angle, p.what, p.lowest, p.highest);
        return text;
    }
    // A drilling tool's (types 1 to 9) operations peck this share of its diameter: none (0) or a twentieth
    // and more, so that a hole 50 diameters deep takes no more pecks than a toolpath holds; it comes back to a
    // clearance above the last peck's bottom and breaks the chip by a share that is not below 0.
    if (t.type >= 1 && t.type <= 9) {
        const RANGE pecks[] = {{"first peck", t.peckPercent[0], 5, 10000},
                               {"subsequent peck", t.peckPercent[1], 5, 10000},
                               {"peck clearance", t.peckPercent[2], 0, 1000},
                               {"chip-break retract", t.peckPercent[3], 0, 1000}};
        for (const RANGE& r : pecks) {
            if (r.value == 0 || (r.value >= r.lowest && r.value <= r.highest)) continue;
            char text[200];
            std::snprintf(text, sizeof text, "its %s %g %% is out of range: it is %s%g to %g %% of its diameter", r.what,
                          r.value, r.lowest > 0 ? "0 (none) or " : "", r.lowest, r.highest);
            return text;
        }
    }
    return "";
}

namespace host::tools {

std::string encodeToolLibrary(const std::vector<tp_tool>& tools) {
    RecordFile file;
    file.format = kToolLibraryFormat;
    file.units = unitsOf(tools);
    file.recordSize = kTpToolSize;
    for (const tp_tool& t : tools) {
        const TP_TOOL_BYTES image = tpToolImage(t);
        file.records.emplace_back(reinterpret_cast<const char*>(image.data()), image.size());
    }
    return encodeRecordFile(kToolLibraryMagic, file);
}

namespace {

// A library's tools as their last reading decoded them, kept with the bytes they came from: a run reads the
// same libraries tool after tool, and a library of some hundred kilobytes is much cheaper to compare than to
// decode.
struct DECODED {
    std::vector<tp_tool> tools;
    std::string leftOut;
};
plat::KeptReads<DECODED> g_keptDecodes(8);

}  // namespace

bool readToolLibrary(const std::string& path, std::vector<tp_tool>& out, std::string& refusal, std::string* leftOut) {
    out.clear();
    refusal.clear();
    std::string ignored;
    std::string& left = leftOut ? *leftOut : ignored;
    left.clear();
    const std::string file = hostFile(path);
    std::optional<std::string> bytes = plat::readFile(file);
    if (!bytes) {
        refusal = "The tool library " + path + " does not exist.";
        return false;
    }
    DECODED decoded;
    if (g_keptDecodes.take(file, *bytes, {}, decoded)) {
        out = std::move(decoded.tools);
        left = std::move(decoded.leftOut);
        return true;
    }
    std::string why;
    if (decodeToolLibrary(*bytes, out, why, &left)) {
        g_keptDecodes.keep(file, *bytes, {}, DECODED{out, left});
        return true;
    }
    out.clear();
    left.clear();
    refusal = "The tool library " + path + " cannot be read: " + why + ".";
    return false;
}

std::string leftOutMessage(const std::string& path, const std::string& leftOut) {
    return "The tool library " + path + " holds tools that cannot be read; they are left out: " + leftOut + ".";
}

bool writeToolLibrary(const std::string& path, const std::vector<tp_tool>& tools, std::string& message) {
    if (tools.size() > kMaxRecords) {
        message = "The tool library " + path + " cannot hold more than " + std::to_string(kMaxRecords) + " tools.";
        return false;
    }
    std::set<std::int32_t> slots;
    for (std::size_t i = 0; i < tools.size(); ++i) {
        // Nothing the reader would leave out is written.
        if (const std::string fault = toolFault(tools[i], slots); !fault.empty()) {
            message = "The tool library " + path + " is not written: " + toolTold(i, toolName(tools[i]), fault) + ".";
            return false;
        }
        slots.insert(tools[i].slot);
    }
    if (plat::writeFile(hostFile(path), encodeToolLibrary(tools))) return true;
    message = "The tool library " + path + " cannot be written.";
    return false;
}

void terminateTexts(tp_tool& tool) {
    tool.name[sizeof tool.name - 1] = '\0';
    tool.profilePath[sizeof tool.profilePath - 1] = '\0';
}

std::string_view toolName(const tp_tool& tool) { return {tool.name, strnlen(tool.name, sizeof tool.name)}; }

NextFree nextFree(const std::vector<tp_tool>& tools) {
    // A library that already holds the highest number keeps handing it out rather than wrapping round.
    constexpr std::int64_t kTop = std::numeric_limits<std::int32_t>::max();
    std::int64_t number = 1, slot = 1;
    for (const tp_tool& t : tools) {
        number = std::max<std::int64_t>(number, std::int64_t{t.number} + 1);
        slot = std::max<std::int64_t>(slot, std::int64_t{t.slot} + 1);
    }
    return NextFree{static_cast<std::int32_t>(std::min(number, kTop)), static_cast<std::int32_t>(std::min(slot, kTop))};
}

bool addTool(std::vector<tp_tool>& tools, tp_tool& tool, std::int32_t number) {
    const NextFree next = nextFree(tools);
    auto taken = [&](std::int32_t slot) {
        return std::any_of(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.slot == slot; });
    };
    const std::int32_t slot = tool.slot > 0 && !taken(tool.slot) ? tool.slot : next.slot;
    if (taken(slot)) return false;
    tool.slot = slot;
    tool.number = number > 0 ? number : next.number;
    terminateTexts(tool);
    tools.push_back(tool);
    return true;
}

bool rewriteAtSlot(std::vector<tp_tool>& tools, const tp_tool& tool, std::int32_t slot) {
    auto it = std::find_if(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.slot == slot; });
    if (it == tools.end()) return false;
    const std::int32_t number = it->number;
    *it = tool;
    it->slot = slot;
    if (it->number <= 0) it->number = number;
    terminateTexts(*it);
    return true;
}

}  // namespace host::tools
