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

// Where a number's text writes its exponent with a small "e", npos where it does not or is no number: a
// sign, digits with at most one point among or around them, the "e", a sign, digits.
std::size_t smallExponentOf(std::string_view t) {
    const std::size_t e = t.find('e');
    if (e == std::string_view::npos) return e;
    const std::size_t signed_ = !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    const std::string_view mantissa = t.substr(signed_, e - signed_);
    std::string_view exponent = t.substr(e + 1);
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.remove_prefix(1);
    const auto digits = static_cast<std::size_t>(std::count_if(mantissa.begin(), mantissa.end(), isDigit));
    const bool sound = digits > 0 && digits + (mantissa.find('.') != std::string_view::npos) == mantissa.size() &&
                       !exponent.empty() && std::all_of(exponent.begin(), exponent.end(), isDigit);
    return sound ? e : std::string_view::npos;
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

void StepPreScan::noteDefinitions(std::vector<std::uint32_t> entities) {
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
        if (const std::size_t e = spans_ ? smallExponentOf(text) : std::string_view::npos; e != std::string_view::npos)
            spans_->smallExponent(tokenAt_ + e);
        const std::string_view t = text[0] == '+' ? text.substr(1) : text;
        if (!needsReading(t)) return;
        double value = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec == std::errc::result_out_of_range) return failShowing("a number out of range (");
        if (ec != std::errc() || end != t.data() + t.size()) return;   // not a number: the reader judges it
        if (!std::isfinite(value) || std::abs(value) > kStepMaxMagnitude)
            failShowing("an absurd number (");
    } else if (kind == State::Reference) {
        long long value = 0;
        if (text.size() <= 10) std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.size() > 10 || value > std::numeric_limits<int>::max()) {
            // Given to the reader as unset (some writers write 2^64-1 for none); one that defines refuses.
            pendingReference_ = kPastRange;
            pastRange_ = {entity_, line_, "an entity number past the reader's range (#" + std::string(text) + ")"};
            if (spans_) spans_->unreadableReference(referenceAt_, referenceAt_ + length);
            return;
        }
        if (!text.empty()) pendingReference_ = value;   // "#" and a name is a constant, not an entity
    }
}

void StepPreScan::recordReference(bool defines) {
    if (pendingReference_ == kPastRange) {
        if (!defines) unreadable_.push_back(std::move(pastRange_));
        else if (finding_.empty()) finding_ = "line " + std::to_string(pastRange_.line) + ": " + pastRange_.what;
        pendingReference_ = -1;
        return;
    }
    if (defines) entity_ = static_cast<std::uint32_t>(pendingReference_);
    if (defines && !watched_.empty() &&
        std::binary_search(watched_.begin(), watched_.end(), static_cast<std::uint32_t>(pendingReference_)))
        noted_.push_back({static_cast<std::uint32_t>(pendingReference_), line_, referenceAt_});
    (defines ? defined_ : referred_).push_back(static_cast<std::uint32_t>(pendingReference_));
    pendingReference_ = -1;
}

void StepPreScan::passLines(std::string_view bytes, char before) {
    // A CR LF ends one line: a CR counts, and an LF but after a CR.
    if (bytes.find('\r') == std::string_view::npos) {
        line_ += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
        if (before == '\r' && !bytes.empty() && bytes.front() == '\n') --line_;
        return;
    }
    for (char c : bytes) {
        line_ += endsLine(c, before);
        before = c;
    }
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
        if (spans_) spans_->string(spanBegin_, at_);
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
        if (state_ == State::Normal) {
            endComment();
            if (spans_) spans_->comment(spanBegin_, at_ + 1);
        }
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
        spanBegin_ = at_;
        return;
    }
    const State token = tokenOpenedBy(c);
    if (token == State::Normal && c != '\'' && c != '"') return takeMark(c, at_);
    endReference(false);
    tokenBegins(token, at_);
    if (c == '\'' || c == '"') {
        state_ = c == '\'' ? State::String : State::Binary;
        opened_ = line_;
        quotedBytes_ = 1;
        spanBegin_ = at_;
    } else {
        state_ = token;
        tokenBytes_ = 1;
        token_.clear();   // a token that ended early may have left its text
        if (token != State::Reference) token_ = c;   // a reference's number follows its '#'
        referenceAt_ = at_;
    }
}

