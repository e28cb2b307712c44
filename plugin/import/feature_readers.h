// The readers that make their own feature marks from an interchange file, run by the import by the file's
// extension.
#pragma once
#include <string>

// Each reads the whole file before it adds a mark (drawn, origin 2). 0 at the normal end; 1 stopped at the
// user's answer to a message before any mark was added; 2 refused after a message (a file that cannot be
// opened, a damaged line or value named with its line, more marks than the part holds); 3 cancelled at the
// progress box; 4 (kImportStoppedKept) stopped at the user's answer with the marks read before kept; -1 a
// mark could not be added. Run inside replaceImportedMarks: whatever was added goes again unless the
// result is 0 or 4.

// Reads an SDT hole table; adds a mark per reamed or tapped hole, then removes duplicates.
int readSdtFile(const std::string& path);
// Reads the hole features of a STEP file; adds a mark per fitted or tapped hole.
int readStepFile(const std::string& path);
