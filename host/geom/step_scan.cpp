// The STEP pre-scan as a small state machine over the bytes: strings, binaries and comments are passed over, words
// (entity names, keywords) are checked against the names of non-finite numbers, numbers against the magnitude
// limit (parsed in the "C" locale where their digits do not tell).
#include "host/geom/step_scan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace host {
namespace {

constexpr std::size_t kMaxToken = 320;   // longer numbers or references than any writer makes

// The classes of a byte, as bits of a table: the scan spends most of its time asking them.
enum : unsigned char {
    kDigit = 1,
    kLetter = 2,
    kNumberChar = 4,
    kHexDigit = 8,
    kBlank = 16,
    kOpensToken = 32,       // a reference, word or number
    kOpensNonFinite = 64,   // the first letter of a word naming a number that is not finite
};
constexpr unsigned char kWordChar = kLetter | kDigit;

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    auto mark = [&](char c, unsigned char bits) { classes[static_cast<unsigned char>(c)] |= bits; };
    for (char c = '0'; c <= '9'; ++c) mark(c, kDigit | kNumberChar | kHexDigit);
    for (char c = 'A'; c <= 'Z'; ++c) mark(c, kLetter);
    for (char c = 'a'; c <= 'z'; ++c) mark(c, kLetter);
    mark('_', kLetter);
    for (char c : {'.', 'E', 'e', '+', '-'}) mark(c, kNumberChar);
    for (char c : {'A', 'B', 'C', 'D', 'E', 'F', 'a', 'b', 'c', 'd', 'e', 'f'}) mark(c, kHexDigit);
    for (char c : {' ', '\t', '\r', '\n'}) mark(c, kBlank);
    for (int c = 0; c < 256; ++c)
        if (classes[c] & (kLetter | kDigit)) classes[c] |= kOpensToken;
    for (char c : {'#', '+', '-', '.'}) mark(c, kOpensToken);
    for (char c : {'N', 'n', 'Q', 'q', 'S', 's', 'I', 'i'}) mark(c, kOpensNonFinite);
    return classes;
}();

bool is(char c, unsigned char classes) { return (kClasses[static_cast<unsigned char>(c)] & classes) != 0; }
bool isDigit(char c) { return is(c, kDigit); }
bool isLetter(char c) { return is(c, kLetter); }

// How many bytes from `from` on are of the classes.
std::size_t spanOf(std::string_view bytes, std::size_t from, unsigned char classes) {
    while (from < bytes.size() && is(bytes[from], classes)) ++from;
    return from;
}

// Whether a number's text must be read to tell whether it is within the limits. It need not when it is
// plainly within them (a sign, digits with at most one point, an exponent of a few digits, its leading
// digit's place from 10^-300, far from the smallest normal number, to 10^14) or plainly no number (no
// digit before its exponent): most numbers of a file, told far more cheaply than read.
bool needsReading(std::string_view t) {
    std::size_t i = t.size() > 0 && t[0] == '-' ? 1 : 0;
    int wholeDigits = 0, zerosAfterPoint = 0;   // significant digits before the point; zeros after it that lead
    bool digits = false, significant = false;
    for (; i < t.size() && isDigit(t[i]); ++i) {
        digits = true;
        significant = significant || t[i] != '0';
        wholeDigits += significant;
    }
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && isDigit(t[i]); ++i) {
            digits = true;
            if (!significant && t[i] == '0') ++zerosAfterPoint;
            significant = significant || t[i] != '0';
        }
    if (!digits) return false;
    int exponent = 0;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        const bool negative = ++i < t.size() && t[i] == '-';
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
        const std::size_t first = i;
        for (; i < t.size() && isDigit(t[i]); ++i)
            if (i - first < 4) exponent = exponent * 10 + (t[i] - '0');
        if (i == first || i - first > 4) return true;
        if (negative) exponent = -exponent;
    }
    if (i != t.size()) return true;
    if (!significant) return false;   // zero
    const int place = (wholeDigits > 0 ? wholeDigits - 1 : -(zerosAfterPoint + 1)) + exponent;
    return place < -300 || place > 14;
}

