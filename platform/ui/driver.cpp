// Steps, scripts, the session parser, the transcript and the one UiDriver of the process.
// The parser normalises what it reads: answer codes, key names and "menu none" become decimal numbers, and
// a text argument (type, file, folder) stays one argument, so consumers read steps from code and from files
// the same way. Window steps are delivered elsewhere (window_steps.cpp).
#include "platform/ui/driver.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/sys/text_lines.h"
#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"

namespace plat {

// ---- Step ----------------------------------------------------------------------------------------------

std::string Step::describe() const {
    std::string out;
    if (line > 0) out = "line " + std::to_string(line) + ": ";
    if (optional) out += "? ";
    out += verb;
    for (const std::string& a : args) {
        out += ' ';
        // An empty or blank-holding text is shown quoted, the way a session file writes it.
        if (a.empty() || a.find_first_of(" \t#\"") != std::string::npos) {
            out += '"';
            for (char c : a) {
                if (c == '"' || c == '\\') out += '\\';
                out += c;
            }
            out += '"';
        } else {
            out += a;
        }
    }
    return out;
}

namespace {

std::optional<long long> parseWhole(std::string_view s) {
    long long v = 0;
    const char* end = s.data() + s.size();
    if (!s.empty() && s.front() == '+') return std::nullopt;
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || s.empty()) return std::nullopt;
    return v;
}

std::optional<double> parseReal(std::string_view s) {
    double v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || s.empty() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

int Step::intArg(std::size_t i) const {
    if (i >= args.size()) return 0;
    auto v = parseWhole(args[i]);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return 0;
    return static_cast<int>(*v);
}

double Step::doubleArg(std::size_t i) const {
    if (i >= args.size()) return 0.0;
    return parseReal(args[i]).value_or(0.0);
}

std::string Step::restFrom(std::size_t i) const {
    std::string out;
    for (std::size_t k = i; k < args.size(); ++k) {
        if (k > i) out += ' ';
        out += args[k];
    }
    return out;
}

// ---- Script --------------------------------------------------------------------------------------------

namespace {

Step makeStep(std::string verb, std::vector<std::string> args = {}) {
    Step s;
    s.verb = std::move(verb);
    s.args = std::move(args);
    return s;
}

std::string num(int v) { return std::to_string(v); }

std::string real(double v) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, p) : std::string("0");
}

}  // namespace

Script& Script::add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

