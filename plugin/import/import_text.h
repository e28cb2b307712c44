// What the interchange readers share: lines cut at LF with their CR dropped (files written on the original
// system end in CR LF), numbers read whole or refused, and the one message that refuses a damaged file.
#pragma once
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/model/feature_mark.h"

// Where a file that cannot be read went wrong: its 1-based line and the "ErrorMessages" line telling why.
struct IMPORT_FAULT {
    int line = 0;
    int reason = 0;
    // Features read but for their positions or segments past the ten a record holds: how many, and the
    // line where the first of them begins. They do not refuse the file; the user is told.
    int cutFeatures = 0;
    int firstCutLine = 0;
};

// The "ErrorMessages" lines of a refused file: the file and line, the reason, and that nothing changed.
namespace import_texts {
constexpr int kCannotRead = 251, kNothingImported = 252;
constexpr int kBadLine = 253, kBadNumber = 254, kOpenFeature = 255, kBadElement = 256, kNoData = 236,
              kNotClosed = 237, kNotThreeNumbers = 238;
constexpr int kCannotOpen = 258, kTooMany = 259, kBadDiameter = 260, kBadDepth = 261, kOutOfReach = 262;
}  // namespace import_texts

namespace import_text {

// Tells the user the file is refused, naming it, the line and the reason; the caller has changed nothing.
void refuseDamagedFile(const std::string& path, const IMPORT_FAULT& fault);
// Tells the user the file cannot be opened, naming it and the system's reason (the errno of the failure).
void tellUnopenable(const std::string& path, int error);
// The file's bytes; nothing, after tellUnopenable, when it cannot be opened or is a folder.
std::optional<std::string> readImportFile(const std::string& path);
// Whether `adding` imported marks fit beside the `kept` marks the part keeps (kMaxFeatureMarks in all); when
// they do not, the user is told how many the part can hold.
[[nodiscard]] bool roomForMarks(const std::string& path, std::size_t adding, std::size_t kept);

// Values a hole of a part can have. Beyond kFarthest units from the origin the base tolerance is lost in
// the rounding of a coordinate, so no hole lies there.
constexpr double kFarthest = 1e9;
// A diameter: above 0; a depth (also an offset's size, a pitch): 0 or more; both finite, within kFarthest.
bool usableDiameter(double value);
bool usableDepth(double value);
bool withinReach(const double point[3]);
// The "ErrorMessages" line saying which value of the mark cannot be used (its diameters, its depths and
// pitch, its top and bottom points, in that order); 0 when all can.
int unusableMark(const FEATURE_MARK& mark);

// The longest line a reader takes; a longer one is damage, not a line to cut in two.
constexpr std::size_t kMaxLine = 2047;

// The lines of the text without their line ends; `bad` gets the 1-based number of the first line that is
// too long or holds a NUL (0 when none).
std::vector<std::string_view> splitLines(std::string_view text, int& bad);

// The whole text of an open file from its current position.
std::string readAll(std::FILE* file);

// The text without the blanks and tabs at its ends.
std::string_view trimmed(std::string_view text);

// The first blank-separated word of the text.
std::string_view firstWord(std::string_view text);
// The word as a finite decimal number, or as a whole number in range; nothing when it is not all one.
std::optional<double> toDouble(std::string_view word);
std::optional<long> toLong(std::string_view word);
// Up to `max` blank-separated numbers from the start of the text, stopping at the first word that is not
// one; the count is the result's size.
std::vector<double> leadingDoubles(std::string_view text, std::size_t max);
std::vector<long> leadingLongs(std::string_view text, std::size_t max);

bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace import_text
