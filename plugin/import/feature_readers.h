// The readers that make their own feature marks from an interchange file, run by the import by the file's
// extension.
#pragma once
#include <string>

// Reads an SDT hole table; adds a mark per reamed or tapped hole. 0 at the normal end.
int readSdtFile(const std::string& path);
// Reads the hole features of a STEP file; adds a mark per fitted or tapped hole.
int readStepFile(const std::string& path);