Script& Script::invoke() { return add(makeStep("invoke")); }
Script& Script::click(int window, int control) { return add(makeStep("click", {num(window), num(control)})); }
Script& Script::type(int window, int control, std::string text) {
    return add(makeStep("type", {num(window), num(control), std::move(text)}));
}
Script& Script::check(int window, int control, int state) {
    return add(makeStep("check", {num(window), num(control), num(state)}));
}
Script& Script::select(int window, int control, int index, std::string held) {
    std::vector<std::string> args{num(window), num(control), num(index)};
    if (!held.empty()) args.push_back(std::move(held));
    return add(makeStep("select", std::move(args)));
}
Script& Script::key(int window, int vk) { return add(makeStep("key", {num(window), num(vk)})); }
Script& Script::close(int window) { return add(makeStep("close", {num(window)})); }
Script& Script::hover(int window, int control) { return add(makeStep("hover", {num(window), num(control)})); }
Script& Script::clickAt(int window, int x, int y) { return add(makeStep("click-at", {num(window), num(x), num(y)})); }
Script& Script::wait(int ms) { return add(makeStep("wait", {num(ms)})); }
Script& Script::focusOut(int window, bool escDown) {
    std::vector<std::string> args{num(window)};
    if (escDown) args.emplace_back("esc");
    return add(makeStep("focus-out", std::move(args)));
}
Script& Script::answer(int code) { return add(makeStep("answer", {num(code)})); }
Script& Script::menu(int id) { return add(makeStep("menu", {num(id)})); }
Script& Script::file(std::string path) { return add(makeStep("file", {path.empty() ? "cancel" : std::move(path)})); }
Script& Script::libraryPick(std::string entry) {
    return add(makeStep("library-pick", {entry.empty() ? "cancel" : std::move(entry)}));
}
Script& Script::colourPick(int colour) {
    return add(makeStep("colour-pick", {colour < 0 ? "cancel" : num(colour)}));
}
Script& Script::folder(std::string path) {
    return add(makeStep("folder", {path.empty() ? "cancel" : std::move(path)}));
}
Script& Script::point(double x, double y, double z) { return add(makeStep("point", {real(x), real(y), real(z)})); }
Script& Script::pointEntry(char kind, double x, double y, double z) {
    return add(makeStep("point-entry", {std::string(1, kind), real(x), real(y), real(z)}));
}
Script& Script::entity(int id) { return add(makeStep("entity", {std::to_string(id)})); }
Script& Script::esc() { return add(makeStep("esc")); }
Script& Script::enter() { return add(makeStep("enter")); }
Script& Script::endPick() { return add(makeStep("end-pick")); }
Script& Script::cancelWait() { return add(makeStep("cancel-wait")); }
Script& Script::notify(int code) { return add(makeStep("notify", {num(code)})); }
Script& Script::listClick(int window, int control, int row, int col, bool ctrl) {
    std::vector<std::string> args{num(window), num(control), num(row), num(col)};
    if (ctrl) args.emplace_back("ctrl");
    return add(makeStep("list-click", std::move(args)));
}
Script& Script::listDblClick(int window, int control, int row, int col) {
    return add(makeStep("list-dblclick", {num(window), num(control), num(row), num(col)}));
}
Script& Script::listRClick(int window, int control, int row, int col) {
    return add(makeStep("list-rclick", {num(window), num(control), num(row), num(col)}));
}
Script& Script::listKey(int window, int control, int vk) {
    return add(makeStep("list-key", {num(window), num(control), num(vk)}));
}
Script& Script::columnClick(int window, int control, int col) {
    return add(makeStep("column-click", {num(window), num(control), num(col)}));
}
Script& Script::treeClick(int window, int control, std::string path, bool onIcon) {
    return add(makeStep("tree-click", {num(window), num(control), std::move(path), onIcon ? "icon" : "label"}));
}
Script& Script::treeRClick(int window, int control, std::string path, bool onIcon) {
    return add(makeStep("tree-rclick", {num(window), num(control), std::move(path), onIcon ? "icon" : "label"}));
}
Script& Script::treeExpand(int window, int control, std::string path) {
    return add(makeStep("tree-expand", {num(window), num(control), std::move(path)}));
}
Script& Script::treeCollapse(int window, int control, std::string path) {
    return add(makeStep("tree-collapse", {num(window), num(control), std::move(path)}));
}
Script& Script::treeEdit(int window, int control, std::string path, std::string text) {
    return add(makeStep("tree-edit", {num(window), num(control), std::move(path), std::move(text)}));
}

std::optional<Step> Script::take() {
    if (steps_.empty()) return std::nullopt;
    Step s = std::move(steps_.front());
    steps_.pop_front();
    if (onTake_) onTake_(s);
    return s;
}

// ---- parseSession --------------------------------------------------------------------------------------