bool namesNonFinite(std::string_view word) {
    if (word.size() > 8 || !is(word[0], kOpensNonFinite)) return false;
    std::string upper;
    for (char c : word) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "NAN" || upper == "QNAN" || upper == "SNAN" || upper == "IND" || upper == "INF" ||
           upper == "INFINITY";
}

}  // namespace

void StepPreScan::fail(std::string why) {
    if (finding_.empty()) finding_ = "line " + std::to_string(line_) + ": " + why;
}

void StepPreScan::endQuoted(bool binary) {
    if (!finding_.empty() || quotedBytes_ <= kStepLongToken) return;
    const char* what = binary ? "a binary" : "a string";
    if (quotedBytes_ > kStepMaxString) {
        finding_ = "line " + std::to_string(opened_) + ": " + what + " of " + std::to_string(quotedBytes_) +
                   " characters, longer than the reader takes (" + std::to_string(kStepMaxString) + ")";
        return;
    }
    if (binary) countLong(what, quotedBytes_, opened_);   // a string reaches the reader cut
}

void StepPreScan::countLong(const char* what, std::size_t length, std::size_t line) {
    if (length <= kStepLongToken || !finding_.empty()) return;
    longTokenCost_ += std::uint64_t{length} * length;
    if (longTokenCost_ > kStepLongTokenBudget)
        finding_ = "line " + std::to_string(line) + ": " + what + " of " + std::to_string(length) +
                   " characters, one too many of that length: the reader would take minutes over them all";
}

void StepPreScan::endComment() {
    if (commentBytes_ > kStepMaxComment && finding_.empty())
        finding_ = "line " + std::to_string(opened_) + ": a comment of " + std::to_string(commentBytes_) +
                   " characters, longer than the reader takes (" + std::to_string(kStepMaxComment) + ")";
}

void StepPreScan::noteDefinitionLines(std::vector<std::uint32_t> entities) {
    std::sort(entities.begin(), entities.end());
    watched_ = std::move(entities);
}

void StepPreScan::endToken() {
    const State was = state_;
    state_ = State::Normal;
    checkToken(was, token_, tokenBytes_);
    token_.clear();
}

void StepPreScan::checkToken(State kind, std::string_view text, std::size_t length) {
    text = text.substr(0, kMaxToken + 1);   // what a token kept in token_ would hold
    auto failShowing = [&](const char* what) { fail(what + std::string(text) + ")"); };
    if (kind == State::Word) {
        if (namesNonFinite(text)) failShowing("a number that is not finite (");
        countLong("a word", length, line_);
    } else if (kind == State::Number) {
        if (text.size() > kMaxToken) return fail("a number of more than 320 characters");
        countLong("a number", length, line_);
        const std::string_view t = text[0] == '+' ? text.substr(1) : text;
        if (!needsReading(t)) return;
        double value = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec == std::errc::result_out_of_range) return failShowing("a number out of range (");
        if (ec != std::errc() || end != t.data() + t.size()) return;   // not a number: the reader judges it
        if (!std::isfinite(value) || std::abs(value) > kStepMaxMagnitude)
            failShowing("an absurd number (");
    } else if (kind == State::Reference) {
        if (text.size() > 10) return failShowing("an entity number past the reader's range (#");
        long long value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        if (value > std::numeric_limits<int>::max())
            return failShowing("an entity number past the reader's range (#");
        if (!text.empty()) pendingReference_ = value;   // "#" and a name is a constant, not an entity
    }
}

void StepPreScan::recordReference(bool defines) {
    if (defines && !watched_.empty() &&
        std::binary_search(watched_.begin(), watched_.end(), static_cast<std::uint32_t>(pendingReference_)))
        noted_.emplace_back(static_cast<std::uint32_t>(pendingReference_), line_);
    (defines ? defined_ : referred_).push_back(static_cast<std::uint32_t>(pendingReference_));
    pendingReference_ = -1;
}

