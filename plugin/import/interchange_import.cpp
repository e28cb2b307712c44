// The import command: the file chosen, read by the reader its extension names, and its features put in
// place of the marks an earlier import made. A file that cannot be opened or read, whose values make no
// hole or whose marks the part cannot hold is refused before any mark is touched; an adding that fails or
// that the user cancels leaves the list as it found it.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/import/feature_readers.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "plugin/services/import.h"

namespace {

constexpr std::int16_t kImportedOrigin = 2;
// Imports of this many marks and more show the progress box, with its Cancel ("ProgressBoxDlg" 14).
constexpr std::size_t kProgressFrom = 1000;
constexpr std::int16_t kProgressImporting = 14;
// The origin that marks the marks to drop while the list is rearranged; no mark keeps it.
constexpr std::int16_t kLeaving = -2;

// The marks of the list in order, at most as many as its count.
std::vector<FEATURE_MARK*> marksInList() {
    std::vector<FEATURE_MARK*> marks;
    FEATURE_MARK* mark = g_records->featureMarks;
    for (int at = 0; mark && at < g_records->featureMarkCount; ++at, mark = mark->next) marks.push_back(mark);
    return marks;
}

// The list made of these marks in this order.
void relink(const std::vector<FEATURE_MARK*>& marks) {
    for (std::size_t i = 0; i < marks.size(); ++i)
        marks[i]->next = i + 1 < marks.size() ? marks[i + 1] : nullptr;
    g_records->featureMarks = marks.empty() ? nullptr : marks.front();
    g_records->featureMarkCount = static_cast<std::int32_t>(marks.size());
}

// The listed marks of origin kLeaving leave the list with their entities.
void dropLeaving() {
    g_records->featureMarks = projectHolesToView(g_records->viewsTree, g_records->featureMarks, kLeaving);
}

// The marks that an import keeps: those not of origin 2.
std::size_t keptMarkCount() {
    std::size_t kept = 0;
    for (const FEATURE_MARK* mark : marksInList()) kept += mark->origin != kImportedOrigin ? 1 : 0;
    return kept;
}

// Reads a TFF or KTW file and puts its features in place of the imported marks. Everything that can refuse
// the file (its opening, its lines, its values, the count of its marks) comes before any mark is touched.
void importFeatureList(const std::string& path, bool ktw) {
    const std::optional<std::string> text = import_text::readImportFile(path);
    if (!text) return;
    IMPORT_FAULT fault;
    IMPORT_FEAT* list = ktw ? readKtwText(*text, fault) : readTffText(*text, fault);
    if (fault.line != 0) {
        import_text::refuseDamagedFile(path, fault);
        return;
    }
    const IMPORT_FAULT cut = fault;
    std::vector<FEATURE_MARK> marks;
    int skipped = 0;
    const bool room = import_text::roomForMarks(path, importedMarkCount(list), keptMarkCount());
    const bool usable = room && importFeatMarks(list, marks, &skipped, fault);
    freeImportFeats(list);
    if (!room) return;
    if (!usable) {
        import_text::refuseDamagedFile(path, fault);
        return;
    }
    if (replaceImportedMarks([&] { return addImportedMarks(marks, path); }) != 0) return;
    auto warn = [](const std::string& text) {
        plat::messageBox(nullptr, text, errorMessage(import_texts::kCaption), plat::MB_OK | plat::MB_ICONWARNING);
    };
    if (cut.cutFeatures > 0)
        warn(fillText(errorMessage(import_texts::kCutFeatures),
                      {static_cast<long>(cut.cutFeatures), path, static_cast<long>(cut.firstCutLine)}));
    if (skipped > 0) warn(fillText(errorMessage(import_texts::kNoDirection), {static_cast<long>(skipped), path}));
}

// The unit axis of a position; false when it has none.
bool unitAxis(const IMPORT_FEAT_POS& pos, double axis[3]) {
    const double len = std::hypot(pos.direction[0], pos.direction[1], pos.direction[2]);
    if (!(len > 1e-12) || !std::isfinite(len)) return false;
    for (int k = 0; k < 3; ++k) axis[k] = pos.direction[k] / len;
    return true;
}

bool marksSegment(const IMPORT_FEAT_SEG& seg) { return seg.type == IMPORT_SEG_FIT || seg.type == IMPORT_SEG_TAP; }

}  // namespace

int askInterchgFile() {
    PRM_SETTINGS& s = g_globals->settings;
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "InterchgFiles", true) != 0) return 1;
    static const char* const kExtensions[] = {"TFF", "KTW", "SDT", "STEP", "SDT"};
    std::string filter;
    for (int i = 0; i < 5; ++i) {
        const std::string name(import_text::trimmed(texts.getText(11 + i)));
        if (!name.empty()) filter += name + "|*." + kExtensions[i] + "|";
    }
    filter += "|";
    std::int16_t index = s.interchangeFilterIndex;
    const std::string path = openFileDialog(true, false, s.interchangePath, "", filter, &index);
    s.interchangeFilterIndex = index;
    if (path.empty()) return 1;
    s.interchangePath = path;
    return 0;
}

int importInterchgFile() {
    if (askInterchgFile() != 0) return 0;
    const std::string path = g_globals->settings.interchangePath;
    std::string ext = plat::splitPath(path).ext;
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".KTW" || ext == ".TFF") importFeatureList(path, ext == ".KTW");
    else if (ext == ".SDT") (void)replaceImportedMarks([&] { return readSdtFile(path); });
    else if (ext == ".STEP") (void)replaceImportedMarks([&] { return readStepFile(path); });
    return 0;
}

