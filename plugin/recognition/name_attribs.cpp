// Hole attributes from labels, named entities and coded entity names. Sources are read into working
// records with world positions; segments are compared in their view frame (transpose(matrix) x world).
#include "plugin/base/vectors.h"
#include "plugin/recognition/name_attribs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"

namespace {

constexpr std::size_t kAttribText = 32;
constexpr std::size_t kSourceText = 254;
constexpr int kMaxSuffixWords = 10;
constexpr std::size_t kMaxSuffixWord = 255;

struct NAME_HOLE_ATTRIB {
    std::uint8_t isFit = 0;
    std::uint8_t isTap = 0;
    std::int16_t threadTable = 0;
    double tapDiam = 0;
    double tapPitch = 0;
    std::uint8_t suffix = 0;
    double point[3] = {};
    double radius = 0;
    std::vector<std::array<double, 3>> nodes;   // nodeCount = nodes.size(); empty for a label
    std::string threadName;
    std::string fitClass;
};

std::vector<std::string> readSuffixWords() {
    std::vector<std::string> words;
    const std::string line = g_processMenu->getMessage(50);
    std::size_t start = 0;
    while (start <= line.size() && static_cast<int>(words.size()) < kMaxSuffixWords) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string::npos) comma = line.size();
        words.push_back(fitText(std::string_view(line).substr(start, comma - start), kMaxSuffixWord + 1));
        start = comma + 1;
    }
    return words;
}

// Cuts the text where the first suffix word (list order) occurs after its first character.
bool cutAtSuffix(std::string& text, const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word.empty()) continue;
        const int at = findNoCaseStr(text, word);
        if (at > 0) {
            text.resize(static_cast<std::size_t>(at));
            return true;
        }
    }
    return false;
}

std::string firstWord(std::string_view text) {
    std::size_t a = 0;
    while (a < text.size() && text[a] == ' ') ++a;
    std::size_t b = a;
    while (b < text.size() && text[b] != ' ') ++b;
    return std::string(text.substr(a, b - a));
}

// Looks the designation up in the thread tables; found: the record becomes a tapped one.
bool takeThread(NAME_HOLE_ATTRIB& r, const std::string& designation) {
    double diameter = 0, pitch = 0, unused1 = 0, unused2 = 0;
    std::int16_t table = 0;
    if (designation.empty() ||
        !findThreadRow(designation.c_str(), -1, &diameter, &pitch, &unused1, &unused2, &table, 0))
        return false;
    r.isTap = 1;
    r.tapDiam = diameter;
    r.tapPitch = pitch;
    r.threadTable = table;
    r.threadName = fitText(designation, kAttribText);
    return true;
}

// The nodes of a named entity in world coordinates: a point record's own position, else the node taken
// out of the entity's view.
void takeNodes(NAME_HOLE_ATTRIB& r, const ent& e) {
    double m[3][3];
    const bool haveView = get_view_matrix(e.note.view, m) == 1;
    for (const ent_node& node : e.note.nodes) {
        double world[3] = {node.pt.x, node.pt.y, node.pt.z};
        ent pointEnt{};
        if (node.pointRef && get_ent_from_eptr(node.pointRef, &pointEnt) && pointEnt.type == kEntPoint) {
            world[0] = pointEnt.pt.pt.x;
            world[1] = pointEnt.pt.pt.y;
            world[2] = pointEnt.pt.pt.z;
        } else if (haveView) {
            mul_mat_vector(m, world, world);
        }
        r.nodes.push_back({world[0], world[1], world[2]});
    }
}

bool isLabel(const ent& e) { return e.type == kEntDrafting && e.draft.subKind == 2; }
bool isNamed(const ent& e) { return e.type == kEntNote && e.note.subKind == 2; }

