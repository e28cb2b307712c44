// A fast look through a STEP file's text, before the kernel reads it, for what the kernel's reader cannot
// survive: lists nested deeper than any real file nests them (the reader recurses once per level), numbers
// that are not finite (a NAN coordinate hangs the import) or absurdly large (lengths of 1e200 crash shape
// healing), entity numbers past the reader's integers, and references to entities the file does not
// define or numbers it defines twice. A string, binary or comment that never ends is refused too: the scan
// would be blind to everything after it; and a string, binary or comment longer than the reader's buffer,
// which it cannot read, and long words, numbers and binaries that would together take it minutes. One pass,
// any chunking of the bytes. A reference to an entity number past the reader's integers is no finding: the
// reader is given it unset, and whether that may be is decided once the entity's place in the file is known.
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

// What the scan reports of a text's structure as it goes, by offsets from the first byte fed: the text the
// kernel's reader is given is made from it (stepTextForReader), so that one lexer reads a file for both.
class StepSpans {
public:
    virtual ~StepSpans() = default;
    // A string from its opening quote to past its closing one.
    virtual void string(std::size_t begin, std::size_t end) = 0;
    // A comment from its "/*" to past its "*/".
    virtual void comment(std::size_t begin, std::size_t end) = 0;
    // A part of a complex entity ("#5=(A(1)B(2));"): where its name begins, and past its ")"; then past the
    // ")" that ends the parts.
    virtual void partBegins(std::size_t at) = 0;
    virtual void partEnds(std::size_t at) = 0;
    virtual void partsEnd(std::size_t at) = 0;
    // A reference to an entity number past the reader's range, from its "#" to past its digits.
    virtual void unreadableReference(std::size_t begin, std::size_t end) = 0;
    // A number's exponent written with a small "e" (1.5e-05), at offset `at`: the kernel's reader takes only
    // "E", and reads such a number without its exponent.
    virtual void smallExponent(std::size_t at) = 0;
};

class StepPreScan {
public:
    // With `spans`, the scan reports to it and goes on to the end past what it finds.
    explicit StepPreScan(StepSpans* spans = nullptr) : spans_(spans) {}
    void feed(std::string_view bytes);
    // "" when nothing was found, else what was (the first finding).
    std::string finish();
    // Where the entities numbered in `entities` are defined is noted, in the file's order, for the messages
    // that name them and for mending them.
    struct Definition {
        std::uint32_t number;
        std::size_t line;
        std::size_t offset;   // of its "#"
    };
    void noteDefinitions(std::vector<std::uint32_t> entities);
    const std::vector<Definition>& noted() const { return noted_; }
    // A reference the reader cannot take (an entity number past its range), in the file's order: the entity
    // it lies in (0 for none), its line, and what it is.
    struct Unreadable {
        std::uint32_t entity;
        std::size_t line;
        std::string what;   // "an entity number past the reader's range (#...)"
    };
    const std::vector<Unreadable>& unreadable() const { return unreadable_; }

private:
    enum class State { Normal, Word, Number, Reference, String, QuoteInString, Binary, Slash, Comment, StarInComment };
    // Takes the byte at offset at_.
    void take(char c);
    // A byte between tokens that opens nothing, at offset `at`: a reference before "=" defines its entity;
    // parentheses nest.
    void takeMark(char c, std::size_t at);
    // A ")" at offset `at` within a complex entity's parts.
    void partEnds(std::size_t at);
    // A token begins at offset `at`: a word may begin a complex entity's part.
    void tokenBegins(State kind, std::size_t at) {
        tokenAt_ = at;
        if (inParts_ && depth_ == 1 && kind == State::Word && spans_) spans_->partBegins(at);
        if (afterEquals_) afterEquals_ = false;
    }
    // The scan stops at its first finding unless it reports spans.
    bool stopped() const { return !finding_.empty() && !spans_; }
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
    // Checks a token that starts (at offset `at`) and ends within the bytes where it lies; its length, 0 for
    // none.
    std::size_t takeWholeToken(std::string_view bytes, std::size_t at);
    // Passes over a string that starts (at offset `at`) and ends within the bytes where it lies; its length,
    // 0 for none.
    std::size_t takeWholeString(std::string_view bytes, std::size_t at);
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
    // Counts the line breaks among bytes passed over, `before` the byte before them. Lines end as editors
    // end them: LF, CR LF or a lone CR.
    void passLines(std::string_view bytes, char before);
    static bool endsLine(char c, char before) { return c == '\r' || (c == '\n' && before != '\r'); }