namespace {

// What one argument of a verb is; the parser checks and normalises it. An Item is one word or a quoted
// text, so that more arguments may follow it. Optional arguments come last; a missing OptCol reads as
// column 0 and a missing Part as "label", so that a step reads the same from code and from a file.
enum class Arg { Whole, Real, Answer, Vk, MenuId, Bit, Text, PathOrCancel, EscFlag, Row, Col, OptCol, Item, Part, Letter,
                 WholeOrCancel, CtrlFlag, HeldKey };

struct VerbSyntax {
    std::string_view verb;
    std::vector<Arg> args;
    std::string_view usage;
};

const std::vector<VerbSyntax>& verbSyntaxes() {
    static const std::vector<VerbSyntax> syntaxes = {
        {"invoke", {}, "invoke"},
        {"click", {Arg::Whole, Arg::Whole}, "click WINDOW CONTROL"},
        {"type", {Arg::Whole, Arg::Whole, Arg::Text}, "type WINDOW CONTROL TEXT"},
        {"check", {Arg::Whole, Arg::Whole, Arg::Bit}, "check WINDOW CONTROL 0|1"},
        {"select", {Arg::Whole, Arg::Whole, Arg::Whole, Arg::HeldKey}, "select WINDOW CONTROL INDEX [ctrl|shift]"},
        {"key", {Arg::Whole, Arg::Vk}, "key WINDOW KEY"},
        {"close", {Arg::Whole}, "close WINDOW"},
        {"hover", {Arg::Whole, Arg::Whole}, "hover WINDOW CONTROL"},
        {"click-at", {Arg::Whole, Arg::Whole, Arg::Whole}, "click-at WINDOW X Y"},
        {"wait", {Arg::Whole}, "wait MILLISECONDS"},
        {"focus-out", {Arg::Whole, Arg::EscFlag}, "focus-out WINDOW [esc]"},
        {"answer", {Arg::Answer}, "answer CODE"},
        {"menu", {Arg::MenuId}, "menu ID|none"},
        {"file", {Arg::PathOrCancel}, "file PATH|cancel"},
        {"folder", {Arg::PathOrCancel}, "folder PATH|cancel"},
        {"point", {Arg::Real, Arg::Real, Arg::Real}, "point X Y Z"},
        {"point-entry", {Arg::Letter, Arg::Real, Arg::Real, Arg::Real}, "point-entry KIND X Y Z"},
        {"entity", {Arg::Whole}, "entity ID"},
        {"esc", {}, "esc"},
        {"enter", {}, "enter"},
        {"end-pick", {}, "end-pick"},
        {"cancel-wait", {}, "cancel-wait"},
        {"library-pick", {Arg::PathOrCancel}, "library-pick SLOT|NAME|cancel"},
        {"colour-pick", {Arg::WholeOrCancel}, "colour-pick COLOUR|cancel"},
        {"notify", {Arg::Whole}, "notify CODE"},
        {"open", {Arg::Text}, "open FILE"},
        {"save", {Arg::Text}, "save FILE"},
        {"list-click", {Arg::Whole, Arg::Whole, Arg::Row, Arg::OptCol, Arg::CtrlFlag},
         "list-click WINDOW CONTROL ROW [COL [ctrl]]"},
        {"list-dblclick", {Arg::Whole, Arg::Whole, Arg::Row, Arg::OptCol}, "list-dblclick WINDOW CONTROL ROW [COL]"},
        {"list-rclick", {Arg::Whole, Arg::Whole, Arg::Row, Arg::OptCol}, "list-rclick WINDOW CONTROL ROW [COL]"},
        {"list-key", {Arg::Whole, Arg::Whole, Arg::Vk}, "list-key WINDOW CONTROL KEY"},
        {"column-click", {Arg::Whole, Arg::Whole, Arg::Col}, "column-click WINDOW CONTROL COL"},
        {"tree-click", {Arg::Whole, Arg::Whole, Arg::Item, Arg::Part}, "tree-click WINDOW CONTROL PATH [icon|label]"},
        {"tree-rclick", {Arg::Whole, Arg::Whole, Arg::Item, Arg::Part}, "tree-rclick WINDOW CONTROL PATH [icon|label]"},
        {"tree-expand", {Arg::Whole, Arg::Whole, Arg::Item}, "tree-expand WINDOW CONTROL PATH"},
        {"tree-collapse", {Arg::Whole, Arg::Whole, Arg::Item}, "tree-collapse WINDOW CONTROL PATH"},
        {"tree-edit", {Arg::Whole, Arg::Whole, Arg::Item, Arg::Text}, "tree-edit WINDOW CONTROL PATH TEXT"},
    };
    return syntaxes;
}

const std::vector<std::pair<std::string_view, int>>& answerNames() {
    static const std::vector<std::pair<std::string_view, int>> names = {
        {"IDOK", IDOK},       {"IDCANCEL", IDCANCEL}, {"IDABORT", IDABORT}, {"IDRETRY", IDRETRY},
        {"IDIGNORE", IDIGNORE}, {"IDYES", IDYES},     {"IDNO", IDNO},
    };
    return names;
}

std::optional<int> byName(const std::vector<std::pair<std::string_view, int>>& names, std::string_view s) {
    for (const auto& [name, code] : names)
        if (name == s) return code;
    return std::nullopt;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a quoted text with \" and \\ escapes from its opening quote on; then skips the blanks after it.
bool readQuoted(std::string_view& rest, std::string& out, std::string& error) {
    rest.remove_prefix(1);
    while (true) {
        if (rest.empty()) {
            error = "unterminated quoted text";
            return false;
        }
        char c = rest.front();
        rest.remove_prefix(1);
        if (c == '"') break;
        if (c == '\\' && !rest.empty() && (rest.front() == '"' || rest.front() == '\\')) {
            c = rest.front();
            rest.remove_prefix(1);
        }
        out += c;
    }
    if (!rest.empty() && !isBlank(rest.front()) && rest.front() != '#') {
        error = "unexpected text after the quoted text";
        return false;
    }
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    return true;
}

// Reads a text argument: the rest of the line, or a quoted text with \" and \\ escapes (which may hold
// '#', blanks at either end, or nothing). Unquoted, '#' ends the text like any other comment.
bool readText(std::string_view& rest, std::string& out, std::string& error) {
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    out.clear();
    if (!rest.empty() && rest.front() == '"') {
        if (!readQuoted(rest, out, error)) return false;
        if (!rest.empty() && rest.front() != '#') {
            error = "unexpected text after the quoted text";
            return false;
        }
        return true;
    }
    std::size_t hash = rest.find('#');
    std::string_view text = rest.substr(0, hash);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    out.assign(text);
    rest = {};
    if (out.empty()) {
        error = "missing text";
        return false;
    }
    return true;
}

// Splits off the next blank-separated word; '#' ends the line.
std::optional<std::string_view> nextWord(std::string_view& rest) {
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty() || rest.front() == '#') {
        rest = {};
        return std::nullopt;
    }
    std::size_t n = 0;
    while (n < rest.size() && !isBlank(rest[n]) && rest[n] != '#') ++n;
    std::string_view w = rest.substr(0, n);
    rest.remove_prefix(n);
    return w;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Parses one non-comment line into a step; an error names what is wrong.
bool parseLine(std::string_view rest, Step& step, std::string& error) {
    std::optional<std::string_view> verb = nextWord(rest);
    if (!verb) return false;  // blank or comment only: the caller skips it
    if (*verb == "?") {
        step.optional = true;
        verb = nextWord(rest);
        if (!verb) {
            error = "\"?\" without a step";
            return false;
        }
    }
    const VerbSyntax* syn = nullptr;
    for (const VerbSyntax& s : verbSyntaxes())
        if (s.verb == *verb) syn = &s;
    if (!syn) {
        error = "unknown verb " + quoted(*verb);
        return false;
    }
    step.verb = std::string(*verb);
    auto wrongCount = [&] { error = std::string(syn->verb) + ": wrong number of arguments (usage: " + std::string(syn->usage) + ")"; };
    for (Arg kind : syn->args) {
        if (kind == Arg::Text || kind == Arg::PathOrCancel) {
            std::string text;
            std::string textError;
            if (!readText(rest, text, textError)) {
                error = std::string(syn->verb) + ": " + textError + " (usage: " + std::string(syn->usage) + ")";
                return false;
            }
            step.args.push_back(std::move(text));
            continue;
        }
        if (kind == Arg::Item) {
            while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
            std::string item;
            if (!rest.empty() && rest.front() == '"') {
                std::string itemError;
                if (!readQuoted(rest, item, itemError)) {
                    error = std::string(syn->verb) + ": " + itemError + " (usage: " + std::string(syn->usage) + ")";
                    return false;
                }
            } else if (std::optional<std::string_view> word = nextWord(rest)) {
                item.assign(*word);
            } else {
                wrongCount();
                return false;
            }
            step.args.push_back(std::move(item));
            continue;
        }
        std::optional<std::string_view> word = nextWord(rest);
        if (!word) {
            if (kind == Arg::EscFlag || kind == Arg::CtrlFlag || kind == Arg::HeldKey) continue;
            if (kind == Arg::OptCol || kind == Arg::Part) {
                step.args.emplace_back(kind == Arg::OptCol ? "0" : "label");
                continue;
            }
            wrongCount();
            return false;
        }
        switch (kind) {
        case Arg::Whole:
        case Arg::Bit: {
            auto v = parseWhole(*word);
            if (!v || *v < INT32_MIN || *v > INT32_MAX) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not a whole number";
                return false;
            }
            if (kind == Arg::Bit && *v != 0 && *v != 1) {
                error = std::string(syn->verb) + ": the state must be 0 or 1, not " + quoted(*word);
                return false;
            }
            step.args.push_back(std::to_string(*v));
            break;
        }
        case Arg::Real: {
            if (!parseReal(*word)) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not a number";
                return false;
            }
            step.args.emplace_back(*word);
            break;
        }
        case Arg::Answer: {
            std::optional<int> code = byName(answerNames(), *word);
            if (!code) {
                auto v = parseWhole(*word);
                if (v && *v >= 0 && *v <= INT32_MAX) code = static_cast<int>(*v);
            }
            if (!code) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not an answer code";
                return false;
            }
            step.args.push_back(std::to_string(*code));
            break;
        }
        case Arg::Vk: {
            int vk = vkFromName(*word);
            if (vk < 0) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not a key";
                return false;
            }
            step.args.push_back(std::to_string(vk));
            break;
        }
        case Arg::MenuId: {
            if (*word == "none") {
                step.args.emplace_back("0");
                break;
            }
            auto v = parseWhole(*word);
            if (!v || *v < 0 || *v > INT32_MAX) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not a menu item id";
                return false;
            }
            step.args.push_back(std::to_string(*v));
            break;
        }
        case Arg::WholeOrCancel: {
            if (*word == "cancel") {
                step.args.emplace_back("cancel");
                break;
            }
            auto v = parseWhole(*word);
            if (!v || *v < 0 || *v > INT32_MAX) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is neither a whole number from 0 nor \"cancel\"";
                return false;
            }
            step.args.push_back(std::to_string(*v));
            break;
        }
        case Arg::CtrlFlag:
            if (*word != "ctrl") {
                error = std::string(syn->verb) + ": expected \"ctrl\", not " + quoted(*word);
                return false;
            }
            step.args.emplace_back("ctrl");
            break;
        case Arg::HeldKey:
            if (*word != "ctrl" && *word != "shift") {
                error = std::string(syn->verb) + ": expected \"ctrl\" or \"shift\", not " + quoted(*word);
                return false;
            }
            step.args.emplace_back(*word);
            break;
        case Arg::EscFlag:
            if (*word != "esc") {
                error = std::string(syn->verb) + ": expected \"esc\", not " + quoted(*word);
                return false;
            }
            step.args.emplace_back("esc");
            break;
        case Arg::Row:
        case Arg::Col:
        case Arg::OptCol: {
            auto v = parseWhole(*word);
            int least = kind == Arg::Row ? -1 : 0;
            if (!v || *v < least || *v > INT32_MAX) {
                error = std::string(syn->verb) + ": " + quoted(*word) + " is not a " +
                        (kind == Arg::Row ? "row (from 0, or -1 for below the rows)" : "column (from 0)");
                return false;
            }
            step.args.push_back(std::to_string(*v));
            break;
        }
        case Arg::Part:
            if (*word != "icon" && *word != "label") {
                error = std::string(syn->verb) + ": expected \"icon\" or \"label\", not " + quoted(*word);
                return false;
            }
            step.args.emplace_back(*word);
            break;
        case Arg::Letter:
            if (word->size() != 1 || *word->data() < 'A' || *word->data() > 'Z') {
                error = std::string(syn->verb) + ": the entry kind must be one capital letter, not " + quoted(*word);
                return false;
            }
            step.args.emplace_back(*word);
            break;
        case Arg::Text:
        case Arg::PathOrCancel:
        case Arg::Item:
            break;  // read above
        }
    }
    if (nextWord(rest)) {
        wrongCount();
        return false;
    }
    return true;
}

}  // namespace