// A label: its two lines, cut at the first suffix word found in either; "H" in either makes it a fit, a
// designation known to the thread tables as its first word makes it tapped instead.
bool readLabel(const ent& e, const std::vector<std::string>& words, NAME_HOLE_ATTRIB& r) {
    std::string lines[2] = {fitText(e.draft.text1, kSourceText + 1), fitText(e.draft.text2, kSourceText + 1)};
    for (const std::string& word : words) {
        if (word.empty()) continue;
        bool cut = false;
        for (std::string& line : lines) {
            const int at = findNoCaseStr(line, word);
            if (at > 0) {
                line.resize(static_cast<std::size_t>(at));
                cut = true;
                break;
            }
        }
        if (cut) {
            r.suffix = 1;
            break;
        }
    }
    if (lines[0].find('H') != std::string::npos || lines[1].find('H') != std::string::npos) r.isFit = 1;
    if (takeThread(r, firstWord(lines[0]))) r.isFit = 0;
    if (!r.isFit && !r.isTap) return false;
    r.point[0] = e.draft.anchor.x;
    r.point[1] = e.draft.anchor.y;
    r.point[2] = e.draft.anchor.z;
    r.radius = e.draft.radius;
    return true;
}

bool readNamed(const ent& e, const std::vector<std::string>& words, NAME_HOLE_ATTRIB& r) {
    std::string name = fitText(e.note.name, kSourceText + 1);
    r.suffix = cutAtSuffix(name, words) ? 1 : 0;
    std::string fitClass, threadName;
    splitFitOrThread(name, fitClass, threadName);
    if (!threadName.empty()) takeThread(r, threadName);
    if (!fitClass.empty()) {
        r.isFit = 1;
        r.isTap = 0;
        r.fitClass = fitText(fitClass, kAttribText);
    }
    if (!r.isFit && !r.isTap) return false;
    takeNodes(r, e);
    return true;
}

bool readCoded(const ent& e, NAME_HOLE_ATTRIB& r) {
    std::string fitClass, threadName, number;
    if (!parseNameHoleAttrib(fitText(e.note.name, kSourceText + 1), fitClass, threadName, number)) return false;
    if (!threadName.empty()) takeThread(r, threadName);
    if (!fitClass.empty()) {
        r.isFit = 1;
        r.fitClass = fitText(fitClass, kAttribText);
    }
    if (!r.isFit && !r.isTap) return false;
    takeNodes(r, e);
    return true;
}

void applyRecord(const NAME_HOLE_ATTRIB& r, CYL_LIST* c) {
    c->isFit = r.isFit;
    c->isTap = r.isTap;
    c->attribSuffix = r.suffix;
    c->threadDiam = r.tapDiam;
    c->threadPitch = r.tapPitch;
    c->threadTable = r.threadTable;
    c->featureDepth = 0;
    std::snprintf(c->threadName, sizeof c->threadName, "%s", r.threadName.c_str());
    std::snprintf(c->fitClass, sizeof c->fitClass, "%s", r.fitClass.c_str());
}

// The records by the world positions they carry (a label's point, a named entity's nodes), so that a
// segment meets only the records near it. Cells are cubes of a size near the holes' radii; a query
// returns record indices ascending, which keeps "a later record overwrites an earlier one" exact.
class RECORD_INDEX {
public:
    RECORD_INDEX(const std::vector<NAME_HOLE_ATTRIB>& records, double cell) : cell_(cell) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i].nodes.empty()) add(records[i].point, i);
            for (const auto& node : records[i].nodes) add(node.data(), i);
        }
        total_ = records.size();
    }
    // Records with a position inside the cube of half-size `reach` around any of the centres.
    void query(const double (*centres)[3], int count, double reach, std::vector<std::size_t>& out) const {
        out.clear();
        double cells = 0;
        for (int k = 0; k < count; ++k) {
            double n = 1;
            for (int a = 0; a < 3; ++a)
                n *= static_cast<double>(key(centres[k][a] + reach) - key(centres[k][a] - reach) + 1);
            cells += n;
        }
        if (!(cells <= static_cast<double>(total_) + 81)) {   // scanning them all is cheaper
            for (std::size_t i = 0; i < total_; ++i) out.push_back(i);
            return;
        }
        for (int k = 0; k < count; ++k) {
            const double* c = centres[k];
            for (long long x = key(c[0] - reach); x <= key(c[0] + reach); ++x)
                for (long long y = key(c[1] - reach); y <= key(c[1] + reach); ++y)
                    for (long long z = key(c[2] - reach); z <= key(c[2] + reach); ++z) {
                        const auto it = cells_.find(pack(x, y, z));
                        if (it != cells_.end()) out.insert(out.end(), it->second.begin(), it->second.end());
                    }
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

private:
    // Far-off keys are clamped and keys share packed bits beyond 2^20 cells: both only add candidates.
    long long key(double v) const {
        return static_cast<long long>(std::clamp(std::floor(v / cell_), -1e12, 1e12));
    }
    static std::uint64_t pack(long long x, long long y, long long z) {
        const auto part = [](long long v) { return static_cast<std::uint64_t>(v) & 0x1FFFFF; };
        return part(x) << 42 | part(y) << 21 | part(z);
    }
    void add(const double p[3], std::size_t record) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;   // never near
        auto& list = cells_[pack(key(p[0]), key(p[1]), key(p[2]))];
        if (list.empty() || list.back() != record) list.push_back(record);
    }

    double cell_;
    std::size_t total_ = 0;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
};