void StepPreScan::passLines(std::string_view bytes) {
    line_ += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

void StepPreScan::take(char c) {
    switch (state_) {
    case State::String:
        ++quotedBytes_;
        if (c == '\'') state_ = State::QuoteInString;
        return;
    case State::QuoteInString:
        if (c == '\'') {   // a doubled quote stands for one
            ++quotedBytes_;
            state_ = State::String;
            return;
        }
        endQuoted(false);
        state_ = State::Normal;
        break;
    case State::Binary:
        ++quotedBytes_;
        // Only hexadecimal digits: a stray quote would otherwise hide the rest of the file from the scan
        // while the reader goes on reading it.
        if (c == '"') {
            endQuoted(true);
            state_ = State::Normal;
        } else if (!is(c, kHexDigit)) {
            fail("a binary with a character that is no hexadecimal digit");
        }
        return;
    case State::Slash:
        state_ = State::Normal;
        if (c == '*') {
            state_ = State::Comment;
            commentBytes_ = 2;
            return;
        }
        break;
    case State::Comment:
        ++commentBytes_;
        if (c == '*') state_ = State::StarInComment;
        return;
    case State::StarInComment:
        ++commentBytes_;
        state_ = c == '/' ? State::Normal : c == '*' ? State::StarInComment : State::Comment;
        if (state_ == State::Normal) endComment();
        return;
    case State::Word:
    case State::Number:
    case State::Reference:
        endToken();   // what goes on with the token went to takeRun
        break;
    case State::Normal:
        break;
    }
    // Normal: the start of the next token, or a mark between tokens. A comment may come between a
    // reference and its "=".
    if (is(c, kBlank)) return;
    if (c == '/') {
        state_ = State::Slash;
        opened_ = line_;
        return;
    }
    const State token = tokenOpenedBy(c);
    if (token == State::Normal && c != '\'' && c != '"') return takeMark(c);
    endReference(false);
    if (c == '\'' || c == '"') {
        state_ = c == '\'' ? State::String : State::Binary;
        opened_ = line_;
        quotedBytes_ = 1;
    } else {
        state_ = token;
        tokenBytes_ = 1;
        token_.clear();   // a token that ended early may have left its text
        if (token != State::Reference) token_ = c;   // a reference's number follows its '#'
    }
}

void StepPreScan::takeMark(char c) {
    endReference(c == '=');
    if (c == '(') {
        if (++depth_ > kStepMaxNesting)
            fail("lists nested deeper than " + std::to_string(kStepMaxNesting) + " levels");
    } else if (c == ')') {
        if (depth_ > 0) --depth_;
    }
}

std::size_t StepPreScan::takeRun(std::string_view bytes) {
    auto passLinesOf = [&](std::size_t n) {
        passLines(bytes.substr(0, n));
        return n;
    };
    auto addToToken = [&](std::size_t n) {
        if (token_.size() <= kMaxToken) token_.append(bytes.substr(0, std::min(n, kMaxToken + 1 - token_.size())));
        return n;
    };
    switch (state_) {
    case State::String: {
        const std::size_t n = passLinesOf(std::min(bytes.find('\''), bytes.size()));
        quotedBytes_ += n;
        return n;
    }
    case State::Comment: {
        const std::size_t n = passLinesOf(std::min(bytes.find('*'), bytes.size()));
        commentBytes_ += n;
        return n;
    }
    case State::Binary: {
        const std::size_t n = spanOf(bytes, 0, kHexDigit);
        quotedBytes_ += n;
        return n;
    }
    case State::Word:
    case State::Number:
    case State::Reference: {
        const std::size_t n = spanOf(bytes, 0, continuing(state_));
        tokenBytes_ += n;
        return addToToken(n);
    }
    default: return 0;
    }
}

StepPreScan::State StepPreScan::tokenOpenedBy(char c) {
    if (!is(c, kOpensToken)) return State::Normal;
    if (c == '#') return State::Reference;
    // A digit, sign or point opens a number. A '.' also opens an enumeration (.T.) and a '-' a keyword's
    // tail (END-ISO-10303-21); what is no number is left to the reader.
    return isLetter(c) ? State::Word : State::Number;
}

unsigned char StepPreScan::continuing(State token) {
    if (token == State::Word) return kWordChar;
    return token == State::Number ? kNumberChar : kDigit;
}

std::size_t StepPreScan::takeWholeToken(std::string_view bytes) {
    const State kind = tokenOpenedBy(bytes.front());
    if (kind == State::Normal) return 0;
    const std::size_t end = spanOf(bytes, 1, continuing(kind));
    if (end == bytes.size()) return 0;   // it may go on in the next bytes
    endReference(false);
    const std::size_t start = kind == State::Reference ? 1 : 0;   // a reference's number follows its '#'
    checkToken(kind, bytes.substr(start, end - start), end);
    return end;
}

std::size_t StepPreScan::takeNormal(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size() && finding_.empty()) {
        const char c = bytes[at];
        if (is(c, kBlank)) {
            line_ += c == '\n';
            ++at;
        } else if (is(c, kOpensToken)) {
            const std::size_t token = takeWholeToken(bytes.substr(at));
            if (token == 0) break;
            at += token;
        } else if (c == '\'') {
            const std::size_t string = takeWholeString(bytes.substr(at));
            if (string == 0) break;
            at += string;
        } else if (c == '"' || c == '/') {
            break;
        } else {
            takeMark(c);
            ++at;
        }
    }
    return at;
}

