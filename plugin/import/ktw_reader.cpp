// The KTW reader: a file of numbered elements that refer to each other by id. Every drill element
// ("D_SH_OP_DRILL") becomes one imported feature: its positions from the frames and propagations it refers
// to, its segments from its drill sub-elements and the parameter elements they refer to. Lengths in the
// file are metres. A value the reading uses that is missing or unreadable refuses the file at its line;
// values nobody uses are passed over.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"

using namespace import_text;

namespace {

enum : std::int16_t {
    KTW_INT = 1, KTW_DATE = 2, KTW_TEXT = 3, KTW_REAL = 4, KTW_POINT = 5, KTW_VECTOR = 6, KTW_REFS = 7
};

constexpr std::size_t kMaxValues = 500;
constexpr std::size_t kMaxDrillElems = 500;
constexpr std::size_t kTextWidth = 62;

struct KTW_VALUE {
    std::int16_t kind = 0;
    std::int16_t count = 0;          // the numbers read
    std::array<long, 7> ints{};
    std::array<double, 3> reals{};
    std::string text;
    int line = 0;
    bool bad = false;                // its data were not all there
};

struct KTW_ELEMENT {
    std::string name;
    int line = 0;
    std::vector<KTW_VALUE> values;
};

enum : std::int16_t { DRILL_HOLE = 1, DRILL_BORING = 2, DRILL_FACING = 3, DRILL_TAPPING = 4, DRILL_CSINKING = 5 };

struct KTW_DRILL_ELEM {
    std::int16_t kind = 0;
    int line = 0;                    // of the value that names it
    double diameter = 0, pitch = 0, angle = 0, depth = 0, topDepth = 0, bottomDepth = 0;
    bool through = false;
};

// A file that cannot be read, at this line.
struct KtwDamage {
    int line;
};

bool sameNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && startsWithNoCase(a, b); }

bool isFrame(std::string_view name) {
    for (const char* frame : {"FR", "D_FRAME_FACE_POC", "D_FRAME_REPLICA", "D_FRAME_PT", "D_FRAME_ZKTW_2PT",
                              "D_FRAME_ZKTW_INVERT"})
        if (sameNoCase(name, frame)) return true;
    return false;
}

bool isIndexed(std::string_view name) {
    for (const char* kind : {"D_PARAM", "D_PARAM_EXPRESS", "D_PARAM_COMPO", "D_SH_OP_DRILL", "D_PROPAG_LIN",
                             "D_PROPAG_CIR"})
        if (sameNoCase(name, kind)) return true;
    return isFrame(name);
}

// One value line: its letter and data. Unknown letters give kind 0.
KTW_VALUE parseValue(std::string_view line, int lineNo) {
    KTW_VALUE v;
    v.line = lineNo;
    const std::string_view data = line.substr(1);
    auto reals = [&](std::size_t n) {
        const std::vector<double> got = leadingDoubles(data, n);
        std::copy(got.begin(), got.end(), v.reals.begin());
        v.count = static_cast<std::int16_t>(got.size());
        v.bad = got.size() < n;
    };
    auto ints = [&](std::size_t n, bool all) {
        const std::vector<long> got = leadingLongs(data, n);
        std::copy(got.begin(), got.end(), v.ints.begin());
        v.count = static_cast<std::int16_t>(got.size());
        v.bad = all && got.size() < n;
    };
    switch (line.front()) {
    case 'D': v.kind = KTW_DATE; ints(7, false); break;
    case 'I': v.kind = KTW_INT; ints(1, true); break;
    case 'P': v.kind = KTW_POINT; reals(3); break;
    case 'R': v.kind = KTW_REAL; reals(1); break;
    case 'V': v.kind = KTW_VECTOR; reals(3); break;
    case 'X': v.kind = KTW_REFS; ints(7, false); break;   // how many count is decided where it is read
    case 'S': v.kind = KTW_TEXT; ints(1, true); break;
    default: break;
    }
    return v;
}

