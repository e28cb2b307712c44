// The NC listing: the part's regenerated operations as one G-code program for a generic 3-axis control
// (the dialect is in the README). Drill cycles become canned cycles, milled holes straight and circular
// moves; each tool plane with its origin is a work offset of its own, described in a comment, so that the
// coordinates of every block are the plane's.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/internal.h"
#include "host/ops/op_store.h"
#include "host/ops/toolpath.h"
#include "host/state.h"

namespace host {
namespace {

using ops::CyclePoint;
using ops::PathMove;
using ops::Toolpath;

bool metric() { return current_version[7] == 1; }

// A control reads at most nine digits before a word's point; a number beyond them, or none at all, is never
// written, cut or whole: the listing is refused instead, naming the operation (`Writer::operation`).
constexpr double kBeyondWords = 1e9;
struct UNWRITABLE {
    double value;
};
void writable(double v) {
    if (!(std::fabs(v) < kBeyondWords)) throw UNWRITABLE{v};
}

// A number as the control reads it: a decimal point always, trailing zeros cut.
std::string num(double v, int decimals) {
    writable(v);
    char buf[64];
    const double least = 0.5 * std::pow(10.0, -decimals);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(v) < least ? 0.0 : v);
    std::string t = buf;
    while (t.back() == '0') t.pop_back();
    return t;
}
// A dwell's whole milliseconds.
std::string millis(double seconds) {
    writable(seconds * 1000);
    return std::to_string(std::lround(seconds * 1000));
}
std::string len(double v) { return num(v, metric() ? 3 : 4); }
std::string feedText(double v) { return num(v, metric() ? 1 : 2); }

std::string upper(std::string t) {
    for (char& c : t) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c == '(' || c == ')') c = ' ';
    }
    return t;
}

std::string text(const char* field, std::size_t n) { return std::string(field, strnlen(field, n)); }

// The work offsets: one per plane and origin, in the order the operations first use them.
class Offsets {
public:
    // The offset's word, and its description when it is new.
    std::string of(const Toolpath& p, std::string* described) {
        std::string key;
        for (const auto& row : p.matrix)
            for (double v : row) key += num(v, 6) + ",";
        for (double v : p.origin) key += len(v) + ",";
        auto it = words_.find(key);
        if (it != words_.end()) return it->second;
        const std::size_t n = words_.size();
        const std::string word = n < 6 ? "G" + std::to_string(54 + n) : "G54.1 P" + std::to_string(n - 5);
        words_[key] = word;
        auto axis = [&](const double* r) { return num(r[0], 6) + "," + num(r[1], 6) + "," + num(r[2], 6); };
        *described = word + " = PLANE X " + axis(p.matrix[0]) + " Y " + axis(p.matrix[1]) + " Z " +
                     axis(p.matrix[2]) + " ORIGIN " + len(p.origin[0]) + "," + len(p.origin[1]) + "," +
                     len(p.origin[2]);
        return word;
    }

private:
    std::map<std::string, std::string> words_;
};

// The canned cycle of an operation's drill cycle, "" when the control has none that does what the host
// computed (the moves are written then).
std::string cannedCycle(const operation& op) {
    const double eps = 1e-6;
    const bool evenPecks = op.pecks[1] <= eps || std::fabs(op.pecks[1] - op.pecks[0]) <= eps;
    switch (op.cycle) {
    case 0: return op.dwell > 0 ? "G82" : "G81";
    case 1: return op.pecks[0] > eps && evenPecks ? "G83" : op.pecks[0] > eps ? "" : "G81";
    case 2: return op.pecks[0] > eps && evenPecks ? "G73" : op.pecks[0] > eps ? "" : "G81";
    case 3: return op.toolType == 5 ? "G74" : "G84";
    case 4: return "G85";
    case 5: return "G86";
    default: return "";
    }
}

class Writer {
public:
    // The listing, "" when a number of it cannot be written (`why` then tells which and where).
    std::string run(std::string& why) {
        std::string name = upper(text(geo_filename, sizeof geo_filename));
        if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
        o_ << "%\n";
        o_ << "O1000 (" << name << ")\n";
        o_ << "(FORANTIX HOSTCAM NC LISTING - GENERIC 3-AXIS CONTROL, " << (metric() ? "MM" : "INCH") << ")\n";
        block(std::string(metric() ? "G21" : "G20") + " G17 G40 G49 G80 G90 G94");
        for (const auto& stored : ops::opState().list) {
            try {
                operation(*stored);
            } catch (const UNWRITABLE& u) {
                char value[40];
                std::snprintf(value, sizeof value, "%g", u.value);
                why = "OP " + std::to_string(stored->op.id) + " " + upper(text(stored->op.comment, sizeof stored->op.comment)) +
                      ": its number " + value + " cannot be written: a control reads at most 9 digits before the point";
                return "";
            }
        }
        endTool();
        if (haveTool_) {
            block("M5");
            block("G91 G28 Z0.");
            block("G90");
        }
        block("M30");
        o_ << "%\n";
        return o_.str();
    }

private:
    void block(const std::string& words) { o_ << 'N' << (n_ += 10) << ' ' << words << '\n'; }
    void comment(const std::string& t) { o_ << '(' << t << ")\n"; }

    void endTool() {
        if (haveTool_) block("M9");
    }

