// The interchange import inside the import subsystem: the choice of the file, the readers of the two
// formats that give a list of imported features (TFF, KTW), the list's conversion into feature marks, and
// the replacement of the marks of an earlier import, which leaves the part's marks as they were when an
// import fails. Lengths are in the part's units.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/import/import_text.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/import_feat.h"

// The other "ErrorMessages" lines of the import.
namespace import_texts {
constexpr int kCaption = 1, kNoMemory = 35, kNoDirection = 257, kCutFeatures = 263;
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

// What an import's adding of marks ends in, beside 0 (done) and -1 (a mark could not be added): refused
// after a message, or cancelled by the user.
constexpr int kImportRefused = 2, kImportCancelled = 3;
// The user stopped the reading at a message after marks were added: those stay, in place of the earlier
// imported marks, as at the normal end.
constexpr int kImportStoppedKept = 4;

// The marks of the list: one of origin 2 for every fit and tap segment of every position, in the order
// record, position, segment; a position without a direction gives none and counts in `*skipped`. False,
// with `fault` naming the line of the segment or position and why, when a mark's values make no hole
// (import_text::unusableMark); `marks` is then empty.
bool importFeatMarks(const IMPORT_FEAT* head, std::vector<FEATURE_MARK>& marks, int* skipped, IMPORT_FAULT& fault);
// How many marks importFeatMarks makes of the list, counted without making them.
std::size_t importedMarkCount(const IMPORT_FEAT* head);
// importFeatMarks, then the marks added and drawn. 0; kImportRefused when a mark's values make no hole
// (nothing added); -1 when a mark could not be added.
int importFeatsToMarks(IMPORT_FEAT* head, int* skipped = nullptr);
// Adds the marks read from `path`, drawn, beside the marks in the list. Refused whole (kImportRefused,
// told) when the list would hold more than kMaxFeatureMarks; many marks show the progress box, whose
// Cancel stops the adding (kImportCancelled). 0 when all were added; -1 when one could not be. Meant to
// run inside replaceImportedMarks, which takes back what was added when the result is not 0.
int addImportedMarks(const std::vector<FEATURE_MARK>& marks, const std::string& path);

// Runs `addMarks` in place of the marks of origin 2 (marks whose entities are gone leave first): with a
// result of 0 or kImportStoppedKept the earlier imported marks are deleted; otherwise the marks it added go
// and the list is as it was. The result of `addMarks`.
int replaceImportedMarks(const std::function<int()>& addMarks);