    State state_ = State::Normal;
    int depth_ = 0;
    // The entity numbers the file defines and those it refers to, checked against each other at the end:
    // the kernel's reader takes a reference to no entity as one to another, and a number defined twice
    // costs it a search per reference.
    std::vector<std::uint32_t> defined_, referred_;
    std::int64_t pendingReference_ = -1;   // read, and not yet known to define or refer
    std::size_t referenceAt_ = 0;          // the offset of its "#"
    static constexpr std::int64_t kPastRange = INT64_MAX;   // the pending reference is past the reader's range
    Unreadable pastRange_;                 // and what it is
    std::uint32_t entity_ = 0;             // the entity being defined
    std::vector<Unreadable> unreadable_;
    std::string token_;   // the word, number or reference being read (bounded)
    std::size_t tokenBytes_ = 0;   // of the token being read, whole
    std::size_t tokenAt_ = 0;      // the offset of its first byte
    std::size_t line_ = 1;
    char before_ = 0;   // the last byte taken
    std::size_t opened_ = 1;   // the line of the last string, binary or comment opened
    std::size_t quotedBytes_ = 0;   // of the string or binary open, with its quotes so far
    std::size_t commentBytes_ = 0;   // of the comment open, with its marks so far
    std::uint64_t longTokenCost_ = 0;   // the long tokens' lengths squared, so far
    std::vector<std::uint32_t> watched_;   // sorted
    std::vector<Definition> noted_;
    std::string finding_;
    StepSpans* spans_;
    std::size_t at_ = 0;            // the offset of the byte being taken, or of the bytes' front
    std::size_t spanBegin_ = 0;     // of the string or comment open (its quote, its "/")
    bool afterEquals_ = false;      // an entity's "=" read, and nothing after it yet
    bool inParts_ = false;          // within a complex entity's list of parts
};

// The scan over a whole text.
std::string stepPreScan(std::string_view text);

// A file is taken for a STEP file only when its first bytes are the exchange file's header, so that a file
// of anything else is refused before it is read whole (a file of NUL bytes named ".step" took the reader
// minutes a gigabyte). What the kernel's reader passes over before the header is let through: a byte order
// mark, white space and comments, the keyword in either case; the header within the first kStepHeadBytes.
constexpr std::size_t kStepHeadBytes = 64 * 1024;
// Whether `head`, a file's first bytes (kStepHeadBytes, or all of a shorter file), begins as a STEP file.
bool beginsAsStepFile(std::string_view head);

// The text the kernel's reader is given for a file the pre-scan lets through (the scan runs over it to make
// it, and says what it found): without a byte order mark,
// comments left out and strings of more than kStepLongToken bytes (with their quotes) cut to that, never
// within a doubled quote or a character's escape (a run of \X2\ escapes is cut at a character and
// closed); the line breaks they held follow them, so that lines keep their numbers. A doubled quote the
// kernel would take for a string's end is given as its escape, and a number's exponent written "e" as "E".
// A complex entity's parts are given in the alphabetical order the format asks for, which the kernel's
// reader takes them in; writers that put them otherwise are common. A reference to an entity number past
// the reader's range is given as `$`.
struct StepReaderText {
    std::string finding;         // what the pre-scan found in the file (StepPreScan::finish), "" for nothing
    std::string text;
    std::size_t cut = 0;         // strings cut
    std::size_t reordered = 0;   // complex entities whose parts were put in order
    std::vector<StepPreScan::Unreadable> unset;   // the references given as `$`
};
StepReaderText stepTextForReader(std::string_view text);

// Sets to '' the parameters of `text` (as stepTextForReader gives it) that are `$`, among those asked for:
// for each entity number, the numbers of its parameters (from 1) whose string the kernel found unset. In a
// complex entity, the one part whose parameter of that number is `$`; none where several are. How many
// were set.
std::size_t setUnsetStringsEmpty(std::string& text, const std::vector<std::pair<std::uint32_t, int>>& parameters);

}  // namespace host