    void operation(ops::StoredOp& s) {
        const ::operation& op = s.op;
        const std::string label = "OP " + std::to_string(op.id) + " " + upper(text(op.comment, sizeof op.comment));
        const Toolpath* path = ops::currentToolpath(s);
        if (!path) {
            comment(label + " - NOT REGENERATED, NOT OUTPUT");
            return;
        }
        if (path->moves.empty()) {
            comment(label + " - NO TOOLPATH" + (path->remark.empty() ? "" : ": " + upper(path->remark)));
            return;
        }
        comment(label);
        std::string described;
        const std::string offset = offsets_.of(*path, &described);
        if (!described.empty()) comment(described);
        const double* start = path->moves.front().to;
        const bool newTool = !haveTool_ || op.toolNumber != toolNumber_;
        if (newTool) {
            endTool();
            comment("T" + std::to_string(op.toolNumber) + " " + upper(text(op.toolName, sizeof op.toolName)) + " D" +
                    len(op.toolDiameter));
            block("T" + std::to_string(op.toolNumber) + " M6");
            haveTool_ = true;
            toolNumber_ = op.toolNumber;
        }
        const int h = op.lengthOffset > 0 ? op.lengthOffset : op.toolNumber;
        const char* spindleWord = op.code == 2 && op.cycle == 3 && op.toolType == 5 ? " M4" : " M3";
        block("G0 G90 " + offset + " X" + len(start[0]) + " Y" + len(start[1]) + " S" + std::to_string(op.toolSpindle) +
              spindleWord);
        block("G43 H" + std::to_string(h) + " Z" + len(start[2]) + (newTool ? " M8" : ""));
        last_[0] = start[0];
        last_[1] = start[1];
        last_[2] = start[2];
        motion_ = 0;
        feed_ = -1;
        const std::string canned = op.code == 2 ? cannedCycle(op) : "";
        if (!canned.empty()) {
            cycle(op, *path, canned);
        } else {
            if (op.code == 2) comment("CYCLE " + std::to_string(op.cycle) + " AS MOVES");
            moves(*path, 1);
        }
    }

    void cycle(const ::operation& op, const Toolpath& path, const std::string& canned) {
        const std::vector<CyclePoint>& points = path.points;
        double z = 0, r = 0;
        std::string mode;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const CyclePoint& c = points[i];
            const bool last = i + 1 == points.size();
            const bool atEnds = op.clearanceAtEnds != 0 && !last && points[i + 1].retract <= c.retract + 1e-9;
            const std::string want = atEnds ? "G99" : "G98";
            std::string words;
            if (i == 0) {
                words = want + " " + canned + " X" + len(c.x) + " Y" + len(c.y) + " Z" + len(c.bottom) + " R" +
                        len(c.retract);
                if (canned == "G83" || canned == "G73") words += " Q" + len(op.pecks[0]);
                if (canned == "G82" || canned == "G86") words += " P" + millis(op.dwell);
                words += " F" + feedText(op.toolFeeds[0] > 0 ? op.toolFeeds[0] : op.toolFeeds[1]);
            } else {
                if (want != mode) words = want + " ";
                words += "X" + len(c.x) + " Y" + len(c.y);
                if (len(c.bottom) != len(z)) words += " Z" + len(c.bottom);
                if (len(c.retract) != len(r)) words += " R" + len(c.retract);
            }
            block(words);
            mode = want;
            z = c.bottom;
            r = c.retract;
        }
        block("G80");
        const CyclePoint& end = points.back();
        if (end.clearance > end.retract + 1e-9 && mode == "G99") block("G0 Z" + len(end.clearance));
    }

    void moves(const Toolpath& path, std::size_t from) {
        for (std::size_t i = from; i < path.moves.size(); ++i) {
            const PathMove& m = path.moves[i];
            switch (m.kind) {
            case PathMove::kRapid: linear(0, m); break;
            case PathMove::kFeed: linear(1, m); break;
            case PathMove::kArcCw:
            case PathMove::kArcCcw: arc(m, path.centres[m.centre]); break;
            case PathMove::kDwell: block("G4 P" + millis(m.value)); break;
            case PathMove::kSpindleStop: block("M5"); break;
            case PathMove::kSpindleReverse: block("M4"); break;
            }
        }
    }

    std::string axes(const PathMove& m) {
        std::string w;
        const char* names = "XYZ";
        for (int k = 0; k < 3; ++k)
            if (len(m.to[k]) != len(last_[k])) w += std::string(" ") + names[k] + len(m.to[k]);
        return w;
    }
    std::string feedWord(double f) {
        if (f <= 0 || feedText(f) == feedText(feed_)) return "";
        feed_ = f;
        return " F" + feedText(f);
    }
    void linear(int g, const PathMove& m) {
        const std::string w = axes(m);
        if (w.empty()) return;
        std::string words = g != motion_ ? "G" + std::to_string(g) : "";
        words += w;
        if (g == 1) words += feedWord(m.value);
        if (words.front() == ' ') words.erase(0, 1);
        block(words);
        motion_ = g;
        std::memcpy(last_, m.to, sizeof last_);
    }
    void arc(const PathMove& m, const std::array<double, 3>& centre) {
        const int g = m.kind == PathMove::kArcCw ? 2 : 3;
        std::string words = "G" + std::to_string(g) + " X" + len(m.to[0]) + " Y" + len(m.to[1]);
        if (len(m.to[2]) != len(last_[2])) words += " Z" + len(m.to[2]);
        words += " I" + len(centre[0] - last_[0]) + " J" + len(centre[1] - last_[1]) + feedWord(m.value);
        block(words);
        motion_ = g;
        std::memcpy(last_, m.to, sizeof last_);
    }

    std::ostringstream o_;
    int n_ = 0;
    Offsets offsets_;
    bool haveTool_ = false;
    std::int32_t toolNumber_ = 0;
    double last_[3] = {};
    int motion_ = 0;
    double feed_ = -1;
};

}  // namespace

std::string ncListing(std::string* refused) {
    std::string why;
    std::string listing = Writer().run(why);
    if (refused) *refused = why;
    return listing;
}

}  // namespace host