std::size_t StepPreScan::takeWholeString(std::string_view bytes) {
    std::size_t end = 1;
    for (;;) {
        end = bytes.find('\'', end);
        // A quote at the very end may be the first of a doubled one.
        if (end == std::string_view::npos || end + 1 == bytes.size()) return 0;
        if (bytes[end + 1] != '\'') break;
        end += 2;
    }
    endReference(false);
    const std::size_t lineBefore = line_;
    passLines(bytes.substr(0, end));
    if (end + 1 > kStepLongToken) {
        quotedBytes_ = end + 1;
        opened_ = lineBefore;
        endQuoted(false);
    }
    return end + 1;
}

void StepPreScan::feed(std::string_view bytes) {
    while (!bytes.empty() && finding_.empty()) {
        // Between tokens, the bytes are taken by the quick way while it can.
        if (state_ == State::Normal) {
            bytes.remove_prefix(takeNormal(bytes));
            if (bytes.empty() || !finding_.empty()) return;
        }
        // A run that changes no state (inside a token, string or comment) goes at once.
        const std::size_t run = takeRun(bytes);
        if (run > 0) {
            bytes.remove_prefix(run);
            continue;
        }
        const char c = bytes.front();
        bytes.remove_prefix(1);
        take(c);   // what a line break ends, a number say, lies on the line it ends
        if (c == '\n') ++line_;
    }
}

std::string StepPreScan::finish() {
    if (state_ == State::String || state_ == State::Binary || state_ == State::Comment ||
        state_ == State::StarInComment) {
        line_ = opened_;   // named where it began
        fail(state_ == State::String   ? "a string that never ends"
             : state_ == State::Binary ? "a binary that never ends"
                                       : "a comment that never ends");
    }
    if (finding_.empty()) take(' ');
    endReference(false);
    if (!finding_.empty()) return finding_;
    if (!std::is_sorted(defined_.begin(), defined_.end())) std::sort(defined_.begin(), defined_.end());
    const auto twice = std::adjacent_find(defined_.begin(), defined_.end());
    if (twice != defined_.end()) return finding_ = "a second entity #" + std::to_string(*twice);
    auto undefined = [&](std::uint32_t r) {
        return "a reference to #" + std::to_string(r) + ", an entity it does not define";
    };
    const std::uint32_t largest = defined_.empty() ? 0 : defined_.back();
    if (largest / 16 <= defined_.size() + 1024) {
        // Numbered about as densely as writers number them: a table of the numbers defined.
        std::vector<bool> isDefined(std::size_t{largest} + 1);
        for (std::uint32_t d : defined_) isDefined[d] = true;
        std::uint32_t missing = std::numeric_limits<std::uint32_t>::max();
        for (std::uint32_t r : referred_)
            if (r < missing && (r > largest || !isDefined[r])) missing = r;
        if (missing != std::numeric_limits<std::uint32_t>::max()) finding_ = undefined(missing);
        return finding_;
    }
    std::sort(referred_.begin(), referred_.end());
    referred_.erase(std::unique(referred_.begin(), referred_.end()), referred_.end());
    for (std::uint32_t r : referred_)
        if (!std::binary_search(defined_.begin(), defined_.end(), r)) return finding_ = undefined(r);
    return finding_;
}

