// The STEP hole-feature reader: a mark (origin 2) for every tapped hole and every hole whose diameter
// carries both tolerance limits. Only single data-section lines are looked at; a feature written over
// several lines is not one. The mark points into the hole: its direction is the file's axis negated.
#include "plugin/import/step_features.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/sys/files.h"
#include "platform/sys/text_lines.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/text_fill.h"
#include "plugin/import/feature_readers.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"
#include "plugin/services/features.h"

namespace {

using import_text::trimmed;

constexpr int kMsgSkipped = 243;
// Files of this size and more are read under the progress box, with its Cancel ("ProgressBoxDlg" 15).
constexpr std::size_t kProgressFromBytes = std::size_t{1} << 20;
constexpr std::int16_t kProgressReading = 15;

enum class HoleEntity { PocketThread, HoleThread, Pocket, Hole };

std::optional<HoleEntity> holeEntity(std::string_view name) {
    if (name == "POCKET_ROUND_STRAIGHT_THREAD") return HoleEntity::PocketThread;
    if (name == "HOLE_ROUND_STRAIGHT_THREAD") return HoleEntity::HoleThread;
    if (name == "POCKET_ROUND_STRAIGHT") return HoleEntity::Pocket;
    if (name == "HOLE_ROUND_STRAIGHT") return HoleEntity::Hole;
    return std::nullopt;
}

std::vector<std::string_view> splitAtCommas(std::string_view s) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t comma = s.find(',');
        parts.push_back(trimmed(s.substr(0, comma)));
        if (comma == std::string_view::npos) return parts;
        s.remove_prefix(comma + 1);
    }
}

bool number(std::string_view word, double& value) {
    word = trimmed(word);
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// The text between a line's first "(" and the first ")" after it; nullopt when it has none.
std::optional<std::string_view> argumentText(std::string_view line) {
    const std::size_t open = line.find('(');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = line.find(')', open);
    if (close == std::string_view::npos) return std::nullopt;
    return line.substr(open + 1, close - open - 1);
}

// The innermost list of that text: "'',(1.,2.,3." of a point written with its name gives "1.,2.,3.".
std::string_view innermost(std::string_view arguments) {
    const std::size_t open = arguments.rfind('(');
    return open == std::string_view::npos ? arguments : arguments.substr(open + 1);
}

// The lines of the text and its instances by name. Names written "#" and a plain number (the usual case) are
// kept in a table by number when the numbers are dense, else in a sorted list; others ("#012", "#a") in a
// hash map by their text. Either way the last line of a name wins.
class StepText {
public:
    static constexpr std::size_t kNone = std::string_view::npos;

    explicit StepText(std::string_view text) {
        for (const plat::TextLine& line : plat::splitLines(text)) lines.push_back(line.text);
        std::vector<std::pair<std::uint64_t, std::size_t>> numbered;
        std::uint64_t highest = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = lines[i];
            if (line.empty() || line[0] != '#') continue;
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) continue;
            const std::string_view name = trimmed(line.substr(0, eq));
            if (const std::optional<std::uint64_t> n = numberOf(name)) {
                numbered.emplace_back(*n, i);
                highest = std::max(highest, *n);
            } else {
                named_[name] = i;
            }
        }
        if (highest < 4 * numbered.size() + 1024) {
            dense_.assign(static_cast<std::size_t>(highest) + 1, kNone);
            for (const auto& [n, i] : numbered) dense_[static_cast<std::size_t>(n)] = i;
        } else {
            std::stable_sort(numbered.begin(), numbered.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            sparse_ = std::move(numbered);
        }
    }
    // The line index of the instance an argument refers to; kNone for no reference or an unknown one.
    std::size_t resolve(std::string_view argument) const {
        argument = trimmed(argument);
        if (argument.empty() || argument[0] != '#') return kNone;
        if (const std::optional<std::uint64_t> n = numberOf(argument)) {
            if (!dense_.empty() || sparse_.empty()) return *n < dense_.size() ? dense_[static_cast<std::size_t>(*n)] : kNone;
            auto after = std::upper_bound(sparse_.begin(), sparse_.end(), *n,
                                          [](std::uint64_t v, const auto& e) { return v < e.first; });
            return after == sparse_.begin() || (after - 1)->first != *n ? kNone : (after - 1)->second;
        }
        const auto found = named_.find(argument);
        return found == named_.end() ? kNone : found->second;
    }

    std::vector<std::string_view> lines;

private:
    // The number of a name "#<digits>" without a leading zero; nullopt for any other name.
    static std::optional<std::uint64_t> numberOf(std::string_view name) {
        if (name.size() < 2 || name.size() > 19 || (name[1] == '0' && name.size() > 2)) return std::nullopt;
        std::uint64_t n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return n;
    }

    std::vector<std::size_t> dense_;                                  // line by number, kNone for none
    std::vector<std::pair<std::uint64_t, std::size_t>> sparse_;        // by number, then line
    std::unordered_map<std::string_view, std::size_t> named_;
};