// The two debug dumps in the work folder, open only while the debug switch is on: every element the
// second pass reads with its values, and what the drill elements were made into.
class KtwDumps {
public:
    KtwDumps() {
        if (!g_globals.constructed() || !g_globals->debugDumps) return;
        txt_ = std::fopen(plat::joinPath(g_globals->tmpDir, "KtwTxt.txt").c_str(), "w");
        ref_ = std::fopen(plat::joinPath(g_globals->tmpDir, "KtwRef.txt").c_str(), "w");
    }
    ~KtwDumps() {
        if (txt_) std::fclose(txt_);
        if (ref_) std::fclose(ref_);
    }
    KtwDumps(const KtwDumps&) = delete;
    KtwDumps& operator=(const KtwDumps&) = delete;

    std::FILE* txt() const { return txt_; }
    std::FILE* ref() const { return ref_; }

    void element(const KTW_ELEMENT& el, long id) const {
        if (!txt_) return;
        auto intOf = [&](std::size_t i) { return i < el.values.size() ? el.values[i].ints[0] : 0L; };
        const int n = static_cast<int>(el.values.size());
        const char* name = el.name.c_str();
        if (sameNoCase(el.name, "FR")) std::fprintf(txt_, "%s Id=%li n=%i %li", name, id, n, intOf(0));
        else std::fprintf(txt_, "%s Id=%li n=%i %li %li", name, id, n, intOf(0), intOf(1));
        int inLine = 0;
        for (std::size_t i = 0; i < el.values.size(); ++i) {
            const KTW_VALUE& v = el.values[i];
            if (v.kind == KTW_TEXT || inLine == 10) {
                std::fprintf(txt_, "\n    %02i-> ", static_cast<int>(i) + 1);
                inLine = 0;
            }
            dumpKtwValue(v);
            ++inLine;
        }
        std::fprintf(txt_, "\n");
    }

    void dumpKtwValue(const KTW_VALUE& v) const {
        if (!txt_) return;
        switch (v.kind) {
        case KTW_DATE:
            std::fprintf(txt_, " (%li/%li/%li %li:%li)", v.ints[0], v.ints[1], v.ints[2], v.ints[3], v.ints[4]);
            break;
        case KTW_INT: std::fprintf(txt_, " I%li", v.ints[0]); break;
        case KTW_REAL: std::fprintf(txt_, " R%g", v.reals[0]); break;
        case KTW_POINT:
        case KTW_VECTOR:
            std::fprintf(txt_, " %c(%g %g %g)", v.kind == KTW_POINT ? 'P' : 'V', v.reals[0], v.reals[1], v.reals[2]);
            break;
        case KTW_TEXT: std::fprintf(txt_, " S%s", v.text.c_str()); break;
        case KTW_REFS:
            std::fprintf(txt_, " X");
            for (int k = 0; k < v.count; ++k) std::fprintf(txt_, " %li", v.ints[static_cast<std::size_t>(k)]);
            break;
        default: break;
        }
    }

private:
    std::FILE* txt_ = nullptr;
    std::FILE* ref_ = nullptr;
};

class KtwReader {
public:
    explicit KtwReader(IMPORT_FAULT& fault) : fault_(fault) {
        scale_ = g_globals.constructed() && !g_globals->metric() ? 1000.0 / 25.4 : 1000.0;
    }

