// The import command: the file chosen, read by the reader its extension names, and its features put in
// place of the marks an earlier import made. A file that cannot be read is refused before any mark is
// touched; a reader that fails after it began adding marks leaves the list as it found it.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
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
    g_records->featureMarkCount = static_cast<std::int16_t>(marks.size());
}

// The listed marks of origin kLeaving leave the list with their entities.
void dropLeaving() {
    g_records->featureMarks = projectHolesToView(g_records->viewsTree, g_records->featureMarks, kLeaving);
}

// Reads a TFF or KTW file and puts its features in place of the imported marks.
void importFeatureList(const std::string& path, bool ktw) {
    std::FILE* file = std::fopen(path.c_str(), ktw ? "rb" : "r");
    if (!file) return;
    IMPORT_FAULT fault;
    IMPORT_FEAT* list = ktw ? readKtwFile(file, fault) : readTffFile(file, fault);
    std::fclose(file);
    if (fault.line != 0) {
        import_text::refuseDamagedFile(path, fault);
        return;
    }
    int skipped = 0;
    (void)replaceImportedMarks([&] { return importFeatsToMarks(list, &skipped); });
    freeImportFeats(list);
    if (skipped > 0) {
        const std::string text = fillText(errorMessage(import_texts::kNoDirection), {static_cast<long>(skipped), path});
        plat::messageBox(nullptr, text, errorMessage(import_texts::kCaption), plat::MB_OK | plat::MB_ICONWARNING);
    }
}

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

int importFeatsToMarks(IMPORT_FEAT* head, int* skipped) {
    for (const IMPORT_FEAT* feat = head; feat; feat = feat->next) {
        const int positions = std::clamp(feat->positionCount, 0, kMaxImportPositions);
        const int segments = std::clamp(feat->segmentCount, 0, kMaxImportSegments);
        for (int p = 0; p < positions; ++p) {
            const IMPORT_FEAT_POS& pos = feat->positions[p];
            const double len = std::hypot(pos.direction[0], pos.direction[1], pos.direction[2]);
            if (!(len > 1e-12) || !std::isfinite(len)) {
                if (skipped) ++*skipped;
                continue;
            }
            for (int g = 0; g < segments; ++g) {
                const IMPORT_FEAT_SEG& seg = feat->segments[g];
                if (seg.type != IMPORT_SEG_FIT && seg.type != IMPORT_SEG_TAP) continue;
                FEATURE_MARK mark{};
                mark.origin = kImportedOrigin;
                for (int k = 0; k < 3; ++k) {
                    mark.direction[k] = pos.direction[k] / len;
                    // The segment's top: its offset along the axis, into the hole.
                    mark.point[k] = pos.point[k] - seg.offset * mark.direction[k];
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
                if (!addFeatureMark(mark, 1, 0)) return -1;
            }
        }
    }
    return 0;
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
    if (result == 0) {
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
