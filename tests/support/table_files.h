// Table files written by hand for tests: a ".tab" text of the stored layout (CR LF lines) and its rows
// file. A reference table has the columns designation, diameter, pitch, drilled diameter and safety, as
// the thread tables do; its [Prm] line carries the chamfer window, the largest chamfer and the diameter
// tolerance.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/sys/files.h"

struct REFERENCE_TABLE {
    int tableClass = 2;
    int kind = 1;                   // fourth [Class] value: the thread kind
    double diameterTolerance = 0.01;
    double chamferA = 0, chamferB = 0, maxChamfer = 0;   // radians, radians, length
    std::string processPart;        // the lines after "[Process]" ("" for none)
};

inline std::string referenceTableText(const REFERENCE_TABLE& t) {
    char prm[256];
    std::snprintf(prm, sizeof prm, "0 0.000 0.000 0 0.000 0 0.000 0 %.6f %.6f %.3f 0 0.000 0 0.000 0 0.000 %.3f 0.160\r\n",
                  t.chamferA, t.chamferB, t.maxChamfer, t.diameterTolerance);
    std::string text = "[Class] " + std::to_string(t.tableClass) + " 21 0 " + std::to_string(t.kind) + " 0\r\n";
    text += "[Desc]\r\n"
            "[Item 1] 0 1 \"Thread\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
            "[Item 2] 6 2 \"Diameter\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
            "[Item 3] 7 3 \"Pitch\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
            "[Item 4] 4 4 \"Drill\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
            "[Item 5] 5 5 \"Safety Tap\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n";
    text += "[Prm]\r\n" + std::string(prm);
    text += "[BmpPrm]\r\n1.0000 0";
    for (int i = 0; i < 43; ++i) text += " 0";
    text += " \r\n[BmpLastVal]\r\n12.0000 1.0000 45.00 0 118.0";
    for (int i = 0; i < 16; ++i) text += " 0";
    text += " 0000000000\r\n";
    text += "[Process]\r\n" + t.processPart;
    return text;
}

constexpr const char* kPlainPrm = "0 0.000 0.000 0 0.000 0 0.000 0 0.000000 0.000000 0.000 0 0.000 0 0.000 0 0.000 0.010 0.000";

// The parts every table file has after its column descriptions, with plain values: [Prm] (by default with a
// diameter tolerance of 1 %), [BmpPrm], [BmpLastVal] and the [Process] part holding `processPart`.
inline std::string tableTail(const std::string& processPart = "", const std::string& prm = kPlainPrm) {
    std::string text = "[Prm]\r\n" + prm + "\r\n";
    text += "[BmpPrm]\r\n0.0000 0";
    for (int i = 0; i < 43; ++i) text += " 0";
    text += " \r\n[BmpLastVal]\r\n12.0000 1.0000 45.00 0 118.0";
    for (int i = 0; i < 16; ++i) text += " 0";
    return text + " 0000000000\r\n[Process]\r\n" + processPart;
}

// A whole table file of the class and version with the item lines given.
inline std::string tableText(int tableClass, int version, const std::string& items, const std::string& processPart = "",
                             const std::string& prm = kPlainPrm) {
    return "[Class] " + std::to_string(tableClass) + " " + std::to_string(version) + " 0 0 0\r\n[Desc]\r\n" + items +
           tableTail(processPart, prm);
}

// "<folder>/<name>.tab" and, when rows are given, "<folder>/<name>.txt" (one row a line, cells blank-separated).
inline void writeReferenceTable(const std::string& folder, const std::string& name, const REFERENCE_TABLE& t,
                                const std::string& rows) {
    ASSERT_TRUE(plat::writeFile(folder + "/" + name + ".tab", referenceTableText(t)));
    if (!rows.empty()) {
        ASSERT_TRUE(plat::writeFile(folder + "/" + name + ".txt", rows));
    }
}