    IMPORT_FEAT* read(std::string_view text) {
        int badLine = 0;
        lines_ = splitLines(text, badLine);
        try {
            readElements(badLine);
            for (std::size_t e = 0; e < elements_.size(); ++e) {
                const KTW_ELEMENT& el = elements_[e];
                if (!isIndexed(el.name)) continue;
                const std::size_t idAt = sameNoCase(el.name, "FR") ? 1 : 2;
                if (idAt < el.values.size() && el.values[idAt].kind == KTW_INT && !el.values[idAt].bad)
                    index_.emplace(idOf(el), e);
            }
            for (const KTW_ELEMENT& el : elements_) {
                const bool fr = sameNoCase(el.name, "FR");
                if (fr || el.name.starts_with("D_PARAM") || el.name.starts_with("D_FRAME") ||
                    el.name.starts_with("D_PROPAG") || sameNoCase(el.name, "D_SH_OP_DRILL"))
                    dumps_.element(el, idOf(el));
                if (fr) noteFrameVariant(el);
                else if (sameNoCase(el.name, "D_SH_OP_DRILL")) interpret(el);
            }
        } catch (const KtwDamage& damage) {
            fault_.line = damage.line;
            fault_.reason = damage.line == badLine ? import_texts::kBadLine : import_texts::kBadElement;
            freeImportFeats(head_);
            return nullptr;
        }
        return head_;
    }

private:
    // The element's id: the number of its third value, of an "FR" its second.
    static long idOf(const KTW_ELEMENT& el) {
        const std::size_t at = sameNoCase(el.name, "FR") ? 1 : 2;
        return at < el.values.size() ? el.values[at].ints[0] : 0;
    }

    // The elements of the section "ELEMENTS", each with its values.
    void readElements(int badLine) {
        std::size_t at = 0;
        auto isElementsHeader = [](std::string_view line) {
            return line.starts_with('[') && sameNoCase(line.substr(1), "ELEMENTS");
        };
        while (at < lines_.size() && !isElementsHeader(lines_[at])) {
            if (static_cast<int>(at) + 1 == badLine) throw KtwDamage{badLine};
            ++at;
        }
        for (++at; at < lines_.size(); ++at) {
            const std::string_view line = lines_[at];
            if (static_cast<int>(at) + 1 == badLine) throw KtwDamage{badLine};
            if (line.starts_with(']')) return;
            if (!line.starts_with('{')) continue;
            KTW_ELEMENT el;
            el.name = std::string(line.substr(1));
            el.line = static_cast<int>(at) + 1;
            at = readKtwValues(at + 1, el, badLine);
            elements_.push_back(std::move(el));
        }
    }

    // The value lines of an element from `at` up to its "}", at most kMaxValues of them kept; the index of
    // the "}" line.
    std::size_t readKtwValues(std::size_t at, KTW_ELEMENT& el, int badLine) {
        for (; at < lines_.size(); ++at) {
            const std::string_view line = lines_[at];
            if (static_cast<int>(at) + 1 == badLine) throw KtwDamage{badLine};
            if (line.starts_with('}')) return at;
            if (line.starts_with('{') || line.starts_with(']')) break;
            if (line.starts_with('<')) {
                while (at < lines_.size() && !lines_[at].starts_with('>')) ++at;
                if (at == lines_.size()) break;
                continue;
            }
            if (line.empty()) continue;
            KTW_VALUE v = parseValue(line, static_cast<int>(at) + 1);
            if (v.kind == KTW_TEXT) {
                // The count of text lines that follow; the last one is the value's text.
                const long n = v.bad ? -1 : v.ints[0];
                if (n < 0 || static_cast<std::size_t>(n) >= lines_.size() - at) throw KtwDamage{v.line};
                for (long k = 0; k < n; ++k) {
                    ++at;
                    if (static_cast<int>(at) + 1 == badLine) throw KtwDamage{badLine};
                    v.text = std::string(lines_[at].substr(0, kTextWidth));
                }
            }
            if (v.kind != 0 && el.values.size() < kMaxValues) el.values.push_back(std::move(v));
        }
        throw KtwDamage{el.line};   // the element is not closed
    }

    // An "FR" whose value after its id (after a text, when one comes first) is a whole number: the reference
    // lists hold five numbers from here on and a parameter's value moves one place on.
    void noteFrameVariant(const KTW_ELEMENT& el) {
        std::size_t at = 2;
        if (at < el.values.size() && el.values[at].kind == KTW_TEXT) ++at;
        if (at < el.values.size() && el.values[at].kind == KTW_INT && !el.values[at].bad) frameVariant_ = true;
    }