void StepPreScan::takeMark(char c, std::size_t at) {
    endReference(c == '=');
    if (c == '(') {
        // A list right after an entity's "=" holds a complex entity's parts.
        inParts_ = inParts_ || afterEquals_;
        if (++depth_ > kStepMaxNesting)
            fail("lists nested deeper than " + std::to_string(kStepMaxNesting) + " levels");
    } else if (c == ')') {
        if (depth_ > 0) --depth_;
        if (inParts_) partEnds(at);
    }
    afterEquals_ = c == '=' && depth_ == 0;
}

void StepPreScan::partEnds(std::size_t at) {
    if (spans_ && depth_ == 1) spans_->partEnds(at + 1);
    if (spans_ && depth_ == 0) spans_->partsEnd(at + 1);
    if (depth_ == 0) inParts_ = false;
}

std::size_t StepPreScan::takeRun(std::string_view bytes) {
    auto passLinesOf = [&](std::size_t n) {
        passLines(bytes.substr(0, n), before_);
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

std::size_t StepPreScan::takeWholeToken(std::string_view bytes, std::size_t at) {
    const State kind = tokenOpenedBy(bytes.front());
    if (kind == State::Normal) return 0;
    const std::size_t end = spanOf(bytes, 1, continuing(kind));
    if (end == bytes.size()) return 0;   // it may go on in the next bytes
    endReference(false);
    tokenBegins(kind, at);
    if (kind == State::Reference) referenceAt_ = at;
    const std::size_t start = kind == State::Reference ? 1 : 0;   // a reference's number follows its '#'
    checkToken(kind, bytes.substr(start, end - start), end);
    return end;
}

std::size_t StepPreScan::takeNormal(std::string_view bytes) {
    std::size_t at = 0;
    const bool toTheEnd = spans_ != nullptr;
    while (at < bytes.size() && (toTheEnd || finding_.empty())) {
        const char c = bytes[at];
        if (is(c, kBlank)) {
            line_ += endsLine(c, at > 0 ? bytes[at - 1] : before_);
            ++at;
        } else if (is(c, kOpensToken)) {
            const std::size_t token = takeWholeToken(bytes.substr(at), at_ + at);
            if (token == 0) break;
            at += token;
        } else if (c == '\'') {
            const std::size_t string = takeWholeString(bytes.substr(at), at_ + at);
            if (string == 0) break;
            at += string;
        } else if (c == '"' || c == '/') {
            break;
        } else {
            takeMark(c, at_ + at);
            ++at;
        }
    }
    return at;
}

std::size_t StepPreScan::takeWholeString(std::string_view bytes, std::size_t at) {
    std::size_t end = 1;
    for (;;) {
        end = bytes.find('\'', end);
        // A quote at the very end may be the first of a doubled one.
        if (end == std::string_view::npos || end + 1 == bytes.size()) return 0;
        if (bytes[end + 1] != '\'') break;
        end += 2;
    }
    endReference(false);
    tokenBegins(State::String, at);
    const std::size_t lineBefore = line_;
    passLines(bytes.substr(0, end), '\'');
    if (end + 1 > kStepLongToken) {
        quotedBytes_ = end + 1;
        opened_ = lineBefore;
        endQuoted(false);
    }
    if (spans_) spans_->string(at, at + end + 1);
    return end + 1;
}

void StepPreScan::feed(std::string_view bytes) {
    const std::size_t end = at_ + bytes.size();
    while (!bytes.empty() && !stopped()) {
        // Between tokens, the bytes are taken by the quick way while it can.
        if (state_ == State::Normal) {
            const std::size_t taken = takeNormal(bytes);
            if (taken > 0) before_ = bytes[taken - 1];
            bytes.remove_prefix(taken);
            at_ += taken;
            if (bytes.empty() || stopped()) break;
        }
        // A run that changes no state (inside a token, string or comment) goes at once.
        const std::size_t run = takeRun(bytes);
        if (run > 0) {
            before_ = bytes[run - 1];
            bytes.remove_prefix(run);
            at_ += run;
            continue;
        }
        const char c = bytes.front();
        take(c);   // what a line break ends, a number say, lies on the line it ends
        line_ += endsLine(c, before_);
        before_ = c;
        bytes.remove_prefix(1);
        ++at_;
    }
    at_ = end;   // past what a finding left untaken
}

std::string StepPreScan::finish() {
    if (state_ == State::String || state_ == State::Binary || state_ == State::Comment ||
        state_ == State::StarInComment) {
        line_ = opened_;   // named where it began
        fail(state_ == State::String   ? "a string that never ends"
             : state_ == State::Binary ? "a binary that never ends"
                                       : "a comment that never ends");
    }
    if (!stopped()) take(' ');
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

bool beginsAsStepFile(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    for (;;) {
        const std::size_t text = head.find_first_not_of(" \t\r\n");
        if (text == std::string_view::npos) return false;
        head.remove_prefix(text);
        if (!head.starts_with("/*")) break;
        const std::size_t end = head.find("*/", 2);
        if (end == std::string_view::npos) return false;
        head.remove_prefix(end + 2);
    }
    constexpr std::string_view kHeader = "ISO-10303-21;";
    return head.size() >= kHeader.size() &&
           std::equal(kHeader.begin(), kHeader.end(), head.begin(),
                      [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
}

namespace {

bool startsHighSurrogate(std::string_view hex) {   // D800 to DBFF: the first half of a UTF-16 pair
    const auto upper = [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); };
    return hex.size() >= 2 && upper(hex[0]) == 'D' && std::string_view("89AB").find(upper(hex[1])) != std::string_view::npos;
}

// The start of a string's inside (between its quotes) kept in at most `most` bytes: whole doubled quotes and
// escapes, and a run of \X2\ or \X4\ escapes cut at a character and closed, so that what is kept decodes as
// the start of what was written.
std::string keptOfString(std::string_view inside, std::size_t most) {
    if (inside.size() <= most) return std::string(inside);
    std::string kept;
    for (std::size_t at = 0; at < inside.size();) {
        std::size_t unit = 1;
        const std::string_view rest = inside.substr(at);
        if (rest[0] == '\'') {
            unit = 2;
        } else if (rest.starts_with("\\X2\\") || rest.starts_with("\\X4\\")) {
            const std::size_t close = rest.find("\\X0\\", 4);
            unit = close == std::string_view::npos ? rest.size() : close + 4;
            if (kept.size() + unit > most) {
                const std::size_t width = rest[2] == '2' ? 4 : 8;   // hexadecimal digits a character
                const std::size_t digits = std::min(rest.size(), close) - 4;
                const std::size_t room = most - kept.size();
                std::size_t characters = std::min(room >= 8 ? (room - 8) / width : 0, digits / width);
                if (width == 4 && characters > 0 && startsHighSurrogate(rest.substr(4 * characters, 4))) --characters;
                if (characters > 0) kept.append(rest.substr(0, 4 + width * characters)).append("\\X0\\");
                return kept;
            }
        } else if (rest.starts_with("\\X\\")) {
            unit = 5;
        } else if (rest.starts_with("\\S\\") || (rest.size() > 3 && rest[1] == 'P' && rest[3] == '\\')) {
            unit = 4;
        } else if (rest.starts_with("\\\\")) {
            unit = 2;
        }
        if (kept.size() + unit > most) break;
        kept.append(rest.substr(0, unit));
        at += unit;
    }
    return kept;
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

// The line breaks among bytes left out, so that the lines after them keep their numbers.
std::string lineBreaksOf(std::string_view bytes) {
    std::string breaks;
    for (char c : bytes)
        if (c == '\n' || c == '\r') breaks.push_back(c);
    return breaks;
}

// Makes the reader's text from the scan's spans: what lies between them is copied as it is.
class ReaderTextMaker : public StepSpans {
public:
    explicit ReaderTextMaker(std::string_view text) : text_(text) {
        made_.text.reserve(text.size());
        if (text.starts_with("\xEF\xBB\xBF")) copied_ = 3;   // a byte order mark, which the kernel takes for text
    }
    void string(std::size_t begin, std::size_t end) override {
        copyTo(begin);
        const std::string inside = insideForReader(text_.substr(begin + 1, end - begin - 2));
        const std::string kept = keptOfString(inside, kStepLongToken - 2);
        made_.text.append("'").append(kept).push_back('\'');
        if (kept.size() < inside.size()) {
            made_.text += lineBreaksOf(inside);
            ++made_.cut;
        }
        copied_ = end;
    }
    void comment(std::size_t begin, std::size_t end) override {
        copyTo(begin);
        made_.text.append(" ").append(lineBreaksOf(text_.substr(begin, end - begin)));
        copied_ = end;
    }
    void partBegins(std::size_t at) override {
        copyTo(at);
        if (!parts_.empty() && parts_.back().end == 0) unordered_ = true;   // a part with no list: left as it is
        std::size_t name = at;
        while (name < text_.size() && isLetter(text_[name])) ++name;
        while (name < text_.size() && (isLetter(text_[name]) || isDigit(text_[name]))) ++name;
        std::string upper(text_.substr(at, name - at));
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        parts_.push_back({std::move(upper), made_.text.size(), 0});
    }
    void partEnds(std::size_t at) override {
        copyTo(at);
        if (!parts_.empty() && parts_.back().end == 0) parts_.back().end = made_.text.size();
    }
    void partsEnd(std::size_t at) override {
        copyTo(at);
        putInOrder();
        parts_.clear();
        unordered_ = false;
    }
    void unreadableReference(std::size_t begin, std::size_t end) override {
        copyTo(begin);
        made_.text.push_back('$');
        copied_ = end;
    }
    void smallExponent(std::size_t at) override {
        copyTo(at);
        made_.text.push_back('E');
        copied_ = at + 1;
    }
    StepReaderText made() {
        copyTo(text_.size());
        return std::move(made_);
    }

private:
    struct Part {
        std::string name;
        std::size_t begin, end;   // in the text made; end 0 while open
    };
    void copyTo(std::size_t at) {
        if (at > copied_) made_.text.append(text_.substr(copied_, at - copied_));
        copied_ = std::max(copied_, at);
    }
    // The parts of the complex entity just read, rewritten in alphabetical order in their places, the blanks
    // between them kept.
    void putInOrder() {
        if (unordered_ || parts_.size() < 2 || parts_.back().end == 0) return;
        const auto byName = [](const Part& a, const Part& b) { return a.name < b.name; };
        if (std::is_sorted(parts_.begin(), parts_.end(), byName)) return;
        std::vector<Part> sorted = parts_;
        std::stable_sort(sorted.begin(), sorted.end(), byName);
        std::string& text = made_.text;
        std::string region;
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            region.append(text, sorted[i].begin, sorted[i].end - sorted[i].begin);
            if (i + 1 < parts_.size()) region.append(text, parts_[i].end, parts_[i + 1].begin - parts_[i].end);
        }
        text.replace(parts_.front().begin, region.size(), region);
        ++made_.reordered;
    }

    std::string_view text_;
    std::size_t copied_ = 0;   // the bytes of text_ taken into the text made
    StepReaderText made_;
    std::vector<Part> parts_;
    bool unordered_ = false;   // parts not each a name and its list
};

// The strings of a text, and where the entities asked for are defined, from one scan.
class EntityTexts : public StepSpans {
public:
    EntityTexts(std::string_view text, std::vector<std::uint32_t> numbers) : text_(text), scan_(this) {
        scan_.noteDefinitions(std::move(numbers));
        scan_.feed(text);
        (void)scan_.finish();
    }
    const std::vector<StepPreScan::Definition>& definitions() const { return scan_.noted(); }

    // Calls take(begin, end) with the bounds of each parameter of the list opened at `open` (its "("), as
    // long as it returns true; the offset of the list's ")", npos when it does not close.
    template <class Take>
    std::size_t eachParameter(std::size_t open, Take take) const {
        auto string = std::lower_bound(strings_.begin(), strings_.end(), std::pair{open, std::size_t{0}});
        int depth = 0;
        std::size_t begin = open + 1;
        for (std::size_t i = open; i < text_.size(); ++i) {
            while (string != strings_.end() && string->first < i) ++string;
            if (string != strings_.end() && string->first == i) {   // passed over whole
                i = string->second - 1;
                continue;
            }
            const char c = text_[i];
            if (c == '(') {
                ++depth;
            } else if (c == ';') {
                break;
            } else if ((c == ',' && depth == 1) || (c == ')' && --depth == 0)) {
                if (!take(begin, i)) return std::string_view::npos;
                if (c == ')') return i;
                begin = i + 1;
            }
        }
        return std::string_view::npos;
    }

    // The offset of parameter `number` (from 1) of the list opened at `open` where it is `$`, else npos.
    std::size_t unsetIn(std::size_t open, int number) const {
        std::size_t dollar = std::string_view::npos;
        int at = 0;
        eachParameter(open, [&](std::size_t begin, std::size_t end) {
            if (++at < number) return true;
            while (begin < end && is(text_[begin], kBlank)) ++begin;
            while (end > begin && is(text_[end - 1], kBlank)) --end;
            if (end == begin + 1 && text_[begin] == '$') dollar = begin;
            return false;
        });
        return dollar;
    }

    // Where parameter `number` of a simple entity, or of the one part of a complex entity that has it as
    // `$`, is `$`: the offset of the `$`, npos for none. `equals` is the offset of the entity's "=".
    std::size_t unsetParameter(std::size_t equals, int number) const {
        constexpr std::size_t kNone = std::string_view::npos;
        const std::size_t first = text_.find_first_not_of(" \t\r\n", equals + 1);
        if (first == kNone) return kNone;
        if (text_[first] != '(') {   // a simple entity: its name, then its list
            const std::size_t open = text_.find('(', first);
            return open == kNone ? kNone : unsetIn(open, number);
        }
        std::size_t found = kNone;
        for (std::size_t part = text_.find_first_not_of(" \t\r\n", first + 1); part != kNone && text_[part] != ')';
             part = text_.find_first_not_of(" \t\r\n", part + 1)) {
            const std::size_t open = text_.find_first_of("();'", part);
            if (open == kNone || text_[open] != '(') return kNone;
            if (const std::size_t dollar = unsetIn(open, number); dollar != kNone) {
                if (found != kNone) return kNone;   // which of them, the kernel does not say
                found = dollar;
            }
            part = eachParameter(open, [](std::size_t, std::size_t) { return true; });
            if (part == kNone) return kNone;
        }
        return found;
    }

    void string(std::size_t begin, std::size_t end) override { strings_.emplace_back(begin, end); }
    void comment(std::size_t, std::size_t) override {}
    void partBegins(std::size_t) override {}
    void partEnds(std::size_t) override {}
    void partsEnd(std::size_t) override {}
    void unreadableReference(std::size_t, std::size_t) override {}
    void smallExponent(std::size_t) override {}

private:
    std::string_view text_;
    std::vector<std::pair<std::size_t, std::size_t>> strings_;   // in the text's order
    StepPreScan scan_;
};

}  // namespace

StepReaderText stepTextForReader(std::string_view text) {
    ReaderTextMaker maker(text);
    StepPreScan scan(&maker);
    scan.feed(text);
    std::string finding = scan.finish();
    StepReaderText made = maker.made();
    made.finding = std::move(finding);
    made.unset = scan.unreadable();
    return made;
}

std::size_t setUnsetStringsEmpty(std::string& text, const std::vector<std::pair<std::uint32_t, int>>& parameters) {
    std::vector<std::uint32_t> numbers;
    for (const auto& p : parameters) numbers.push_back(p.first);
    const EntityTexts entities(text, numbers);
    std::vector<std::size_t> dollars;
    for (const StepPreScan::Definition& d : entities.definitions()) {
        const std::size_t equals = text.find('=', d.offset);
        if (equals == std::string::npos) continue;
        for (const auto& [number, parameter] : parameters)
            if (number == d.number)
                if (const std::size_t at = entities.unsetParameter(equals, parameter); at != std::string::npos)
                    dollars.push_back(at);
    }
    std::sort(dollars.begin(), dollars.end());
    dollars.erase(std::unique(dollars.begin(), dollars.end()), dollars.end());
    for (auto at = dollars.rbegin(); at != dollars.rend(); ++at) text.replace(*at, 1, "''");
    return dollars.size();
}

}  // namespace host
