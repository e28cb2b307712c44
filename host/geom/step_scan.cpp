// The STEP pre-scan as a small state machine over the bytes: strings, binaries and comments are passed over, words
// (entity names, keywords) are checked against the names of non-finite numbers, numbers are parsed in the
// "C" locale and checked against the magnitude limit.
#include "host/geom/step_scan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace host {
namespace {

constexpr std::size_t kMaxToken = 320;   // longer numbers or references than any writer makes

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNumberChar(char c) { return isDigit(c) || c == '.' || c == 'E' || c == 'e' || c == '+' || c == '-'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool namesNonFinite(std::string_view word) {
    std::string upper;
    for (char c : word) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "NAN" || upper == "QNAN" || upper == "SNAN" || upper == "IND" || upper == "INF" ||
           upper == "INFINITY";
}

}  // namespace

void StepPreScan::fail(std::string why) {
    if (finding_.empty()) finding_ = "line " + std::to_string(line_) + ": " + why;
}

void StepPreScan::endToken() {
    const State was = state_;
    state_ = State::Normal;
    if (was == State::Word) {
        if (namesNonFinite(token_)) fail("a number that is not finite (" + token_ + ")");
    } else if (was == State::Number) {
        if (token_.size() > kMaxToken) return fail("a number of more than 320 characters");
        const std::string_view t = token_[0] == '+' ? std::string_view(token_).substr(1) : std::string_view(token_);
        double value = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec == std::errc::result_out_of_range) return fail("a number out of range (" + token_ + ")");
        if (ec != std::errc() || end != t.data() + t.size()) return;   // not a number: the reader judges it
        if (!std::isfinite(value) || std::abs(value) > kStepMaxMagnitude)
            fail("an absurd number (" + token_ + ")");
    } else if (was == State::Reference) {
        if (token_.size() > 10) return fail("an entity number past the reader's range (#" + token_ + ")");
        long long value = 0;
        std::from_chars(token_.data(), token_.data() + token_.size(), value);
        if (value > std::numeric_limits<int>::max())
            return fail("an entity number past the reader's range (#" + token_ + ")");
        if (!token_.empty()) pendingReference_ = value;   // "#" and a name is a constant, not an entity
    }
    token_.clear();
}

void StepPreScan::endReference(bool defines) {
    (defines ? defined_ : referred_).push_back(static_cast<std::uint32_t>(pendingReference_));
    pendingReference_ = -1;
}

void StepPreScan::take(char c) {
    switch (state_) {
    case State::String:
        if (c == '\'') state_ = State::QuoteInString;
        return;
    case State::QuoteInString:
        if (c == '\'') {   // a doubled quote stands for one
            state_ = State::String;
            return;
        }
        state_ = State::Normal;
        break;
    case State::Binary:
        // Only hexadecimal digits: a stray quote would otherwise hide the rest of the file from the scan
        // while the reader goes on reading it.
        if (c == '"') state_ = State::Normal;
        else if (!isHexDigit(c)) fail("a binary with a character that is no hexadecimal digit");
        return;
    case State::Slash:
        state_ = State::Normal;
        if (c == '*') {
            state_ = State::Comment;
            return;
        }
        break;
    case State::Comment:
        if (c == '*') state_ = State::StarInComment;
        return;
    case State::StarInComment:
        state_ = c == '/' ? State::Normal : c == '*' ? State::StarInComment : State::Comment;
        return;
    case State::Word:
        if (isLetter(c) || isDigit(c)) {
            if (token_.size() <= kMaxToken) token_ += c;
            return;
        }
        endToken();
        break;
    case State::Number:
        if (isNumberChar(c)) {
            if (token_.size() <= kMaxToken) token_ += c;
            return;
        }
        endToken();
        break;
    case State::Reference:
        if (isDigit(c)) {
            if (token_.size() <= kMaxToken) token_ += c;
            return;
        }
        endToken();
        break;
    case State::Normal:
        break;
    }
    // Normal: the start of the next token. A reference before "=" defines its entity; space and comments
    // may come between.
    if (pendingReference_ >= 0 && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/')
        endReference(c == '=');
    if (c == '\'') {
        state_ = State::String;
        opened_ = line_;
    } else if (c == '"') {
        state_ = State::Binary;
        opened_ = line_;
    } else if (c == '/') {
        state_ = State::Slash;
        opened_ = line_;
    } else if (c == '#') {
        state_ = State::Reference;
        token_.clear();   // a token that ended early may have left its text
    } else if (isLetter(c)) {
        state_ = State::Word;
        token_ = c;
    } else if (isDigit(c) || c == '+' || c == '-' || c == '.') {
        // A '.' also opens an enumeration (.T.) and a '-' a keyword's tail (END-ISO-10303-21); what is no
        // number is left to the reader.
        state_ = State::Number;
        token_ = c;
    } else if (c == '(') {
        if (++depth_ > kStepMaxNesting)
            fail("lists nested deeper than " + std::to_string(kStepMaxNesting) + " levels");
    } else if (c == ')') {
        if (depth_ > 0) --depth_;
    }
}

void StepPreScan::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (!finding_.empty()) return;
        if (c == '\n') ++line_;
        take(c);
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
    if (pendingReference_ >= 0) endReference(false);
    if (!finding_.empty()) return finding_;
    std::sort(defined_.begin(), defined_.end());
    const auto twice = std::adjacent_find(defined_.begin(), defined_.end());
    if (twice != defined_.end()) return finding_ = "a second entity #" + std::to_string(*twice);
    std::sort(referred_.begin(), referred_.end());
    referred_.erase(std::unique(referred_.begin(), referred_.end()), referred_.end());
    for (std::uint32_t r : referred_)
        if (!std::binary_search(defined_.begin(), defined_.end(), r))
            return finding_ = "a reference to #" + std::to_string(r) + ", an entity it does not define";
    return finding_;
}

std::string stepPreScan(std::string_view text) {
    StepPreScan scan;
    scan.feed(text);
    return scan.finish();
}

}  // namespace host