ParsedSession parseSession(std::string_view text) {
    ParsedSession result;
    int lineNo = 0;
    for (const TextLine& textLine : splitLines(text)) {
        const std::string_view line = textLine.text;
        ++lineNo;
        Step step;
        step.line = lineNo;
        std::string error;
        if (parseLine(line, step, error)) {
            result.steps.push_back(std::move(step));
        } else if (!error.empty()) {
            result.steps.clear();
            result.error = "line " + std::to_string(lineNo) + ": " + error;
            return result;
        }
    }
    return result;
}

// ---- Transcript ----------------------------------------------------------------------------------------

void Transcript::add(std::string line) {
    lines_.push_back(std::move(line));
    if (echo_) echo_(lines_.back());
}

bool Transcript::contains(std::string_view fragment) const { return find(fragment) != std::string::npos; }

std::size_t Transcript::find(std::string_view fragment, std::size_t from) const {
    for (std::size_t i = from; i < lines_.size(); ++i)
        if (lines_[i].find(fragment) != std::string::npos) return i;
    return std::string::npos;
}

// ---- UiDriver ------------------------------------------------------------------------------------------

void UiDriver::record(std::string line) {
    std::lock_guard lock(mutex_);
    transcript_.add(std::move(line));
}

namespace {

bool verbIn(const Step& step, std::initializer_list<std::string_view> verbs) {
    for (std::string_view v : verbs)
        if (step.verb == v) return true;
    return false;
}

std::string verbList(std::initializer_list<std::string_view> verbs) {
    std::string out;
    for (std::string_view v : verbs) {
        if (!out.empty()) out += '|';
        out += v;
    }
    return out;
}

}  // namespace

