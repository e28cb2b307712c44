// The readers that make their own feature marks from an interchange file, run by the import by the file's
// extension.
#pragma once
#include <string>

// Each reads the whole file before it adds a mark (drawn, origin 2). 0 at the normal end (also for a file
// that cannot be opened); 1 stopped at the user's answer to a message, with the marks added before; 2 refused
// as damaged after a message naming the file and line, no mark added; -1 a mark could not be added.

// Reads an SDT hole table; adds a mark per reamed or tapped hole, then removes duplicates.
int readSdtFile(const std::string& path);
// Reads the hole features of a STEP file; adds a mark per fitted or tapped hole.
int readStepFile(const std::string& path);