std::string stepPreScan(std::string_view text) {
    StepPreScan scan;
    scan.feed(text);
    return scan.finish();
}

namespace {

// How many of a string's first bytes (between its quotes) may be kept, at most `most`: whole doubled quotes
// and escapes (\X2\...\X0\ runs whole), so that what is kept decodes as it did.
std::size_t keptOfString(std::string_view inside, std::size_t most) {
    std::size_t at = 0;
    while (at < inside.size()) {
        std::size_t unit = 1;
        const std::string_view rest = inside.substr(at);
        if (rest[0] == '\'') {
            unit = 2;
        } else if (rest.starts_with("\\X2\\") || rest.starts_with("\\X4\\")) {
            const std::size_t end = rest.find("\\X0\\", 4);
            unit = end == std::string_view::npos ? rest.size() : end + 4;
        } else if (rest.starts_with("\\X\\")) {
            unit = 5;
        } else if (rest.starts_with("\\S\\") || (rest.size() > 3 && rest[1] == 'P' && rest[3] == '\\')) {
            unit = 4;
        } else if (rest.starts_with("\\\\")) {
            unit = 2;
        }
        if (at + unit > most) break;
        at += unit;
    }
    return at;
}

// A string's inside as the kernel is to read it. Its reader ends a string at a doubled quote followed by a
// comma or a closing parenthesis (blanks between), where the format, and the pre-scan, read one quote and go
// on: it refused a name such as 'Smith'', J.', and read what followed otherwise than it was looked over. Such
// a quote is given as the escape that stands for it.
std::string insideForReader(std::string_view inside) {
    std::string given;
    std::size_t at = 0;
    for (std::size_t quote = inside.find("''"); quote != std::string_view::npos; quote = inside.find("''", at)) {
        const std::size_t next = inside.find_first_not_of(" \t\r\n", quote + 2);
        const bool ends = next != std::string_view::npos && (inside[next] == ',' || inside[next] == ')');
        given.append(inside.substr(at, quote - at)).append(ends ? "\\X\\27" : "''");
        at = quote + 2;
    }
    return given.append(inside.substr(at));
}

}  // namespace

std::string stepTextForReader(std::string_view text, std::size_t& cut) {
    cut = 0;
    std::string out;
    out.reserve(text.size());
    auto lineBreaksOf = [](std::string_view bytes) {
        return std::string(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')), '\n');
    };
    // What never ends (the pre-scan refuses it) goes as it is, to the end.
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = text.find_first_of("'\"/", at);
        if (next == kNone) break;
        if (text[next] == '"') {   // a binary, whole: hexadecimal digits only, so no mark inside
            const std::size_t end = text.find('"', next + 1);
            if (end == kNone) break;
            out.append(text.substr(at, end + 1 - at));
            at = end + 1;
        } else if (text[next] == '/') {
            if (next + 1 >= text.size() || text[next + 1] != '*') {
                out.append(text.substr(at, next + 1 - at));
                at = next + 1;
                continue;
            }
            const std::size_t end = text.find("*/", next + 2);
            if (end == kNone) break;
            out.append(text.substr(at, next - at)).push_back(' ');
            out += lineBreaksOf(text.substr(next, end - next));
            at = end + 2;
        } else {
            std::size_t end = next + 1;
            for (;;) {   // a doubled quote stands for one
                end = text.find('\'', end);
                if (end == kNone || end + 1 == text.size() || text[end + 1] != '\'') break;
                end += 2;
            }
            if (end == kNone) break;
            out.append(text.substr(at, next - at));
            const std::string_view raw = text.substr(next + 1, end - next - 1);
            const std::string inside = insideForReader(raw);
            const std::size_t kept = keptOfString(inside, kStepLongToken - 2);
            out.append("'").append(inside.substr(0, kept)).push_back('\'');
            if (kept < inside.size()) {
                out += lineBreaksOf(std::string_view(inside).substr(kept));
                ++cut;
            }
            at = end + 1;
        }
    }
    out.append(text.substr(at));
    return out;
}

}  // namespace host
