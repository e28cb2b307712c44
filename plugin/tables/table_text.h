// Text helpers of the table files (cut into lines by plat::splitLines): blank-separated tokens, decimal
// numbers, printf into a text, and the safety-copy names and messages every table writer shares. Nothing here
// has a fixed buffer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "platform/sys/text_lines.h"
#include "plugin/services/tables.h"

// Tokens separated by blanks, tabs and CRs; empty tokens are not made.
std::vector<std::string_view> blankTokens(std::string_view text);
bool isBlankLine(std::string_view text);
bool startsWith(std::string_view text, std::string_view prefix);

// Decimal conversions of a token's leading number, 0 when there is none (atoi/atof without a locale).
long tokenLong(std::string_view token);
double tokenDouble(std::string_view token);
// Whether the whole token is a decimal integer, or a decimal number.
bool isIntegerToken(std::string_view token);
bool isNumberToken(std::string_view token);

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The safety copy of a table file or rows file in the work folder: "<tmp>/<title>.Ta~" and
// "<tmp>/<title>.tx~".
std::string tableSafetyCopyPath(std::string_view tablePath);
std::string rowsSafetyCopyPath(std::string_view tablePath);
// The rows file beside a table file: the same drive, folder and title with ".txt".
std::string rowsFilePath(std::string_view tablePath);

// Copies `file` over `copy` when `file` exists; false (the user told) only when it exists and the copy fails.
[[nodiscard]] bool takeSafetyCopy(const std::string& file, const std::string& copy);
// Writes a table's file whole through the platform's atomic write; on failure the old file stays and the
// user is told (ErrorMessages 190 with the path). Returns true when written.
[[nodiscard]] bool writeTableFile(const std::string& path, std::string_view bytes);
// ErrorMessages line `id` followed by the path on a new line, caption line 1, OK.
void showTableMessage(int id, std::string_view path);
// A table file or rows file that is not used: ErrorMessages 191, the path and `what` (a filled line saying
// what is wrong). While a TableDamageNotices (tab_cols_desc.h) lives, a file is told once for the same bytes.
void showTableDamage(std::string_view path, std::string_view bytes, const std::string& what);
// ErrorMessages line `id` with its first conversion filled by `argument` ("" leaves the line as written).
std::string damageText(int id, std::string_view argument = {});

// What keeps a file's bytes from being read whole, as the line telling it ("" when nothing does): NUL bytes,
// which no text of the tables holds and a disk leaves where a write never came; in a rows file, also a last row
// without its line end, which the writer ends every row with: the file was cut inside that row.
std::string tableBytesDamage(std::string_view bytes);
std::string rowsBytesDamage(std::string_view bytes);

// What the table file's reader makes of its bytes: "" with `t` filled (its flags left as they are), or the
// line telling what is wrong, `t` then half filled.
std::string parseTable(const std::string& tablePath, const std::string& bytes, CTabColsDesc& t);

// A number token as the tables store one: the whole token a decimal number, finite, and within `limit`.
bool isFiniteNumberToken(std::string_view token, double limit = 1e9);

constexpr int kMsgNoItems = 78;          // a table file without column descriptions
constexpr int kMsgNamedTableMissing = 161;
constexpr int kMsgNoDrillTable = 57;
constexpr int kMsgTableNotWritten = 190;
constexpr int kMsgRowsFileLost = 205;     // the rows file of a table taken from a shared library is missing
constexpr int kMsgRowsFileLostUnshared = 206;   // the same for a table the shared library does not hold
constexpr int kMsgTableDamaged = 191;
// What is wrong with a damaged table (the line after the path).
constexpr int kMsgClassLine = 193, kMsgUnknownVersion = 194, kMsgColumnIds = 195, kMsgPartMissing = 196,
              kMsgNotANumber = 197, kMsgRowNumber = 198, kMsgVersionColumns = 199, kMsgOperationDamaged = 200,
              kMsgItemLine = 201, kMsgTooManyTables = 203, kMsgNulBytes = 207, kMsgRowCut = 208,
              kMsgRowsEmpty = 209, kMsgRowNotWritten = 210;