    std::size_t refCount() const { return frameVariant_ ? 5 : 4; }

    // The element a reference list names; null when the value is none or the id is not indexed.
    const KTW_ELEMENT* referenced(const KTW_VALUE& v) const {
        if (v.kind != KTW_REFS || static_cast<std::size_t>(v.count) < refCount()) return nullptr;
        const auto found = index_.find(v.ints[refCount() - 1]);
        return found == index_.end() ? nullptr : &elements_[found->second];
    }

    // Value number `i` (from 0) of the element as a number; the file is damaged when it has none there.
    static double real(const KTW_ELEMENT& el, std::size_t i) {
        if (i >= el.values.size()) throw KtwDamage{el.line};
        const KTW_VALUE& v = el.values[i];
        if (v.bad || (v.kind != KTW_REAL && v.kind != KTW_INT)) throw KtwDamage{v.line};
        return v.kind == KTW_REAL ? v.reals[0] : static_cast<double>(v.ints[0]);
    }
    static const KTW_VALUE& triple(const KTW_ELEMENT& el, std::size_t i) {
        if (i >= el.values.size()) throw KtwDamage{el.line};
        const KTW_VALUE& v = el.values[i];
        if (v.bad || (v.kind != KTW_POINT && v.kind != KTW_VECTOR)) throw KtwDamage{v.line};
        return v;
    }

    // A position past the ten the record holds notes the feature as cut.
    void addPosition(IMPORT_FEAT& feat, const double direction[3], const double point[3], int line) {
        if (feat.positionCount >= kMaxImportPositions) {
            cut_ = true;
            return;
        }
        IMPORT_FEAT_POS& pos = feat.positions[feat.positionCount++];
        std::copy(direction, direction + 3, pos.direction);
        std::copy(point, point + 3, pos.point);
        pos.line = line;
    }

    void positions(IMPORT_FEAT& feat, const KTW_ELEMENT& drill) {
        double point[3] = {}, direction[3] = {};
        int pointLine = drill.line;
        for (const KTW_VALUE& v : drill.values) {
            if (v.kind != KTW_REFS || v.count < 1 || v.ints[0] != 4) continue;
            const KTW_ELEMENT* el = referenced(v);
            if (!el) continue;
            if (isFrame(el->name)) {
                for (std::size_t j = 0; j < el->values.size(); ++j) {
                    const KTW_VALUE& f = el->values[j];
                    if (f.kind == KTW_POINT) {
                        const KTW_VALUE& p = triple(*el, j);
                        for (int k = 0; k < 3; ++k) point[k] = p.reals[static_cast<std::size_t>(k)] * scale_;
                        pointLine = p.line;
                    } else if (f.kind == KTW_VECTOR) {
                        const KTW_VALUE& axis = triple(*el, j + 2);
                        for (int k = 0; k < 3; ++k) direction[k] = axis.reals[static_cast<std::size_t>(k)];
                        j += 2;
                    }
                }
                addPosition(feat, direction, point, pointLine);
                if (dumps_.txt())
                    std::fprintf(dumps_.txt(), " Posicio Id=%li (X%.3f Y%.3f Z%.3f) (zx%.6f zy%.6f zz%.6f)\n",
                                 idOf(*el), point[0], point[1], point[2], direction[0], direction[1], direction[2]);
            } else if (sameNoCase(el->name, "D_PROPAG_LIN")) {
                point[0] += real(*el, 24) * scale_;
                point[1] += real(*el, 28) * scale_;
                point[2] += real(*el, 32) * scale_;
                pointLine = el->line;
                addPosition(feat, direction, point, pointLine);
                if (dumps_.txt())
                    std::fprintf(dumps_.txt(), " Posicio Id=%li (X%.3f Y%.3f Z%.3f)\n", idOf(*el), point[0], point[1],
                                 point[2]);
            } else if (sameNoCase(el->name, "D_PROPAG_CIR")) {
                rotatedCopies(feat, *el, point, direction);
            }
        }
    }

