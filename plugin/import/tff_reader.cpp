// The TFF reader: a line-oriented file of hole features ("FEAT_DEF" ... "END"), each with its segment
// blocks ("FEAT_SEG") and position blocks ("FEAT_POS"), read into an imported-feature list. Numbers are in
// the part's units. A segment key that a segment leaves out keeps the value the last segment gave it.
#include <array>
#include <cmath>
#include <new>
#include <string>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"

using namespace import_text;

IMPORT_FEAT* newImportFeat(const IMPORT_FEAT& feat, IMPORT_FEAT* any) {
    auto* copy = new (std::nothrow) IMPORT_FEAT(feat);
    if (!copy) {
        plat::messageBox(nullptr, errorMessage(import_texts::kNoMemory), errorMessage(import_texts::kCaption),
                         plat::MB_OK);
        return nullptr;
    }
    IMPORT_FEAT* last = any;
    while (last && last->next) last = last->next;
    copy->prev = last;
    copy->next = nullptr;
    if (last) last->next = copy;
    return copy;
}

namespace {

enum class TffState { Outside, Feature, Segment, Position };

constexpr std::array<const char*, 6> kKinds = {"UNKNOWN", "FACEHOLE", "FITHOLE", "DFACEHOLE", "DRILLHOLE", "TAPHOLE"};
constexpr std::array<const char*, 4> kSegmentTypes = {"UNKNOWN", "HOLE", "FIT", "TAP"};

// The index of the first word the value begins with; 0 when none.
template <std::size_t N>
int wordIndex(std::string_view value, const std::array<const char*, N>& words) {
    for (std::size_t i = 0; i < N; ++i)
        if (value.starts_with(words[i])) return static_cast<int>(i);
    return 0;
}

// The line after its leading control characters (tabs and the like; blanks stay).
std::string_view keyText(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && static_cast<unsigned char>(line[at]) < 0x20) ++at;
    return line.substr(at);
}

// The value of a key line: the text after the first colon (the rest after the key without one), its
// leading control characters skipped.
std::string_view tffTokenValue(std::string_view line, std::string_view key) {
    const std::size_t colon = line.find(':');
    std::string_view value = colon == std::string_view::npos ? line.substr(key.size()) : line.substr(colon + 1);
    while (!value.empty() && static_cast<unsigned char>(value.front()) < 0x20) value.remove_prefix(1);
    return value;
}

// The segment values, kept from one segment to the next.
struct SEGMENT_VALUES {
    std::uint32_t type = IMPORT_SEG_UNKNOWN;
    double offset = 0, depth = 0, diameter = 0, pitch = 0;
    long tolClass = 0;
    double lastHoleDiameter = 0;
    int offsetLine = 0, depthLine = 0, diameterLine = 0, pitchLine = 0;   // where each was given; 0 never
};

class TffReader {
public:
    explicit TffReader(IMPORT_FAULT& fault) : fault_(fault) {}

    IMPORT_FEAT* read(std::string_view text) {
        int badLine = 0;
        const std::vector<std::string_view> lines = splitLines(text, badLine);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            line_ = static_cast<int>(i) + 1;
            if (line_ == badLine) return fail(import_texts::kBadLine);
            if (const int reason = takeLine(lines[i])) return fail(reason);
        }
        if (state_ != TffState::Outside) {
            line_ = featureLine_;
            return fail(import_texts::kOpenFeature);
        }
        return head_;
    }