double medianRadius(const VIEW_LIST* tree) {
    std::vector<double> radii;
    for (const VIEW_LIST* v = tree; v; v = v->next)
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
            for (const CYL_LIST* c = p->firstCyl; c; c = c->next) radii.push_back(std::max(c->rSup, c->rInf));
    if (radii.empty()) return 0;
    std::nth_element(radii.begin(), radii.begin() + radii.size() / 2, radii.end());
    return radii[radii.size() / 2];
}

// Whether the record touches the segment. `a` is the segment's axis point in view coordinates, `top` and
// `bottom` the world points on its axis at zSup and zInf.
bool touches(const NAME_HOLE_ATTRIB& r, const CYL_LIST* c, const double mt[3][3], const double a[3],
             const double top[3], const double bottom[3], bool hasBottom, double bottomZ) {
    const double T = g_tolerances.tolT, T2 = g_tolerances.tol2T;
    if (r.nodes.empty())
        return (distance3(r.point, top) < T || distance3(r.point, bottom) < T) && std::fabs(c->rSup - r.radius) < T;
    for (const auto& node : r.nodes) {
        double p[3];
        mul_mat_vector(mt, node.data(), p);
        const double d = std::hypot(p[0] - a[0], p[1] - a[1]);
        if (d < T2 && std::fabs(p[2] - c->zSup) < T2) return true;
        if (d < T2 && hasBottom && (std::fabs(p[2] - c->zInf) < T2 || std::fabs(p[2] - bottomZ) < T2)) return true;
        if (std::fabs(d - c->rSup) < T2 && std::fabs(p[2] - c->zSup) < T2) return true;
        if (std::fabs(d - c->rInf) < T2 && hasBottom && std::fabs(p[2] - c->zInf) < T2) return true;
    }
    return false;
}

void matchRecords(VIEW_LIST* tree, const std::vector<NAME_HOLE_ATTRIB>& records) {
    const double T2 = g_tolerances.tol2T;
    const RECORD_INDEX index(records, std::max(4 * T2, 2 * medianRadius(tree)));
    std::vector<std::size_t> near;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        double mt[3][3];
        transpose_matrix_33(view->matrix, mt);
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* c = point->firstCyl; c; c = c->next) {
                double a[3];
                mul_mat_vector(mt, c->cUniv, a);
                double bottomZ = c->zInf;
                const bool hasBottom = holeBottomZ(c, &bottomZ);
                const double local[3][3] = {{a[0], a[1], c->zSup}, {a[0], a[1], c->zInf}, {a[0], a[1], bottomZ}};
                double world[3][3];
                for (int k = 0; k < 3; ++k) mul_mat_vector(view->matrix, local[k], world[k]);
                const double reach = std::max(c->rSup, c->rInf) + 2 * T2;
                index.query(world, 3, reach, near);
                for (std::size_t i : near) {
                    if (touches(records[i], c, mt, a, world[0], world[1], hasBottom, bottomZ)) applyRecord(records[i], c);
                }
            }
        }
    }
}

