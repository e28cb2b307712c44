// SDT hole tables: one hole per line, a text part of 84 characters (kind words, thread designation) and,
// from the 85th character, eight numbers (diameter, top point A, bottom point B, thread depth) in the
// file's own units. The table is read whole before anything is made of it, so that a damaged file changes
// nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class SdtKind { Fit, Tapped };

// One reamed or tapped hole of the table (plain holes are not kept).
struct SDT_HOLE {
    int line = 0;                   // 1-based
    SdtKind kind = SdtKind::Fit;
    std::string designation;        // tapped: the thread looked up in the thread tables
    std::int16_t family = -1;       // tapped: -1 any thread table, 0 standard, 1000 pipe threads
    double diameter = 0;
    double top[3] = {}, bottom[3] = {};
    double threadDepth = 0;
};

struct SDT_TABLE {
    double version = 0;             // 0 without a "Version:" line
    char units = 'M';               // 'M' millimetres (also without "UNITS:"), 'I' inches
    bool hasData = false;           // a line beginning with a digit was found
    std::vector<SDT_HOLE> holes;
    int damagedLine = 0;            // 1-based; 0 when the file reads
    int damage = 0;                 // the "ErrorMessages" line that says what is wrong there
};

// Whether the version is one of 1.0, 1.01 and 1.02 (within rounding of the written decimals).
bool sdtVersionAccepted(double version);
// The file's bytes, 8-bit or UTF-16 little-endian after FF FE, as a table. Reading stops at the first
// damaged line (the version is told anyway, for the check that comes first).
SDT_TABLE parseSdtTable(std::string_view bytes);
