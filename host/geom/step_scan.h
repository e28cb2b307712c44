// A fast look through a STEP file's text, before the kernel reads it, for what the kernel's reader cannot
// survive: lists nested deeper than any real file nests them (the reader recurses once per level), numbers
// that are not finite (a NAN coordinate hangs the import) or absurdly large (lengths of 1e200 crash shape
// healing), and entity numbers past the reader's integers. One pass, any chunking of the bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace host {

constexpr int kStepMaxNesting = 64;
constexpr double kStepMaxMagnitude = 1e15;   // far beyond any part in any unit, far below an overflow

class StepPreScan {
public:
    void feed(std::string_view bytes);
    // "" when nothing was found, else what was (the first finding).
    std::string finish();

private:
    enum class State { Normal, Word, Number, Reference, String, QuoteInString, Binary, Slash, Comment, StarInComment };
    void take(char c);
    void endToken();
    void fail(std::string why);

    State state_ = State::Normal;
    int depth_ = 0;
    std::string token_;   // the word, number or reference being read (bounded)
    std::size_t line_ = 1;
    std::string finding_;
};

// The scan over a whole text.
std::string stepPreScan(std::string_view text);

}  // namespace host