std::optional<Step> UiDriver::expect(std::initializer_list<std::string_view> verbs, std::string_view waiting) {
    std::lock_guard lock(mutex_);
    // After an error every wait takes its cancel answer: acting on the steps of a misread script would
    // only bury the first error under later ones.
    if (aborted()) return std::nullopt;
    const Step* next = script_.peek();
    while (next && next->optional && !verbIn(*next, verbs)) {
        passOver(*next);
        script_.take();
        next = script_.peek();
    }
    if (next && verbIn(*next, verbs)) return script_.take();
    std::string message = std::string(waiting) + " waits for " + verbList(verbs);
    if (!next) message = "the script ended while " + message;
    else message = "unexpected step: " + message;
    scriptError(next, message);
    return std::nullopt;
}

const Step* UiDriver::peekAny(std::initializer_list<std::string_view> verbs) const {
    std::lock_guard lock(mutex_);
    if (aborted()) return nullptr;
    const Step* next = script_.peek();
    return next && verbIn(*next, verbs) ? next : nullptr;
}

void UiDriver::passOver(const Step& step) {
    std::lock_guard lock(mutex_);
    transcript_.add("script passes over " + step.describe());
}

void UiDriver::scriptError(const Step* step, std::string_view message) {
    std::lock_guard lock(mutex_);
    std::string error;
    if (step && step->line > 0) error = "line " + std::to_string(step->line) + ": ";
    error += message;
    if (step) {
        Step shown = *step;
        shown.line = 0;
        error += " (step: " + shown.describe() + ")";
    }
    errors_.push_back(error);
    transcript_.add("script error: " + error);
}

void UiDriver::reset() {
    std::lock_guard lock(mutex_);
    script_.clear();
    transcript_.clear();
    errors_.clear();
}

UiDriver& driver() {
    static UiDriver instance;
    return instance;
}

}  // namespace plat