struct FEATURE_PARAMETERS {
    double diameter = 0, pitch = 0, threadLength = 0, depth = 0;
    bool upper = false, lower = false;
};

class FeatureReader {
public:
    FeatureReader(const StepText& text, STEP_HOLE_FEATURES& out) : text_(text), out_(out) {}

    // False when the file is damaged (out_ tells where); a feature that cannot be resolved is skipped.
    bool read(std::size_t lineIndex, std::string_view line, HoleEntity entity) {
        // A feature whose arguments go on over further lines is not one (its line has no closing parenthesis).
        const std::size_t open = line.find('('), close = line.rfind(')');
        if (close == std::string_view::npos || close < open) return true;
        const std::vector<std::string_view> args = splitAtCommas(line.substr(open + 1, close - open - 1));
        double point[3], axis[3];
        FEATURE_PARAMETERS p;
        const std::size_t pointAt = args.size() > 1 ? text_.resolve(args[1]) : StepText::kNone;
        const std::size_t axisAt = args.size() > 2 ? text_.resolve(args[2]) : StepText::kNone;
        const std::size_t listAt = args.size() > 4 ? text_.resolve(args[4]) : StepText::kNone;
        if (pointAt == StepText::kNone || axisAt == StepText::kNone || listAt == StepText::kNone) return skip(lineIndex);
        if (!triple(pointAt, point) || !triple(axisAt, axis)) return false;
        const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        if (!(n > 1e-12)) return skip(lineIndex);
        const PARAMETER_LIST* list = parameterList(listAt);
        if (!list) return false;
        if (!list->resolved) return skip(lineIndex);
        p = list->values;
        const bool tapped = entity == HoleEntity::PocketThread || entity == HoleEntity::HoleThread;
        if (!tapped && !(p.upper && p.lower)) return true;
        FEATURE_MARK m{};
        m.origin = 2;
        for (int k = 0; k < 3; ++k) {
            m.point[k] = point[k];
            m.direction[k] = -axis[k] / n;
        }
        m.diameter = p.diameter;
        if (tapped) {
            m.length = p.threadLength;
            m.isTap = 1;
            m.threadKind = entity == HoleEntity::PocketThread ? -1 : 0;
            m.tapDiam = p.diameter;
            m.tapPitch = p.pitch;
            m.threadDepth = p.depth;
        } else {
            m.length = p.depth;
            m.isFit = 1;
        }
        if (const int reason = import_text::unusableMark(m)) return damaged(lineIndex, reason);
        out_.marks.push_back(m);
        return true;
    }

    bool damaged(std::size_t lineIndex, int what) {
        out_.damagedLine = static_cast<int>(lineIndex) + 1;
        out_.damage = what;
        return false;
    }

private:
    // A parameter list read once, however many features share it.
    struct PARAMETER_LIST {
        FEATURE_PARAMETERS values;
        bool resolved = true;   // every reference of it found
    };

    // The list at that line; null when it is damaged (out_ tells where).
    const PARAMETER_LIST* parameterList(std::size_t listAt) {
        if (const auto found = lists_.find(listAt); found != lists_.end()) return &found->second;
        const std::optional<std::string_view> text = argumentText(text_.lines[listAt]);
        if (!text) {
            damaged(listAt, import_texts::kNotClosed);
            return nullptr;
        }
        PARAMETER_LIST list;
        for (std::string_view ref : splitAtCommas(innermost(*text))) {
            if (ref.empty()) continue;
            const std::size_t at = text_.resolve(ref);
            if (at == StepText::kNone) {
                list.resolved = false;
                break;
            }
            if (!parameter(at, list.values)) return nullptr;
        }
        return &lists_.emplace(listAt, list).first->second;
    }