private:
    IMPORT_FEAT* fail(int reason) {
        fault_.line = badValueLine_ ? badValueLine_ : line_;
        fault_.reason = reason;
        freeImportFeats(head_);
        head_ = tail_ = nullptr;
        return nullptr;
    }

    // The "ErrorMessages" line of what is wrong with the line; 0 when nothing is.
    int takeLine(std::string_view line) {
        if (startsWithNoCase(line, "FEAT_DEF")) {
            state_ = TffState::Feature;
            featureLine_ = line_;
            return 0;
        }
        const std::string_view key = keyText(line);
        switch (state_) {
        case TffState::Outside: return 0;
        case TffState::Feature:
            if (startsWithNoCase(line, "END")) closeFeature();
            else if (key.starts_with("FEAT_SEG")) state_ = TffState::Segment;
            else if (key.starts_with("FEAT_POS")) state_ = TffState::Position;
            else if (key.starts_with("KIND")) feat_.kind = wordIndex(tffTokenValue(key, "KIND"), kKinds);
            return 0;
        case TffState::Segment: return segmentLine(key);
        case TffState::Position: return positionLine(key) ? 0 : import_texts::kBadNumber;
        }
        return 0;
    }

    int segmentLine(std::string_view key) {
        auto number = [&](const char* name, double& into, int& at) {
            const std::optional<double> v = toDouble(firstWord(tffTokenValue(key, name)));
            if (v) into = *v, at = line_;
            return v ? 0 : import_texts::kBadNumber;
        };
        if (key.starts_with("END")) {
            state_ = TffState::Feature;
            return closeSegment();
        }
        if (key.starts_with("TYPE")) {
            values_.type = static_cast<std::uint32_t>(wordIndex(tffTokenValue(key, "TYPE"), kSegmentTypes));
            return 0;
        }
        if (key.starts_with("OFFSET")) return number("OFFSET", values_.offset, values_.offsetLine);
        if (key.starts_with("DEPTH")) return number("DEPTH", values_.depth, values_.depthLine);
        if (key.starts_with("DIAM1")) return number("DIAM1", values_.diameter, values_.diameterLine);
        if (key.starts_with("PITCH")) return number("PITCH", values_.pitch, values_.pitchLine);
        if (key.starts_with("TOL")) {
            const std::optional<long> v = toLong(firstWord(tffTokenValue(key, "TOL")));
            if (v) values_.tolClass = *v;
            return v ? 0 : import_texts::kBadNumber;
        }
        return 0;
    }

    bool positionLine(std::string_view key) {
        if (key.starts_with("END")) {
            state_ = TffState::Feature;
            return true;
        }
        if (!key.starts_with("POS_DIR")) return true;
        const std::vector<double> v = leadingDoubles(tffTokenValue(key, "POS_DIR"), 6);
        if (v.size() < 6) return false;
        if (feat_.positionCount >= kMaxImportPositions) {   // the record has room for ten
            cut_ = true;
            return true;
        }
        IMPORT_FEAT_POS& pos = feat_.positions[feat_.positionCount++];
        for (int k = 0; k < 3; ++k) {
            pos.point[k] = v[static_cast<std::size_t>(k)];
            pos.direction[k] = v[static_cast<std::size_t>(k) + 3];
        }
        pos.line = line_;
        return true;
    }

    // A value the file gives a fit or tap segment must make a hole: one that cannot is refused at its own
    // line. The "ErrorMessages" line of why; 0 when they do. (A value never given stays 0; the marks made
    // of the list refuse a diameter of 0 at the segment's end.)
    int segmentFault() {
        if (values_.type != IMPORT_SEG_FIT && values_.type != IMPORT_SEG_TAP) return 0;
        auto bad = [&](int given, bool usable) { return given != 0 && !usable; };
        int reason = 0, at = 0;
        if (bad(values_.diameterLine, usableDiameter(values_.diameter)))
            reason = import_texts::kBadDiameter, at = values_.diameterLine;
        else if (bad(values_.depthLine, usableDepth(values_.depth)))
            reason = import_texts::kBadDepth, at = values_.depthLine;
        else if (bad(values_.offsetLine, std::fabs(values_.offset) <= kFarthest))
            reason = import_texts::kOutOfReach, at = values_.offsetLine;
        else if (values_.type == IMPORT_SEG_TAP && bad(values_.pitchLine, usableDepth(values_.pitch)))
            reason = import_texts::kBadDepth, at = values_.pitchLine;
        if (reason) badValueLine_ = at;
        return reason;
    }

    int closeSegment() {
        if (const int reason = segmentFault()) return reason;
        if (feat_.segmentCount >= kMaxImportSegments) {   // the record has room for ten
            cut_ = true;
            return 0;
        }
        IMPORT_FEAT_SEG& seg = feat_.segments[feat_.segmentCount];
        seg = IMPORT_FEAT_SEG{};
        seg.line = line_;
        seg.type = values_.type;
        seg.offset = values_.offset;
        seg.depth = values_.depth;
        seg.diameter = values_.diameter;
        switch (seg.type) {
        case IMPORT_SEG_HOLE:
            values_.lastHoleDiameter = seg.diameter;
            if (feat_.segmentCount > 0 && feat_.segments[feat_.segmentCount - 1].type == IMPORT_SEG_FIT)
                feat_.segments[feat_.segmentCount - 1].diameter2 = seg.diameter;
            break;
        case IMPORT_SEG_FIT:
            seg.tolClass = static_cast<std::int32_t>(values_.tolClass);
            seg.diameter2 = values_.lastHoleDiameter;
            break;
        case IMPORT_SEG_TAP: seg.pitch = values_.pitch; break;
        default: break;
        }
        ++feat_.segmentCount;
        return 0;
    }

    void closeFeature() {
        if (cut_ && fault_.cutFeatures++ == 0) fault_.firstCutLine = featureLine_;
        cut_ = false;
        if (IMPORT_FEAT* copy = newImportFeat(feat_, tail_)) {
            if (!head_) head_ = copy;
            tail_ = copy;
        }
        feat_ = IMPORT_FEAT{};
        state_ = TffState::Outside;
    }

    IMPORT_FAULT& fault_;
    TffState state_ = TffState::Outside;
    IMPORT_FEAT feat_{};
    SEGMENT_VALUES values_;
    IMPORT_FEAT* head_ = nullptr;
    IMPORT_FEAT* tail_ = nullptr;
    int line_ = 0;
    int featureLine_ = 0;
    int badValueLine_ = 0;   // the line of a value refused where its segment ends
    bool cut_ = false;       // the feature has more positions or segments than its record holds
};

}  // namespace

IMPORT_FEAT* readTffText(std::string_view text, IMPORT_FAULT& fault) {
    fault = IMPORT_FAULT{};
    return TffReader(fault).read(text);
}

IMPORT_FEAT* readTffFile(std::FILE* file, IMPORT_FAULT& fault) { return readTffText(readAll(file), fault); }
