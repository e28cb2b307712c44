// The interchange import inside the import subsystem: the choice of the file, the readers of the two
// formats that give a list of imported features (TFF, KTW), the list's conversion into feature marks, and
// the replacement of the marks of an earlier import, which leaves the part's marks as they were when an
// import fails. Lengths are in the part's units.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "plugin/import/import_text.h"
#include "plugin/model/import_feat.h"

// The other "ErrorMessages" lines of the import.
namespace import_texts {
constexpr int kCaption = 1, kNoMemory = 35, kNoDirection = 257;
}

// Asks for the file ("InterchgFiles" 11 to 15 name the filter's entries) starting at `interchangePath`;
// keeps the filter index the user left. 0 when a file was chosen (now in `interchangePath`); 1 when the
// dialog was cancelled, or could not be shown because the section is missing (the loader said so).
int askInterchgFile();

// Appends a heap copy of `feat` after the last record of the list that `any` belongs to (null: a new
// list). The copy; null, after "ErrorMessages" 35, when memory ran out.
IMPORT_FEAT* newImportFeat(const IMPORT_FEAT& feat, IMPORT_FEAT* any);

// The readers: the head of the new list (null when the file holds no feature). A file that cannot be
// read gives null with `fault` set (line 0 when there is no fault); no list is left behind then.
IMPORT_FEAT* readTffText(std::string_view text, IMPORT_FAULT& fault);
IMPORT_FEAT* readTffFile(std::FILE* file, IMPORT_FAULT& fault);
// KTW lengths are metres; they come in the part's units.
IMPORT_FEAT* readKtwText(std::string_view text, IMPORT_FAULT& fault);
IMPORT_FEAT* readKtwFile(std::FILE* file, IMPORT_FAULT& fault);

// A feature mark of origin 2 for every fit and tap segment of every position, in the order record,
// position, segment; a position without a direction gives none and counts in `*skipped`. 0; -1 when a
// mark could not be added.
int importFeatsToMarks(IMPORT_FEAT* head, int* skipped = nullptr);

// Runs `addMarks` in place of the marks of origin 2 (marks whose entities are gone leave first): with a
// result of 0 the earlier imported marks are deleted; otherwise the marks it added go and the list is as
// it was. The result of `addMarks`.
int replaceImportedMarks(const std::function<int()>& addMarks);