    // Copies of the current position turned by the propagation's matrices, in the frame of its base matrix.
    void rotatedCopies(IMPORT_FEAT& feat, const KTW_ELEMENT& el, const double point[3], const double direction[3]) {
        const double n = real(el, 5);
        double base[3][3];
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c) base[r][c] = real(el, 6 + 4 * r + c);
        double along[3] = {point[0], point[1], point[2]};
        const double len = std::hypot(direction[0], direction[1], direction[2]);
        if (len > 0)
            for (int k = 0; k < 3; ++k) along[k] += direction[k] / len;
        double p[3] = {}, p1[3] = {};   // both points in the base frame: the transpose applied
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                p[r] += base[c][r] * point[c];
                p1[r] += base[c][r] * along[c];
            }
        // A count far past what the element's matrices hold stops at the record's ten, told as cut.
        for (long k = 1; k < n; ++k) {
            if (feat.positionCount >= kMaxImportPositions) {
                cut_ = true;
                return;
            }
            const std::size_t b = 22 + 16 * static_cast<std::size_t>(k - 1);
            double at[3] = {}, dir[3] = {};
            for (std::size_t r = 0; r < 3; ++r) {
                double pr = 0, p1r = 0;
                for (std::size_t c = 0; c < 3; ++c) {
                    const double m = real(el, b + 4 * r + c);
                    pr += m * p[c];
                    p1r += m * p1[c];
                }
                at[r] = pr;
                dir[r] = p1r - pr;
            }
            addPosition(feat, dir, at, el.line);
            if (dumps_.txt())
                std::fprintf(dumps_.txt(), " Posicio Rotada (X%.3f Y%.3f Z%.3f) (zx%.6f zy%.6f zz%.6f)\n", at[0], at[1],
                             at[2], dir[0], dir[1], dir[2]);
        }
    }

    static std::int16_t drillKind(std::string_view name) {
        constexpr std::string_view kPrefix = "D_SH_OP_DRILL_ELEM_";
        if (!name.starts_with(kPrefix)) return 0;
        const std::string_view rest = name.substr(kPrefix.size());
        if (rest == "HOLE") return DRILL_HOLE;
        if (rest == "BORING") return DRILL_BORING;
        if (rest == "FACING") return DRILL_FACING;
        if (rest == "TAPPING") return DRILL_TAPPING;
        if (rest == "CSINKING") return DRILL_CSINKING;
        return 0;
    }

    // The drill sub-elements, their parameters taken from the parameter elements they refer to.
    std::vector<KTW_DRILL_ELEM> subElements(const KTW_ELEMENT& drill) {
        std::vector<KTW_DRILL_ELEM> out;
        double diameter = 0, depth = 0, angle = 0, pitch = 0;
        std::int16_t kind = 0;
        bool open = false;
        int found = 0, line = 0;
        auto close = [&] {
            if (open && out.size() < kMaxDrillElems) {
                KTW_DRILL_ELEM e;
                e.kind = kind;
                e.line = line;
                e.diameter = diameter, e.depth = depth, e.angle = angle, e.pitch = pitch;
                out.push_back(e);
            }
        };
        const double tiny = g_tolerances.tol004T, tinyDepth = g_tolerances.tol0004T;   // 0.04 T and 0.004 T
        const std::size_t paramAt = frameVariant_ ? 11 : 10;
        for (std::size_t i = 0; i < drill.values.size(); ++i) {
            const KTW_VALUE& v = drill.values[i];
            if (v.kind == KTW_TEXT && v.text.starts_with("D_SH_OP_DRILL_")) {
                close();
                open = true;
                kind = drillKind(v.text);
                found = 0;
                line = v.line;
                continue;
            }
            if (!open) continue;
            const KTW_ELEMENT* el = referenced(v);
            if (!el) continue;
            const int number = found++;
            if (!el->name.starts_with("D_PARAM") || number > 2) continue;
            const double raw = real(*el, paramAt);
            // A parameter too small to be meant gives way to the number written after the reference.
            auto orFollowing = [&](double scaled) {
                if (i + 1 < drill.values.size()) {
                    const KTW_VALUE& next = drill.values[i + 1];
                    if (next.kind == KTW_REAL && !next.bad) return next.reals[0] * scale_;
                }
                return scaled;
            };
            const double scaled = raw * scale_;
            const double checked = scaled < tiny ? orFollowing(scaled) : scaled;
            const double checkedDepth = std::fabs(scaled) < tinyDepth && !frameVariant_ ? orFollowing(scaled) : scaled;
            switch (kind) {
            case DRILL_HOLE:
            case DRILL_TAPPING:
                if (number == 0) diameter = checked;
                else if (number == 1) depth = checkedDepth;
                else if (kind == DRILL_HOLE) angle = raw;
                else pitch = checked;
                break;
            case DRILL_BORING:
                if (number == 0) diameter = checked;
                else if (number == 1) depth = scaled;
                break;
            case DRILL_FACING:
                if (number == 0) diameter = scaled;
                else if (number == 1) depth = scaled;
                break;
            case DRILL_CSINKING:
                if (number == 0) diameter = scaled;
                else if (number == 1) angle = raw;
                break;
            default: break;
            }
        }
        close();
        return out;
    }

    void interpret(const KTW_ELEMENT& drill) {
        IMPORT_FEAT feat{};
        cut_ = false;
        if (dumps_.txt()) std::fprintf(dumps_.txt(), "----------------------------------------\n");
        positions(feat, drill);
        std::vector<KTW_DRILL_ELEM> subs = subElements(drill);
        const std::size_t n = drill.values.size();
        if (n < 5) throw KtwDamage{drill.line};
        const double zb1 = real(drill, n - 5) * scale_, zb2 = real(drill, n - 4) * scale_;
        const double zb3 = real(drill, n - 1) * scale_;
        const double tiny = g_tolerances.tol004T;
        const KTW_DRILL_ELEM* firstHole = nullptr;
        for (KTW_DRILL_ELEM& e : subs) {
            if (std::fabs(e.depth) < tiny) {
                e.through = true;
                e.depth = zb2;
                if (std::fabs(e.depth) < tiny && firstHole) e.depth = firstHole->depth;
            }
            e.topDepth = zb1 + zb3;
            e.bottomDepth = e.depth;
            if (e.kind == DRILL_HOLE && !firstHole) firstHole = &e;
        }
        dumpDrill(feat, subs, zb1, zb2, zb3);
        for (const KTW_DRILL_ELEM& e : subs) {
            if (e.kind != DRILL_HOLE && e.kind != DRILL_BORING && e.kind != DRILL_TAPPING) continue;
            if (feat.segmentCount >= kMaxImportSegments) {   // the record has room for ten
                cut_ = true;
                break;
            }
            IMPORT_FEAT_SEG& seg = feat.segments[feat.segmentCount++];
            seg.offset = e.topDepth;
            seg.depth = e.bottomDepth;
            seg.diameter = e.diameter;
            seg.line = e.line;
            if (e.kind == DRILL_HOLE) {
                seg.type = IMPORT_SEG_HOLE;
                feat.kind = 1;
            } else if (e.kind == DRILL_BORING) {
                seg.type = IMPORT_SEG_FIT;
                seg.tolClass = 5;
                seg.diameter2 = e.diameter;
                feat.kind = 2;
            } else {
                seg.type = IMPORT_SEG_TAP;
                seg.pitch = e.pitch;
                feat.kind = 5;
            }
        }
        if (cut_ && fault_.cutFeatures++ == 0) fault_.firstCutLine = drill.line;
        if (IMPORT_FEAT* copy = newImportFeat(feat, tail_)) {
            if (!head_) head_ = copy;
            tail_ = copy;
        }
    }

    // What the drill element became: its sub-elements in both dumps, its positions in the second, where
    // Z1 and Z2 are the heights of top and bottom below the plane of the last position.
    void dumpDrill(const IMPORT_FEAT& feat, const std::vector<KTW_DRILL_ELEM>& subs, double zb1, double zb2,
                   double zb3) const {
        std::FILE* const files[] = {dumps_.txt(), dumps_.ref()};
        if (!files[0] && !files[1]) return;
        double zPlane = 0;
        for (int p = 0; p < feat.positionCount; ++p) {
            const IMPORT_FEAT_POS& pos = feat.positions[p];
            const double len = std::hypot(pos.direction[0], pos.direction[1], pos.direction[2]);
            zPlane = len > 0 ? (pos.point[0] * pos.direction[0] + pos.point[1] * pos.direction[1] +
                                pos.point[2] * pos.direction[2]) / len
                             : pos.point[2];
            if (files[1])
                std::fprintf(files[1], "(X%.3f Y%.3f Z%.3f) (zx%.6f zy%.6f zz%.6f) zPlane=%.3f\n", pos.point[0],
                             pos.point[1], pos.point[2], pos.direction[0], pos.direction[1], pos.direction[2], zPlane);
        }
        if (files[0]) std::fprintf(files[0], "   zb1=%f zb2=%f zb3=%f\n", zb1, zb2, zb3);
        for (int f = 0; f < 2; ++f) {
            std::FILE* out = files[f];
            if (!out) continue;
            const char* indent = f == 0 ? "" : "    ";
            int k = 0;
            for (const KTW_DRILL_ELEM& e : subs) {
                const double z1 = zPlane - e.topDepth, z2 = zPlane - e.depth;
                switch (e.kind) {
                case DRILL_HOLE:
                    std::fprintf(out, "%s   HOLE: Diam=%.3f Z1=%.3f Z2=%.3f Ang=%.2f k=%i\n", indent, e.diameter, z1,
                                 z2, e.angle, k);
                    break;
                case DRILL_BORING:
                    std::fprintf(out, "%s   BORE: Diam=%.3f Z1=%.3f Z2=%.3f %s", indent, e.diameter, z1, z2,
                                 e.through ? "PASANTE" : "");
                    break;
                case DRILL_FACING:
                    std::fprintf(out, "%s   FACE: Diam=%.3f Z1=%.3f Z2=%.3f\n", indent, e.diameter, z1, z2);
                    break;
                case DRILL_TAPPING:
                    std::fprintf(out, "%s   TAPPING: Diam=%.3f pitch=%.3f Z1=%.3f Z2=%.3f", indent, e.diameter,
                                 e.pitch, z1, z2);
                    break;
                case DRILL_CSINKING:
                    std::fprintf(out, "%s   CSINK: Diam=%.3f Ang=%.3f\n", indent, e.diameter, e.angle);
                    break;
                default: break;
                }
                if (e.kind == DRILL_BORING || e.kind == DRILL_TAPPING) {
                    if (f == 1) std::fprintf(out, " zPlane=%f zSup=%f zProf=%f", zPlane, e.topDepth, e.depth);
                    std::fprintf(out, "\n");
                }
                ++k;
            }
        }
    }

    IMPORT_FAULT& fault_;
    KtwDumps dumps_;
    double scale_ = 1000.0;
    std::vector<std::string_view> lines_;
    std::vector<KTW_ELEMENT> elements_;
    std::unordered_map<long, std::size_t> index_;   // element id -> its place in elements_, the first one wins
    bool frameVariant_ = false;
    bool cut_ = false;   // the drill element read has more positions or segments than its record holds
    IMPORT_FEAT* head_ = nullptr;
    IMPORT_FEAT* tail_ = nullptr;
};

}  // namespace

IMPORT_FEAT* readKtwText(std::string_view text, IMPORT_FAULT& fault) {
    fault = IMPORT_FAULT{};
    return KtwReader(fault).read(text);
}

IMPORT_FEAT* readKtwFile(std::FILE* file, IMPORT_FAULT& fault) { return readKtwText(readAll(file), fault); }