std::size_t importedMarkCount(const IMPORT_FEAT* head) {
    std::size_t count = 0;
    for (const IMPORT_FEAT* feat = head; feat; feat = feat->next) {
        const int positions = std::clamp(feat->positionCount, 0, kMaxImportPositions);
        const int segments = std::clamp(feat->segmentCount, 0, kMaxImportSegments);
        std::size_t perPosition = 0;
        for (int g = 0; g < segments; ++g) perPosition += marksSegment(feat->segments[g]) ? 1 : 0;
        double axis[3];
        for (int p = 0; p < positions; ++p) count += unitAxis(feat->positions[p], axis) ? perPosition : 0;
    }
    return count;
}

bool importFeatMarks(const IMPORT_FEAT* head, std::vector<FEATURE_MARK>& marks, int* skipped, IMPORT_FAULT& fault) {
    marks.clear();
    fault = IMPORT_FAULT{};
    for (const IMPORT_FEAT* feat = head; feat; feat = feat->next) {
        const int positions = std::clamp(feat->positionCount, 0, kMaxImportPositions);
        const int segments = std::clamp(feat->segmentCount, 0, kMaxImportSegments);
        for (int p = 0; p < positions; ++p) {
            const IMPORT_FEAT_POS& pos = feat->positions[p];
            double axis[3];
            if (!unitAxis(pos, axis)) {
                if (skipped) ++*skipped;
                continue;
            }
            for (int g = 0; g < segments; ++g) {
                const IMPORT_FEAT_SEG& seg = feat->segments[g];
                if (!marksSegment(seg)) continue;
                FEATURE_MARK mark{};
                mark.origin = kImportedOrigin;
                for (int k = 0; k < 3; ++k) {
                    mark.direction[k] = axis[k];
                    // The segment's top: its offset along the axis, into the hole.
                    mark.point[k] = pos.point[k] - seg.offset * axis[k];
                }
                mark.length = seg.depth;
                mark.diameter = seg.diameter;
                if (seg.type == IMPORT_SEG_FIT) {
                    mark.isFit = 1;
                    mark.fitDiameter = seg.diameter2;
                } else {
                    mark.isTap = 1;
                    mark.tapDiam = seg.diameter;
                    mark.threadKind = -1;
                    mark.tapPitch = seg.pitch;
                    mark.threadDepth = 0;
                }
                if (const int reason = import_text::unusableMark(mark)) {
                    const bool positionFar = reason == import_texts::kOutOfReach && !import_text::withinReach(pos.point);
                    fault.line = positionFar || seg.line == 0 ? pos.line : seg.line;
                    fault.reason = reason;
                    marks.clear();
                    return false;
                }
                marks.push_back(mark);
            }
        }
    }
    return true;
}

int importFeatsToMarks(IMPORT_FEAT* head, int* skipped) {
    std::vector<FEATURE_MARK> marks;
    IMPORT_FAULT fault;
    if (!importFeatMarks(head, marks, skipped, fault)) return kImportRefused;
    return addFeatureMarks(marks, 1, 0) == marks.size() ? 0 : -1;
}

int addImportedMarks(const std::vector<FEATURE_MARK>& marks, const std::string& path) {
    const auto kept = static_cast<std::size_t>(std::max(g_records->featureMarkCount, 0));
    if (!import_text::roomForMarks(path, marks.size(), kept)) return kImportRefused;
    CProgressBox progress;
    const bool manyMarks = marks.size() >= kProgressFrom;
    if (manyMarks) {
        progress.open("", "");
        if (progress.stepMessage(kProgressImporting) != 0) return kImportCancelled;
    }
    const std::size_t every = std::max<std::size_t>(1, marks.size() / 100);
    bool cancelled = false;
    const std::size_t added = addFeatureMarks(marks, 1, 0, [&](std::size_t done) {
        if (!manyMarks || done == 0 || done % every != 0) return true;
        cancelled = progress.step() != 0;
        return !cancelled;
    });
    progress.close();
    if (cancelled) return kImportCancelled;
    return added == marks.size() ? 0 : -1;
}

int replaceImportedMarks(const std::function<int()>& addMarks) {
    dropLeaving();   // nothing is leaving yet: only the marks whose entities are gone go
    const std::vector<FEATURE_MARK*> before = marksInList();
    std::vector<FEATURE_MARK*> kept, earlier;
    for (FEATURE_MARK* mark : before) (mark->origin == kImportedOrigin ? earlier : kept).push_back(mark);
    relink(kept);

    const int result = addMarks();

    std::vector<FEATURE_MARK*> now = marksInList();
    const std::unordered_set<FEATURE_MARK*> old(before.begin(), before.end());
    if (result == 0 || result == kImportStoppedKept) {
        for (FEATURE_MARK* mark : earlier) mark->origin = kLeaving;
        now.insert(now.end(), earlier.begin(), earlier.end());
        relink(now);
        dropLeaving();
        return result;
    }
    // The reader failed: what it added goes, and the list is the one it was.
    std::unordered_set<FEATURE_MARK*> stay(earlier.begin(), earlier.end());
    for (FEATURE_MARK* mark : now) {
        if (old.count(mark)) stay.insert(mark);
        else mark->origin = kLeaving;
    }
    relink(now);
    dropLeaving();
    std::vector<FEATURE_MARK*> restored;
    for (FEATURE_MARK* mark : before)
        if (stay.count(mark)) restored.push_back(mark);
    relink(restored);
    return result;
}