    bool skip(std::size_t lineIndex) {
        if (out_.skipped++ == 0) out_.firstSkippedLine = static_cast<int>(lineIndex) + 1;
        return true;
    }
    bool triple(std::size_t at, double (&v)[3]) {
        const std::optional<std::string_view> args = argumentText(text_.lines[at]);
        if (!args) return damaged(at, import_texts::kNotClosed);
        const std::vector<std::string_view> parts = splitAtCommas(innermost(*args));
        if (parts.size() != 3) return damaged(at, import_texts::kNotThreeNumbers);
        for (int k = 0; k < 3; ++k)
            if (!number(parts[k], v[k])) return damaged(at, import_texts::kNotThreeNumbers);
        return true;
    }
    // A parameter: a quoted name, a comma and a number (which may be quoted too).
    bool parameter(std::size_t at, FEATURE_PARAMETERS& p) {
        const std::optional<std::string_view> args = argumentText(text_.lines[at]);
        if (!args) return damaged(at, import_texts::kNotClosed);
        const std::size_t comma = args->find(',');
        std::string_view name = trimmed(args->substr(0, comma));
        if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') name = name.substr(1, name.size() - 2);
        double* target = name == "DIAMETER"         ? &p.diameter
                         : name == "PITCH"          ? &p.pitch
                         : name == "THREAD_LENGTH"  ? &p.threadLength
                         : name == "DEPTH"          ? &p.depth
                         : nullptr;
        const bool limit = name == "DIAMETER_UPPER" || name == "DIAMETER_LOWER";
        if (!target && !limit) return true;
        if (comma == std::string_view::npos) return damaged(at, import_texts::kBadNumber);
        std::string_view value = trimmed(args->substr(comma + 1));
        if (!value.empty() && value.front() == '\'') value.remove_prefix(1);
        if (!value.empty() && value.back() == '\'') value.remove_suffix(1);
        double v = 0;
        if (!number(value, v)) return damaged(at, import_texts::kBadNumber);
        if (target) *target = v;
        else (name == "DIAMETER_UPPER" ? p.upper : p.lower) = true;
        return true;
    }

    const StepText& text_;
    STEP_HOLE_FEATURES& out_;
    std::unordered_map<std::size_t, PARAMETER_LIST> lists_;   // by the line of the list
};

}  // namespace

STEP_HOLE_FEATURES readStepHoleFeatures(std::string_view text,
                                        const std::function<bool()>& goOn) {
    STEP_HOLE_FEATURES out;
    const StepText step(text);
    FeatureReader reader(step, out);
    std::size_t first = 0;
    while (first < step.lines.size() && step.lines[first].substr(0, 5) != "DATA;") ++first;
    if (first == step.lines.size()) {
        reader.damaged(step.lines.empty() ? 0 : step.lines.size() - 1, import_texts::kNoData);
        return out;
    }
    const std::size_t every = std::max<std::size_t>(1, step.lines.size() / 100);
    for (std::size_t i = first + 1; i < step.lines.size(); ++i) {
        if (goOn && i % every == 0 && !goOn()) {
            out.cancelled = true;
            break;
        }
        const std::string_view line = step.lines[i];
        if (line.find('\0') != std::string_view::npos) {
            reader.damaged(i, import_texts::kBadLine);
            break;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::size_t open = line.find('(', eq);
        if (open == std::string_view::npos) continue;
        const std::optional<HoleEntity> entity = holeEntity(trimmed(line.substr(eq + 1, open - eq - 1)));
        if (entity && !reader.read(i, line, *entity)) break;
    }
    if (out.damagedLine || out.cancelled) out.marks.clear();
    return out;
}

int readStepFile(const std::string& path) {
    const std::optional<std::string> bytes = import_text::readImportFile(path);
    if (!bytes) return 2;
    STEP_HOLE_FEATURES features;
    {
        // The box is up before the reading of a large file starts, so that it can be cancelled at once.
        CProgressBox progress;
        std::function<bool()> goOn;
        if (bytes->size() >= kProgressFromBytes) {
            progress.open("", "");
            if (progress.stepMessage(kProgressReading) != 0) return kImportCancelled;
            goOn = [&] { return progress.step() == 0; };
        }
        features = readStepHoleFeatures(*bytes, goOn);
    }
    if (features.cancelled) return kImportCancelled;
    if (features.damagedLine) {
        import_text::refuseDamagedFile(path, {features.damagedLine, features.damage});
        return 2;
    }
    if (const int added = addImportedMarks(features.marks, path); added != 0) return added;
    if (features.skipped > 0)
        plat::messageBox(nullptr,
                         fillText(errorMessage(kMsgSkipped),
                                  {long{features.skipped}, path, long{features.firstSkippedLine}}),
                         errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
    return 0;
}
