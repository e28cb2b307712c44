// Thread and fit attributes that the designer put into the part as labels on holes, as names of named
// entities drawn on them, or coded in entity names ("GD_M8_20": tapped M8; "PD_10H7_25", "S2D_10_H7_25":
// fit class H7). Each source is given a position and its attribute goes to every recognised segment it
// touches. T and 2T are g_tolerances.tolT and tol2T; positions are compared in the segment's view frame.
#pragma once
#include <string>
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct CYL_LIST;

// A coded name: "GD_", "GS_", "GF_" + designation + "_" [number] gives the thread designation;
// "PD_", "PS_", "PF_" + [number] + class + "_" [number] and "S2D_", "S2S_", "S2F_" + number + ["_"] +
// class + "_" [number] give the fit class. A number is digits, points and commas (the first comma read as
// a point); `number` receives the last one read. All outputs are cleared first; true for a valid code.
bool parseNameHoleAttrib(const std::string& name, std::string& fitClass, std::string& threadName,
                         std::string& number);

// A free text: one holding "H" gives its first blank-delimited word as the fit class; any other its first
// word as the thread designation (true when that word is not empty). Both outputs are cleared first.
bool splitFitOrThread(const std::string& text, std::string& fitClass, std::string& threadName);

// The hole bottom below the segment: z = its zInf and true when it is the last of its chain; with exactly
// one segment after it that is a drill tip (full angle within the drawn-tip settings widened by 0.1
// degree), z = the tip's zInf and true; false otherwise.
bool holeBottomZ(const CYL_LIST* seg, double* z);