void walk(bool raw, std::uint32_t mask, const std::function<void(const ent&)>& visit) {
    db_ptr p = db_start();
    char found = 0;
    for (;;) {
        ent e{};
        if (raw) get_raw_ent(p, 1, mask, &e, &p, &found);
        else get_ent(p, 1, mask, &e, &p, &found);
        if (!found) break;
        visit(e);
    }
}

// A run of digits, points and commas from `at`; its text with the first comma as a point.
std::string readNumber(const std::string& s, std::size_t& at) {
    std::string number;
    bool comma = false;
    while (at < s.size() && (std::isdigit(static_cast<unsigned char>(s[at])) || s[at] == '.' || s[at] == ',')) {
        char ch = s[at++];
        if (ch == ',' && !comma) {
            comma = true;
            ch = '.';
        }
        number += ch;
    }
    return number;
}

bool startsWithAny(const std::string& s, std::initializer_list<const char*> prefixes, std::size_t* length) {
    for (const char* prefix : prefixes) {
        const std::string_view p(prefix);
        if (s.compare(0, p.size(), p) == 0) {
            *length = p.size();
            return true;
        }
    }
    return false;
}

}  // namespace

bool parseNameHoleAttrib(const std::string& name, std::string& fitClass, std::string& threadName,
                         std::string& number) {
    fitClass.clear();
    threadName.clear();
    number.clear();
    std::size_t at = 0;
    std::string* target = nullptr;
    if (startsWithAny(name, {"GD_", "GS_", "GF_"}, &at)) {
        target = &threadName;
    } else if (startsWithAny(name, {"PD_", "PS_", "PF_"}, &at)) {
        target = &fitClass;
        number = readNumber(name, at);
    } else if (startsWithAny(name, {"S2D_", "S2S_", "S2F_"}, &at)) {
        target = &fitClass;
        number = readNumber(name, at);
        if (number.empty()) return false;
        if (at < name.size() && name[at] == '_') ++at;
    } else {
        return false;
    }
    const std::size_t end = name.find('_', at);
    if (end == std::string::npos || end == at) return false;
    *target = name.substr(at, end - at);
    at = end + 1;
    const std::string tail = readNumber(name, at);
    if (!tail.empty()) number = tail;
    return true;
}

bool splitFitOrThread(const std::string& text, std::string& fitClass, std::string& threadName) {
    fitClass.clear();
    threadName.clear();
    if (text.find('H') != std::string::npos) {
        fitClass = firstWord(text);
        return true;
    }
    threadName = firstWord(text);
    return !threadName.empty();
}

bool holeBottomZ(const CYL_LIST* seg, double* z) {
    *z = seg->zInf;
    const CYL_LIST* next = seg->next;
    if (!next) return true;
    if (next->next) return false;
    const double fullAngle = 2 * std::fabs(next->secAng) * 180 / std::numbers::pi;
    const PRM_SETTINGS& s = g_globals->settings;
    if (!isBetweenTol(fullAngle, s.minDrawnTipAngle, s.maxDrawnTipAngle, 0.1)) return false;
    *z = next->zInf;
    return true;
}

int readNameHoleAttribs(VIEW_LIST* tree) {
    std::size_t sources = 0;
    walk(false, kEntNote | kEntDrafting, [&](const ent& e) { sources += isLabel(e) || isNamed(e); });
    walk(true, kEntNote, [&](const ent& e) { sources += isNamed(e); });
    if (sources == 0) return 0;

    const std::vector<std::string> words = readSuffixWords();
    std::vector<NAME_HOLE_ATTRIB> records;
    records.reserve(sources);
    walk(false, kEntNote | kEntDrafting, [&](const ent& e) {
        NAME_HOLE_ATTRIB r;
        if ((isLabel(e) && readLabel(e, words, r)) || (isNamed(e) && readNamed(e, words, r)))
            records.push_back(std::move(r));
    });
    walk(true, kEntNote, [&](const ent& e) {
        NAME_HOLE_ATTRIB r;
        if (records.size() < sources && isNamed(e) && readCoded(e, r)) records.push_back(std::move(r));
    });
    if (!records.empty()) matchRecords(tree, records);
    return 0;
}
