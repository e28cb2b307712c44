// A fast look through a STEP file's text, before the kernel reads it, for what the kernel's reader cannot
// survive: lists nested deeper than any real file nests them (the reader recurses once per level), numbers
// that are not finite (a NAN coordinate hangs the import) or absurdly large (lengths of 1e200 crash shape
// healing), entity numbers past the reader's integers, and references to entities the file does not
// define or numbers it defines twice. A string, binary or comment that never ends is refused too: the scan
// would be blind to everything after it; and a string, binary or comment longer than the reader's buffer,
// which it cannot read, and long words, numbers and binaries that would together take it minutes. One pass,
// any chunking of the bytes.
#pragma once
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

constexpr int kStepMaxNesting = 64;
constexpr double kStepMaxMagnitude = 1e15;   // far beyond any part in any unit, far below an overflow
// Bytes of a string or binary with its quotes, and of a comment with its marks: what the kernel's reader
// holds in its 16 KiB token buffer.
constexpr std::size_t kStepMaxString = 16382;
constexpr std::size_t kStepMaxComment = 16386;
// The kernel's reader takes time as the square of a token's length (it reads a byte at a time and scans the
// token again from its start at each): about a second for 16 KB, 4 ms for 1 KB. Strings and comments, which
// carry no geometry, are spared it (stepTextForReader); the words, numbers and binaries it must read whole
// over kStepLongToken bytes may together cost it no more than kStepLongTokenBudget (the sum of their lengths
// squared, a few seconds). Shorter ones cost it at most what a file of geometry of their size does.
constexpr std::size_t kStepLongToken = 128;
constexpr std::uint64_t kStepLongTokenBudget = std::uint64_t{1} << 30;

class StepPreScan {
public:
    void feed(std::string_view bytes);
    // "" when nothing was found, else what was (the first finding).
    std::string finish();
    // The lines where the entities numbered in `entities` are defined are noted, as (number, line) in the
    // file's order, for the messages that name them.
    void noteDefinitionLines(std::vector<std::uint32_t> entities);
    const std::vector<std::pair<std::uint32_t, std::size_t>>& notedLines() const { return noted_; }

private:
    enum class State { Normal, Word, Number, Reference, String, QuoteInString, Binary, Slash, Comment, StarInComment };
    void take(char c);
    // A byte between tokens that opens nothing: a reference before "=" defines its entity; parentheses
    // nest.
    void takeMark(char c);
    // Takes the bytes at the front that only continue what is open; how many.
    std::size_t takeRun(std::string_view bytes);
    void endToken();
    // `length`: the whole token's, of which `text` may hold the start.
    void checkToken(State kind, std::string_view text, std::size_t length);
    // A word, number or binary of `length` bytes the reader reads whole: counted against the budget.
    void countLong(const char* what, std::size_t length, std::size_t line);
    // The token a byte opens (a reference, word or number; Normal for none), and the byte classes that
    // continue one.
    static State tokenOpenedBy(char c);
    static unsigned char continuing(State token);
    // Checks a token that starts and ends within the bytes where it lies; its length, 0 for none.
    std::size_t takeWholeToken(std::string_view bytes);
    // Passes over a string that starts and ends within the bytes where it lies; its length, 0 for none.
    std::size_t takeWholeString(std::string_view bytes);
    // Takes what lies between tokens and whole tokens and strings from the front of the bytes, in the
    // Normal state; how many bytes. It stops where the byte-by-byte way must go on.
    std::size_t takeNormal(std::string_view bytes);
    void fail(std::string why);
    // A string or binary has ended: refused when longer than the reader takes; a long binary is counted.
    void endQuoted(bool binary);
    // A comment has ended: refused when longer than the reader takes.
    void endComment();

    // The reference read and not yet known to define or refer, if any, as the one or the other. Asked at
    // every token and mark, mostly with none pending: the asking is inline.
    void endReference(bool defines) {
        if (pendingReference_ >= 0) recordReference(defines);
    }
    void recordReference(bool defines);
    // Counts the line breaks among bytes passed over.
    void passLines(std::string_view bytes);

    State state_ = State::Normal;
    int depth_ = 0;
    // The entity numbers the file defines and those it refers to, checked against each other at the end:
    // the kernel's reader takes a reference to no entity as one to another, and a number defined twice
    // costs it a search per reference.
    std::vector<std::uint32_t> defined_, referred_;
    std::int64_t pendingReference_ = -1;   // read, and not yet known to define or refer
    std::string token_;   // the word, number or reference being read (bounded)
    std::size_t tokenBytes_ = 0;   // of the token being read, whole
    std::size_t line_ = 1;
    std::size_t opened_ = 1;   // the line of the last string, binary or comment opened
    std::size_t quotedBytes_ = 0;   // of the string or binary open, with its quotes so far
    std::size_t commentBytes_ = 0;   // of the comment open, with its marks so far
    std::uint64_t longTokenCost_ = 0;   // the long tokens' lengths squared, so far
    std::vector<std::uint32_t> watched_;   // sorted
    std::vector<std::pair<std::uint32_t, std::size_t>> noted_;
    std::string finding_;
};

// The scan over a whole text.
std::string stepPreScan(std::string_view text);

// The text the kernel's reader is given for a file the pre-scan let through: comments left out and strings
// of more than kStepLongToken bytes (with their quotes) cut to that, never within a doubled quote or an
// escape; the line breaks they held follow them, so that lines keep their numbers. A doubled quote the
// kernel would take for a string's end is given as its escape. `cut` counts the strings cut.
std::string stepTextForReader(std::string_view text, std::size_t& cut);

}  // namespace host
