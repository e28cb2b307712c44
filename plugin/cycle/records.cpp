// Saving and loading the work cycle's records. The stream "DRLU" holds the images of the tree with its
// operations, process copies and description arrays, then the generated groups; the table "DRLT" has one
// RECORD_ENTRY per image or marker. A link slot holds the identity this writer gave the linked record, in
// stream order (a save is the same bytes every time); the loader maps identities of kinds 1, 2 and 4 to the
// new records. Every count and size read is checked against the bytes there are.
#include "plugin/cycle/records.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/part_record.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/work_records.h"

namespace {

constexpr std::size_t kTableRefSize = 2127;
constexpr std::size_t kMaxRunText = 1024;
constexpr std::size_t kStoredProcessName = 42;
// The run table reference as stored: two paths, table name, process name, time, flag.
static_assert(1024 + 1024 + 32 + kStoredProcessName + 4 + 1 == kTableRefSize);

std::string header(const char* tagAndVersion, std::size_t count) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%09li", tagAndVersion, static_cast<long>(count));
    return text;
}

// A table entry's fields in stored order (22 bytes).
template <class IO, class ENTRY>
void recordEntryFields(IO& io, ENTRY& e) {
    io(e.kind);
    io(e.offset);
    io(e.size);
    io(e.value);
    io(e.entry);
    io(e.oldAddress);
}

// The head of the tools' and the sequence's records: how many items follow and the size of one.
struct LIST_HEAD {
    std::uint32_t count = 0;
    std::uint32_t itemSize = 0;
};

template <class IO, class HEAD>
void listHeadFields(IO& io, HEAD& h) {
    io(h.count);
    io(h.itemSize);
}

// ---- identities -------------------------------------------------------------------------------------------

// Identity numbers from 1 on, in the order records are first named.
class IDENTITIES {
public:
    std::uint32_t of(const void* record) {
        if (!record) return 0;
        auto [it, added] = ids_.try_emplace(record, next_);
        if (added) ++next_;
        return it->second;
    }
    LinkIdOf function() {
        return [this](const void* record) { return of(record); };
    }

private:
    std::map<const void*, std::uint32_t> ids_;
    std::uint32_t next_ = 1;
};

// ---- the stream -------------------------------------------------------------------------------------------

template <class F>
void walkStream(VIEW_LIST* tree, F&& visit) {
    for (VIEW_LIST* view = tree; view; view = view->next) {
        visit(kRecView, view);
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            visit(kRecPoint, point);
            if (point->chainMember == 0) {
                for (OPE_LIST* ope = point->opeList; ope; ope = ope->next) {
                    visit(kRecOpe, ope);
                    if (ope->processOpe) visit(kRecProcessCopy, ope->processOpe.get());
                }
            }
            visit(kRecDescs, point);
            for (CYL_LIST* cyl = point->firstCyl; cyl; cyl = cyl->next) visit(kRecCyl, cyl);
        }
    }
}

std::vector<GEN_OP_GROUP*> savedGroups() {
    std::vector<GEN_OP_GROUP*> groups;
    GEN_OP_GROUP* group = g_records->genOpGroups;
    for (int i = 0; i < g_records->genOpGroupCount && group; ++i, group = group->next) groups.push_back(group);
    return groups;
}

// The entity ids a cylinder's record lists in the table: its count, within what the record holds.
int listedEntities(const CYL_LIST& cyl) { return std::clamp<int>(cyl.entCount, 0, kMaxCylEnts); }

// What the stream and its table will hold: the stream's byte count heads its record before any of it is
// written (a large part's stream is tens of megabytes and never held whole), and the table is made in one
// buffer.
struct STREAM_SIZE {
    std::size_t bytes = 4;     // the closing zeros
    std::size_t entries = 1;   // the marker
};

// Every record of the stream is numbered before any image is written, so links to records further on get
// the numbers those records are written with; the tool sequence names its operations by the same numbers.
STREAM_SIZE numberStream(VIEW_LIST* tree, IDENTITIES& ids) {
    STREAM_SIZE size;
    walkStream(tree, [&](RECORD_KIND kind, void* record) {
        const auto* point = static_cast<const POINT_LIST*>(record);
        ids.of(kind == kRecDescs ? static_cast<void*>(point->descs) : record);
        ++size.entries;
        switch (kind) {
        case kRecView: size.bytes += kViewListSize; break;
        case kRecPoint: size.bytes += kPointListSize; break;
        case kRecOpe: size.bytes += OPE_LIST::kSize; break;
        case kRecProcessCopy: size.bytes += PROCESS_OPE::kSize; break;
        case kRecDescs: size.bytes += point->descs ? point->descCount * CIL_DESC::kSize : 0; break;
        case kRecCyl: {
            const auto* cyl = static_cast<const CYL_LIST*>(record);
            size.bytes += kCylListSize;
            size.entries += static_cast<std::size_t>(listedEntities(*cyl));
            break;
        }
        default: break;
        }
    });
    for (GEN_OP_GROUP* group : savedGroups()) {
        ids.of(group);
        size.bytes += GEN_OP_GROUP::kSize;
        ++size.entries;
    }
    return size;
}

void writeStream(VIEW_LIST* tree) {
    IDENTITIES ids;
    const STREAM_SIZE size = numberStream(tree, ids);
    const std::vector<GEN_OP_GROUP*> groups = savedGroups();
    const LinkIdOf idOf = ids.function();

    std::vector<RECORD_ENTRY> table;
    table.reserve(size.entries);
    // The stream goes to the part as it is written: it is the size of the tree itself.
    const std::string streamHeader = header("DRLUd66", size.bytes);
    const std::int32_t level = g_globals->settings.featuresLevel;
    const int failed = writePartRecordWritten(level, streamHeader, size.bytes, [&](ByteWriter& out) {
        auto image = [&](RECORD_KIND kind, const void* identity, auto&& write) {
            RECORD_ENTRY entry;
            entry.kind = kind;
            entry.offset = static_cast<std::uint32_t>(out.size());
            write();
            entry.size = static_cast<std::uint32_t>(out.size() - entry.offset);
            entry.oldAddress = ids.of(identity);
            table.push_back(entry);
        };
        auto marker = [&](RECORD_KIND kind, std::uint32_t value) {
            RECORD_ENTRY entry;
            entry.kind = kind;
            entry.value = value;
            table.push_back(entry);
        };

        walkStream(tree, [&](RECORD_KIND kind, void* record) {
            switch (kind) {
            case kRecView: {
                const auto* view = static_cast<const VIEW_LIST*>(record);
                image(kind, view, [&] { writeViewImage(*view, idOf, out); });
                break;
            }
            case kRecPoint: {
                const auto* point = static_cast<const POINT_LIST*>(record);
                image(kind, point, [&] { writePointImage(*point, idOf, out); });
                break;
            }
            case kRecOpe: {
                const auto* ope = static_cast<const OPE_LIST*>(record);
                image(kind, ope, [&] { out.putBytes(opeImage(*ope, idOf).data(), OPE_LIST::kSize); });
                break;
            }
            case kRecProcessCopy: {
                const auto* copy = static_cast<const PROCESS_OPE*>(record);
                image(kind, copy, [&] { out.putBytes(copy->bytes, PROCESS_OPE::kSize); });
                break;
            }
            case kRecDescs: {
                const auto* point = static_cast<const POINT_LIST*>(record);
                image(kind, point->descs, [&] {
                    for (std::size_t i = 0; point->descs && i < point->descCount; ++i)
                        out.putBytes(cilDescImage(point->descs[i]).data(), CIL_DESC::kSize);
                });
                break;
            }
            case kRecCyl: {
                const auto* cyl = static_cast<const CYL_LIST*>(record);
                image(kind, cyl, [&] { writeCylImage(*cyl, idOf, out); });
                const int listed = listedEntities(*cyl);
                for (int i = 0; i < listed; ++i) marker(kRecCylEntity, static_cast<std::uint32_t>(cyl->ents[i].id));
                break;
            }
            case kRecCylEntity:
            case kRecMarker:
            case kRecGroup:
            case kRecFeatureMark:
                break;
            }
        });
        marker(kRecMarker, g_globals->markerId);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const GEN_OP_GROUP* group = groups[i];
            GEN_OP_GROUP last = *group;
            if (i + 1 == groups.size()) last.next = nullptr;
            image(kRecGroup, group, [&] { out.putBytes(genOpGroupImage(last, idOf).data(), GEN_OP_GROUP::kSize); });
        }
        out.putZeros(4);
    });
    assert(table.size() == size.entries);
    if (failed != 0) return;   // the old stream and its table stay, together

    const std::vector<std::uint8_t> tableBytes = encodeRecordTable(table);
    writePartRecord(g_globals->settings.featuresLevel, header("DRLTd66", tableBytes.size()), tableBytes);
}

void writeFeatureMarks() {
    IDENTITIES ids;
    std::vector<std::uint8_t> images;
    std::vector<RECORD_ENTRY> table;
    FEATURE_MARK* mark = g_records->featureMarks;
    for (int i = 0; i < g_records->featureMarkCount && mark; ++i, mark = mark->next) {
        FEATURE_MARK copy = *mark;
        if (i + 1 == g_records->featureMarkCount) copy.next = nullptr;
        RECORD_ENTRY entry;
        entry.kind = kRecFeatureMark;
        entry.offset = static_cast<std::uint32_t>(images.size());
        entry.size = FEATURE_MARK::kSize;
        entry.oldAddress = ids.of(mark);
        const auto image = featureMarkImage(copy, ids.function());
        images.insert(images.end(), image.begin(), image.end());
        table.push_back(entry);
    }
    writePartRecord(g_globals->settings.featuresLevel, header("DFTUd05", images.size()), images);
    const std::vector<std::uint8_t> tableBytes = encodeRecordTable(table);
    writePartRecord(g_globals->settings.featuresLevel, header("DFTTd05", tableBytes.size()), tableBytes);
}

void writeRevision() {
    std::vector<std::uint8_t> payload;
    ByteWriter(payload).put<std::uint32_t>(kDataRevision);
    writePartRecord(g_globals->settings.featuresLevel, header("DREVddd", payload.size()), payload);
}

void writeTools() {
    std::vector<std::uint8_t> payload;
    ByteWriter out(payload);
    FIELDS_OUT io{out};
    const LIST_HEAD head{static_cast<std::uint32_t>(g_toolsArray->size()), kTpToolSize};
    listHeadFields(io, head);
    for (const tp_tool& tool : *g_toolsArray) out.putBytes(tpToolImage(tool).data(), kTpToolSize);
    writePartRecord(g_globals->settings.featuresLevel, header("TLSTd05", payload.size()), payload);
}

void writeToolSequence(VIEW_LIST* tree) {
    IDENTITIES ids;
    numberStream(tree, ids);

    std::vector<std::uint8_t> payload;
    ByteWriter out(payload);
    FIELDS_OUT io{out};
    const LIST_HEAD head{static_cast<std::uint32_t>(g_fullToolsSeq->size()), FULL_TOOLS_SEQ::kSize};
    listHeadFields(io, head);
    for (FULL_TOOLS_SEQ& entry : *g_fullToolsSeq) {
        out.putBytes(toolsSeqImage(entry, ids.function()).data(), FULL_TOOLS_SEQ::kSize);
        for (const OPE_LIST* ope : entry.opes) out.put<std::uint32_t>(ids.of(ope));
        // The tree goes right after the save: nothing may keep pointing into it.
        entry.opes.clear();
        entry.opes.shrink_to_fit();
        entry.view = nullptr;
    }
    writePartRecord(g_globals->settings.featuresLevel, header("TSEQd05", payload.size()), payload);
}

void putFixedText(ByteWriter& out, const char* text, std::size_t capacity, std::size_t field) {
    const std::size_t n = strnlen(text, capacity);
    const std::size_t kept = n < field ? n : field - 1;
    out.putBytes(text, kept);
    out.putZeros(field - kept);
}

void putRunText(ByteWriter& out, const std::string& text) {
    const std::size_t n = std::min(text.size(), kMaxRunText - 1);
    out.put<std::uint16_t>(static_cast<std::uint16_t>(n + 1));
    out.putBytes(text.data(), n);
    out.putZeros(1);
}

// The run block's fields (DRLPp01) in stored order, walked by its writer (RUN_BLOCK_OUT) and its reader
// (RUN_BLOCK_IN), so that a field is named once for both. The first five fields are the head, which every
// form of the record holds; the table reference is the part an old form keeps as a gap; the lists of carried
// bytes and words have their counts before the bytes and the words after the process tree's flags.
template <class IO>
void runBlockFields(IO& io) {
    PLUGIN_GLOBALS& g = *g_globals;
    RUN_STATS& s = g_records->runStats;
    RUN_SETTINGS& r = g_records->runSettings;
    io.head(g.markerLevel);
    io.head(s.tableHoleCount);
    io.head(s.stateCount2);
    io.head(s.stateCount4);
    io.head(s.stateCount3);
    io.tableRef(g_records->runTableRef);
    io.field(g_records->runReservedWord);
    io.block(g_records->runReservedBlock);
    io.carriedBytes(g_records->runBytes, g_records->runWords);
    io.field(g.settings.onlySelectedViews);
    io.field(s.holeCount);
    io.field(g_records->toolSequenceFlag);
    io.field(g_records->formCounter);
    io.field(s.stateCount6);
    io.field(s.crashIntoCount);
    io.field(s.noProblemCount);
    io.field(s.stateCount1);
    io.field(g_records->processTreeFlags);
    io.carriedWords(g_records->runWords);
    io.field(g.createdViewCounter);
    io.text(r.processMach1);
    io.text(r.processMach2);
    io.field(r.processMach11);
    io.field(r.processMach9);
    io.field(r.processMach39);
    io.field(r.processMach37);
    io.field(r.onlySelectedViews);
    io.field(s.stateCount5);
    for (double& v : g.partPoint) io.field(v);
    io.field(g.partPointFlag1);
    io.field(g.partPointFlag2);
    io.field(s.toolsCount1);
    io.field(s.toolsCount2);
    io.field(g_records->multiViewFiveAxis);   // last, so that a reader that stops before it loses nothing else
}

struct RUN_BLOCK_OUT {
    ByteWriter& out;
    std::size_t words = 0;

    template <class T>
    void head(const T& value) { out.put(value); }
    template <class T>
    void field(const T& value) { out.put(value); }
    void tableRef(const TABLE_FILE_REF& ref) {
        putFixedText(out, ref.tabPath, sizeof ref.tabPath, 1024);
        putFixedText(out, ref.txtPath, sizeof ref.txtPath, 1024);
        putFixedText(out, ref.tableName, sizeof ref.tableName, 32);
        putFixedText(out, ref.processName, sizeof ref.processName, kStoredProcessName);
        out.put<std::int32_t>(static_cast<std::int32_t>(ref.fileTime));
        out.put(ref.flag);
    }
    template <std::size_t N>
    void block(const std::array<std::uint8_t, N>& bytes) { out.putBytes(bytes.data(), N); }
    void carriedBytes(const std::vector<std::uint8_t>& bytes, const std::vector<std::int16_t>& carriedWords) {
        const std::size_t n = std::min<std::size_t>(bytes.size(), 0xFFFF);
        words = std::min<std::size_t>(carriedWords.size(), 0xFFFF);
        out.put<std::uint16_t>(static_cast<std::uint16_t>(n));
        out.put<std::uint16_t>(static_cast<std::uint16_t>(words));
        out.putBytes(bytes.data(), n);
    }
    void carriedWords(const std::vector<std::int16_t>& carried) {
        for (std::size_t i = 0; i < words; ++i) out.put(carried[i]);
    }
    void text(const std::string& value) { putRunText(out, value); }
};

void writeRunBlock() {
    std::vector<std::uint8_t> payload;
    ByteWriter out(payload);
    RUN_BLOCK_OUT io{out};
    runBlockFields(io);
    writePartRecord(g_globals->settings.featuresLevel, header("DRLPp01", payload.size()), payload);
    g_records->runBytes.clear();
    g_records->runBytes.shrink_to_fit();
    g_records->runWords.clear();
    g_records->runWords.shrink_to_fit();
}

// ---- loading: the tree ------------------------------------------------------------------------------------

// Holes and segments come from the tree's own records, which freeViewsTree gives back there; one not yet
// linked into the tree goes back on its own.
struct POINT_GIVER {
    void operator()(POINT_LIST* point) const { freePointList(point); }
};
struct CYL_GIVER {
    void operator()(CYL_LIST* cyl) const { freeCylList(cyl); }
};

// The record, or std::bad_alloc (after the allocation message) as a record made on the heap would throw.
template <class T>
T* takenOrThrow(T* record) {
    if (!record) throw std::bad_alloc();
    return record;
}

// Builds the tree from the table and the stream. Any damage ends the build: the tree is released and the
// caller reads nothing further.
class TREE_LOADER {
public:
    TREE_LOADER(std::vector<RECORD_ENTRY> table, std::vector<std::uint8_t> stream, bool oldTable)
        : table_(std::move(table)), stream_(std::move(stream)), oldTable_(oldTable) {}
    ~TREE_LOADER() { freeViewsTree(head_); }

    // False when the data is damaged; else the tree (null for a stream without views).
    [[nodiscard]] bool load(VIEW_LIST** tree) {
        resolveEntities();
        if (!rebuild() || !countsAgree()) return false;
        relink();
        cutChainLoops(head_);
        checkChainCounts(head_);
        *tree = std::exchange(head_, nullptr);
        return true;
    }
    // The new record of the first entry of this kind with this identity, null for none.
    void* newRecord(RECORD_KIND kind, std::uint32_t oldAddress) const {
        if (!oldAddress) return nullptr;
        const auto it = byOldAddress_.find({kind, oldAddress});
        return it == byOldAddress_.end() ? nullptr : it->second;
    }

private:
    struct LOADED_POINT {
        POINT_LIST* point;
        VIEW_LIST* listView;
        POINT_LINKS links;
    };

    void resolveEntities() {
        std::map<std::uint32_t, std::vector<std::size_t>> byValue;
        for (std::size_t i = 0; i < table_.size(); ++i) {
            table_[i].entry = 0;
            if (table_[i].value) byValue[table_[i].value].push_back(i);
        }
        db_ptr at = db_start();
        for (;;) {
            ent e{};
            char found = 0;
            get_raw_ent(at, 1, kEntSurface | kEntSolid, &e, &at, &found);
            if (!found) break;
            const auto it = byValue.find(e.id);
            if (it == byValue.end()) continue;
            for (std::size_t i : it->second) table_[i].entry = at;
        }
    }

    void remember(RECORD_KIND kind, std::uint32_t oldAddress, void* record) {
        if (oldAddress) byOldAddress_.try_emplace({kind, oldAddress}, record);
    }

    bool rebuild() {
        PLUGIN_GLOBALS& g = *g_globals;
        freeGenOpGroups(g_records->genOpGroups);
        g_records->genOpGroups = nullptr;
        g_records->genOpGroupCount = 0;
        GEN_OP_GROUP** groupTail = &g_records->genOpGroups;
        std::size_t pos = 0;
        for (const RECORD_ENTRY& e : table_) {
            if (e.size > stream_.size() - pos) return false;
            const std::uint8_t* image = stream_.data() + pos;
            switch (e.kind) {
            case kRecView: {
                if (e.size > kViewListSize) return false;
                auto view = std::make_unique<VIEW_LIST>();
                if (readViewImage(image, e.size, *view, nullptr) != IMAGE_STATUS::ok) return false;
                view->prev = lastView_;
                (lastView_ ? lastView_->next : head_) = view.get();
                lastView_ = view.release();
                remember(kRecView, e.oldAddress, lastView_);
                point_ = nullptr;
                lastPoint_ = nullptr;
                cyl_ = nullptr;
                ope_ = nullptr;
                break;
            }
            case kRecPoint: {
                if (e.size > kPointListSize || !lastView_) return false;
                std::unique_ptr<POINT_LIST, POINT_GIVER> point(takenOrThrow(allocPointList()));
                POINT_LINKS links;
                if (readPointImage(image, e.size, *point, &links) != IMAGE_STATUS::ok) return false;
                point->prev = lastPoint_;
                (lastPoint_ ? lastPoint_->next : lastView_->firstPoint) = point.get();
                lastPoint_ = point_ = point.release();
                points_.push_back({point_, lastView_, links});
                remember(kRecPoint, e.oldAddress, point_);
                cyl_ = nullptr;
                ope_ = nullptr;
                break;
            }
            case kRecCyl: {
                if (e.size > kCylListSize || !point_) return false;
                std::unique_ptr<CYL_LIST, CYL_GIVER> cyl(takenOrThrow(allocCylList()));
                const IMAGE_STATUS status = oldTable_ ? readOldCylImage(image, e.size, *cyl, nullptr)
                                                      : readCylImage(image, e.size, *cyl, nullptr);
                if (status != IMAGE_STATUS::ok) return false;
                // The handles in the image are the saving session's; only the kind 6 entries give today's.
                for (CYL_ENT& ent : cyl->ents) ent.entry = 0;
                CYL_LIST* last = lastCyl(point_);
                cyl->prev = last;
                (last ? last->next : point_->firstCyl) = cyl.get();
                cyl_ = cyl.release();
                entIndex_ = 0;
                break;
            }
            case kRecOpe: {
                if (e.size > OPE_LIST::kSize || !point_) return false;
                auto ope = std::make_unique<OPE_LIST>();
                if (!opeFromImage(image, e.size, *ope) || ope->kind != 3) return false;
                OPE_LIST* last = point_->opeList;
                while (last && last->next) last = last->next;
                ope->prev = last;
                (last ? last->next : point_->opeList) = ope.get();
                ope_ = ope.release();
                remember(kRecOpe, e.oldAddress, ope_);
                break;
            }
            case kRecDescs: {
                if (!point_) return false;
                const std::size_t count = point_->descCount;
                const std::size_t itemSize = count ? e.size / count : 0;
                if (itemSize > CIL_DESC::kSize) return false;
                freeCilDescs(point_->descs);
                point_->descs = allocCilDescs(count);
                for (std::size_t i = 0; i < count; ++i)
                    (void)cilDescFromImage(image + i * itemSize, itemSize, point_->descs[i]);
                break;
            }
            case kRecCylEntity:
                if (e.entry == 0 || !cyl_) return false;
                if (entIndex_ < cyl_->entCount) {
                    // The segment must name the entity the entry was resolved for, or it would carry
                    // another entity's handle.
                    if (static_cast<std::uint32_t>(cyl_->ents[entIndex_].id) != e.value) return false;
                    cyl_->ents[entIndex_++].entry = e.entry;
                }
                break;
            case kRecMarker:
                if (e.value != 0 && e.entry == 0) return false;
                g.markerEntry = e.entry;
                g.markerId = e.value;
                break;
            case kRecGroup: {
                auto group = std::make_unique<GEN_OP_GROUP>();
                if (!genOpGroupFromImage(image, e.size, *group)) return false;
                *groupTail = group.release();
                groupTail = &(*groupTail)->next;
                ++g_records->genOpGroupCount;
                break;
            }
            case kRecProcessCopy: {
                if (!ope_) return false;
                auto copy = std::make_shared<PROCESS_OPE>();
                if (!byteRecordFromImage(image, e.size, *copy)) return false;
                ope_->processOpe = std::move(copy);
                break;
            }
            default:
                // A mark's entry, or a kind this release does not know: not a table we can follow.
                return false;
            }
            pos += e.size;
        }
        // The images are followed by the 4 closing bytes and nothing else: a table cut short by whole
        // entries leaves images unread.
        return stream_.size() - pos == 4;
    }

    // Every view holds the points it counts and every point the segments it counts: a table and stream cut
    // short together would otherwise give a smaller tree that looks whole.
    bool countsAgree() const {
        for (const VIEW_LIST* view = head_; view; view = view->next) {
            if (countPoints(view) != view->pointCount) return false;
            for (const POINT_LIST* point = view->firstPoint; point; point = point->next) {
                long cyls = 0;
                for (const CYL_LIST* cyl = point->firstCyl; cyl; cyl = cyl->next) ++cyls;
                if (cyls != point->cylCount) return false;
            }
        }
        return true;
    }

    void relink() {
        for (VIEW_LIST* view = head_; view; view = view->next) {
            int number = 0;
            char found = 0;
            find_view_m(view->matrix, &number, 1, &found);
            if (found) view->viewNumber = static_cast<std::int16_t>(number);
        }
        for (LOADED_POINT& loaded : points_) {
            POINT_LIST* point = loaded.point;
            // A table that ends before a hole's description array still gives the hole its descCount items.
            if (point->descCount && !point->descs) point->descs = allocCilDescs(point->descCount);
            auto link = [&](RECORD_KIND kind, std::uint32_t oldAddress, auto*& field) {
                if (!oldAddress) return;
                field = static_cast<std::remove_reference_t<decltype(field)>>(newRecord(kind, oldAddress));
                if (!field) showHoleMessage(loaded.listView, point, errorMessage(13));
            };
            link(kRecView, loaded.links.view, point->view);
            link(kRecPoint, loaded.links.nextEqual, point->nextEqual);
            link(kRecPoint, loaded.links.deepSplitNext, point->deepSplitNext);
            link(kRecPoint, loaded.links.deepSplitPrev, point->deepSplitPrev);
            if (point->chainMember == 0) {
                for (OPE_LIST* ope = point->opeList; ope; ope = ope->next) {
                    ope->point = point;
                    ope->view = point->view;
                }
            }
        }
    }

    std::vector<RECORD_ENTRY> table_;
    std::vector<std::uint8_t> stream_;
    bool oldTable_;
    VIEW_LIST* head_ = nullptr;
    VIEW_LIST* lastView_ = nullptr;
    POINT_LIST* lastPoint_ = nullptr;
    POINT_LIST* point_ = nullptr;
    CYL_LIST* cyl_ = nullptr;
    OPE_LIST* ope_ = nullptr;
    int entIndex_ = 0;
    std::vector<LOADED_POINT> points_;
    std::map<std::pair<std::int16_t, std::uint32_t>, void*> byOldAddress_;
};

// ---- loading: the rest ------------------------------------------------------------------------------------

void dumpNoteTexts() {
    std::string text;
    forEachRawEnt(kEntNote, [&](db_ptr, const ent& e) {
        if (e.note.subKind == 0) {
            text += std::string_view(mTableFindData(e.note.text)).substr(0, 80);
            text += '\n';
        }
        return true;
    });
    (void)plat::writeFile(plat::joinPath(g_globals->tmpDir, "RawFeatures.txt"), text, plat::Flush::none);
}

// The tools, or false when the record is there but inconsistent or holds a tool that breaks the rule of tools
// (tool_values_why): no such tool ever reaches an operation.
bool loadTools(const FOUND_RECORD& record) {
    g_toolsArray->clear();
    if (record.state == RECORD_STATE::absent) return true;
    if (record.state == RECORD_STATE::damaged) return false;
    const std::vector<std::uint8_t>& payload = record.payload;
    ByteReader in(payload);
    FIELDS_IN io{in};
    LIST_HEAD head;
    listHeadFields(io, head);
    const std::uint64_t count = head.count, itemSize = head.itemSize;
    // Widened, so that no count can wrap into agreeing with the length; a zero item size with a count
    // would make tools out of no bytes.
    if (!in.ok() || count * itemSize + 8 != payload.size() || (count && !itemSize)) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        g_toolsArray->push_back(tpToolFromImage(payload.data() + 8 + i * itemSize, itemSize));
        if (!tool_values_why(g_toolsArray->back()).empty()) return false;
    }
    return true;
}

// The sequence, or false when the record is there but does not hold exactly the entries it counts.
bool loadToolSequence(const FOUND_RECORD& record, const TREE_LOADER* tree) {
    g_fullToolsSeq->clear();
    if (record.state == RECORD_STATE::absent) return true;
    if (record.state == RECORD_STATE::damaged) return false;
    const std::vector<std::uint8_t>& payload = record.payload;
    ByteReader in(payload);
    FIELDS_IN io{in};
    LIST_HEAD head;
    listHeadFields(io, head);
    const std::uint32_t count = head.count, itemSize = head.itemSize;
    // An item shorter than its image would let entries repeat without taking bytes.
    if (!in.ok() || itemSize < FULL_TOOLS_SEQ::kSize) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = in.pos();
        if (in.remaining() < itemSize || !in.skip(itemSize)) return false;
        TOOLS_SEQ_SLOTS slots;
        FULL_TOOLS_SEQ entry = toolsSeqFromImage(payload.data() + at, slots);
        entry.tools = g_toolsArray.get();
        entry.view = tree ? static_cast<VIEW_LIST*>(tree->newRecord(kRecView, slots.view)) : nullptr;
        if (slots.opeCount < 0 || in.remaining() / 4 < static_cast<std::uint32_t>(slots.opeCount)) return false;
        entry.opes.reserve(static_cast<std::size_t>(slots.opeCount));
        for (std::int32_t k = 0; k < slots.opeCount; ++k) {
            const std::uint32_t old = in.get<std::uint32_t>();
            entry.opes.push_back(tree ? static_cast<OPE_LIST*>(tree->newRecord(kRecOpe, old)) : nullptr);
        }
        g_fullToolsSeq->push_back(std::move(entry));
    }
    return in.remaining() == 0;
}

void resetRunBlock() {
    PLUGIN_GLOBALS& g = *g_globals;
    const std::int16_t stateCount5 = g_records->runStats.stateCount5;
    g_records->runStats = RUN_STATS{};
    g_records->runStats.stateCount5 = stateCount5;
    g.markerLevel = 0;
    g_records->runTableRef = TABLE_FILE_REF{};
    g_records->runReservedWord = 0;
    g_records->runReservedBlock = {};
    g_records->runBytes.clear();
    g_records->runWords.clear();
    g.settings.onlySelectedViews = 0;
    g_records->toolSequenceFlag = 0;
    g_records->formCounter = 0;
    g_records->processTreeFlags = 0;
    g_records->multiViewFiveAxis = 0;
    g.createdViewCounter = 0;
}

template <std::size_t N>
void takeFixedText(ByteReader& in, std::size_t field, char (&out)[N]) {
    const std::string raw = in.getText(field);
    const std::size_t n = std::min({strnlen(raw.data(), raw.size()), N - 1});
    std::memcpy(out, raw.data(), n);
    out[n] = 0;
}

// Reads the fields of the run block in order while fewer than N - 1 bytes have been taken: a shorter
// record leaves the later fields at their reset values, and the reader never passes its end.
class RUN_BLOCK_IN {
public:
    RUN_BLOCK_IN(const std::vector<std::uint8_t>& payload, bool oldForm)
        : in_(payload), n_(payload.size()), oldForm_(oldForm) {}

    // The head is read whole; the fields past the end read as 0, their reset value.
    template <class T>
    void head(T& target) {
        target = in_.get<T>();
        if (!in_.ok()) stopped_ = true;
    }
    template <class T>
    void field(T& target) {
        if (!more()) return;
        const T value = in_.get<T>();
        if (in_.ok()) target = value;
        else stopped_ = true;
    }
    void tableRef(TABLE_FILE_REF& ref) {
        ref = TABLE_FILE_REF{};
        if (oldForm_) {
            const std::size_t gap = (n_ == 3323 || n_ == 3326) ? 3172 : n_ == 3317 ? 3163 : 0;
            if (!gap) stopped_ = true;
            else if (more() && !in_.skip(gap)) stopped_ = true;
            return;
        }
        if (!more()) return;
        TABLE_FILE_REF read;
        char processName[kStoredProcessName] = {};   // the stored field's width bounds the name
        takeFixedText(in_, 1024, read.tabPath);
        takeFixedText(in_, 1024, read.txtPath);
        takeFixedText(in_, 32, read.tableName);
        takeFixedText(in_, kStoredProcessName, processName);
        std::memcpy(read.processName, processName, sizeof processName);
        read.fileTime = in_.get<std::int32_t>();
        read.flag = in_.get<std::uint8_t>();
        if (in_.ok()) ref = read;
        else stopped_ = true;
    }
    template <std::size_t N>
    void block(std::array<std::uint8_t, N>& bytes) {
        if (!more()) return;
        const std::string read = in_.getText(N);
        if (in_.ok()) std::memcpy(bytes.data(), read.data(), N);
        else stopped_ = true;
    }
    void carriedBytes(std::vector<std::uint8_t>& bytes, std::vector<std::int16_t>&) {
        field(byteCount_);
        field(wordCount_);
        if (!more()) return;
        const std::string read = in_.getText(byteCount_);
        if (in_.ok()) {
            bytes.assign(read.begin(), read.end());
            haveBytes_ = true;
        } else {
            stopped_ = true;
        }
    }
    void carriedWords(std::vector<std::int16_t>& carried) {
        if (!more()) return;
        std::vector<std::int16_t> words(wordCount_);
        for (std::int16_t& w : words) w = in_.get<std::int16_t>();
        if (in_.ok()) {
            carried = std::move(words);
            haveWords_ = true;
        } else {
            stopped_ = true;
        }
    }
    void text(std::string& target) {
        if (!more()) return;
        const std::uint16_t length = in_.get<std::uint16_t>();
        if (!in_.ok() || length > kMaxRunText) {
            target.clear();
            stopped_ = true;
            return;
        }
        const std::string raw = in_.getText(length);
        if (!in_.ok()) {
            stopped_ = true;
            return;
        }
        target.assign(raw.data(), strnlen(raw.data(), raw.size()));
    }
    // Lists that were not read: no bytes, and as many zero words as the count said (none without bytes).
    void finish(std::vector<std::uint8_t>& bytes, std::vector<std::int16_t>& words) const {
        std::uint16_t wordCount = wordCount_;
        if (!haveBytes_) {
            bytes.clear();
            wordCount = 0;
        }
        if (!haveWords_) words.assign(wordCount, 0);
    }

private:
    bool more() {
        if (!stopped_ && (!in_.ok() || in_.pos() + 1 >= n_)) stopped_ = true;
        return !stopped_;
    }

    ByteReader in_;
    std::size_t n_;
    bool oldForm_;
    bool stopped_ = false;
    std::uint16_t byteCount_ = 0, wordCount_ = 0;
    bool haveBytes_ = false, haveWords_ = false;
};

void readRunBlock(const std::vector<std::uint8_t>& payload, bool oldForm) {
    RUN_BLOCK_IN io(payload, oldForm);
    runBlockFields(io);
    io.finish(g_records->runBytes, g_records->runWords);
}

// False when the record is there but damaged; the run block then keeps its reset values.
bool loadRunBlock() {
    resetRunBlock();
    const FOUND_RECORD record = findPartRecord("DRLP", {"p01", "d66"});
    if (record.state == RECORD_STATE::whole && !record.payload.empty())
        readRunBlock(record.payload, record.version == "d66");
    return record.state != RECORD_STATE::damaged;
}

// False when the pair is there but damaged: one of it missing, images that the table does not divide into
// whole items, more marks than a part holds (kMaxFeatureMarks), or an image that makes no mark
// (featureMarkFromImage). The mark list is then left as it was.
bool loadFeatureMarks() {
    const FOUND_RECORD tableRecord = findPartRecord("DFTT", {"d05"});
    const FOUND_RECORD imageRecord = findPartRecord("DFTU", {"d05"});
    if (tableRecord.state == RECORD_STATE::absent && imageRecord.state == RECORD_STATE::absent) return true;
    if (tableRecord.state != RECORD_STATE::whole || imageRecord.state != RECORD_STATE::whole) return false;
    const std::vector<std::uint8_t>& tableBytes = tableRecord.payload;
    const std::vector<std::uint8_t>& images = imageRecord.payload;
    if (tableBytes.size() % kRecordEntrySize != 0) return false;
    const std::vector<RECORD_ENTRY> table = decodeRecordTable(tableBytes);
    if (table.empty()) return images.empty();   // no marks saved: the list stays as it is
    if (images.size() % table.size() != 0 || images.size() / table.size() > FEATURE_MARK::kSize) return false;
    if (table.size() > static_cast<std::size_t>(kMaxFeatureMarks)) return false;
    const std::size_t itemSize = images.size() / table.size();
    // Every image is read before the list changes: a damaged one leaves the stored set whole and unread.
    std::vector<std::unique_ptr<FEATURE_MARK>> read;
    std::size_t pos = 0;
    for (const RECORD_ENTRY& e : table) {
        if (e.kind != kRecFeatureMark) continue;
        auto mark = std::make_unique<FEATURE_MARK>();
        if (!featureMarkFromImage(images.data() + pos, itemSize, *mark)) return false;
        read.push_back(std::move(mark));
        pos += itemSize;
    }
    freeFeatureMarks(g_records->featureMarks);
    g_records->featureMarks = nullptr;
    g_records->featureMarkCount = 0;
    FEATURE_MARK** tail = &g_records->featureMarks;
    for (std::unique_ptr<FEATURE_MARK>& mark : read) {
        *tail = mark.release();
        tail = &(*tail)->next;
        ++g_records->featureMarkCount;
    }
    return true;
}

// A views list whose record is there but does not decode.
bool viewsListDamaged(const COnlySelViewsList& list) {
    const FOUND_RECORD record = findPartRecord(list.prefix(), {"d02"});
    if (record.state == RECORD_STATE::absent) return false;
    COnlySelViewsList scratch(0);
    return record.state == RECORD_STATE::damaged || !scratch.decode(record.payload);
}

// The marker of the last recognition from a tree that is not loaded, so that the solid it hid shows again
// for the next recognition: without it a damaged tree would leave the part's solid hidden for good.
void recoverMarker(const FOUND_RECORD& tableRecord) {
    if (tableRecord.state != RECORD_STATE::whole) return;
    std::uint32_t id = 0;
    for (const RECORD_ENTRY& e : decodeRecordTable(tableRecord.payload))
        if (e.kind == kRecMarker) id = e.value;
    if (!id) return;
    forEachRawEnt(kEntSolid, [&](db_ptr at, const ent& e) {
        if (e.id != id) return true;
        g_globals->markerId = id;
        g_globals->markerEntry = at;
        return false;
    });
}

// Tells the user once per part that records were kept unread.
void tellDamage() {
    PLUGIN_GLOBALS& g = *g_globals;
    const std::string part = g.partDir + g.partName;
    if (g.damageToldFor == part) return;
    g.damageToldFor = part;
    plat::messageBox(nullptr, errorMessage(14), errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
}

// ---- what to keep -----------------------------------------------------------------------------------------

struct SAVE_PLAN {
    bool stream = true, marks = true, revision = true, tools = true, runBlock = true, viewLists = true;
};

SAVE_PLAN planSave(const VIEW_LIST* tree) {
    const std::uint8_t left = g_records->recordsLeftInPart;
    const bool newTools = !g_toolsArray->empty() || !g_fullToolsSeq->empty();
    SAVE_PLAN plan;
    if (left & (kLeftNewer | kLeftDamagedRevision)) {
        // A newer release's records go together with their revision: either all stay or all are replaced.
        const bool anythingNew = tree || g_records->genOpGroups || g_records->featureMarks || newTools;
        if (!anythingNew) plan = {false, false, false, false, false, false};
        return plan;
    }
    // A tree while the stored one was left unread is a new one; a loaded tree says nothing of the run block
    // and views lists beside it (treeReplaced tells of a recognition that replaced a loaded tree).
    const bool newTree = tree && (left & kLeftStream);
    plan.stream = !(left & kLeftStream) || tree;
    plan.marks = !(left & kLeftMarks) || g_records->featureMarks;
    plan.tools = !(left & kLeftTools) || newTools;
    plan.runBlock = !(left & kLeftRunBlock) || newTree;
    plan.viewLists = !(left & kLeftViewLists) || newTree;
    return plan;
}

}  // namespace

// ---- public -----------------------------------------------------------------------------------------------

std::vector<std::uint8_t> encodeRecordTable(const std::vector<RECORD_ENTRY>& entries) {
    std::vector<std::uint8_t> bytes;
    ByteWriter out(bytes);
    FIELDS_OUT io{out};
    for (const RECORD_ENTRY& e : entries) recordEntryFields(io, e);
    return bytes;
}

std::vector<RECORD_ENTRY> decodeRecordTable(const std::vector<std::uint8_t>& payload) {
    std::vector<RECORD_ENTRY> entries(payload.size() / kRecordEntrySize);
    ByteReader in(payload);
    FIELDS_IN io{in};
    for (RECORD_ENTRY& e : entries) recordEntryFields(io, e);
    return entries;
}


int saveAllRecords(VIEW_LIST* tree) {
    checkChainCounts(tree);
    const SAVE_PLAN plan = planSave(tree);
    if (plan.stream) writeStream(tree);
    if (plan.marks) writeFeatureMarks();
    if (plan.revision) writeRevision();
    if (plan.tools) {
        writeTools();
        writeToolSequence(tree);
    }
    if (plan.runBlock) writeRunBlock();
    if (plan.viewLists) {
        g_globals->oldViewsList.writeToPart(g_globals->settings.featuresLevel);
        g_globals->viewsSnapshot.writeToPart(g_globals->settings.featuresLevel);
    }
    return 0;
}


int loadAllRecords(VIEW_LIST** tree) {
    PLUGIN_GLOBALS& g = *g_globals;
    *tree = nullptr;
    g_records->recordsLeftInPart = 0;
    if (g.debugDumps == 1) dumpNoteTexts();
    takeRunSettings();
    takeViewsSnapshot();
    constexpr std::uint8_t kAllSets = kLeftStream | kLeftMarks | kLeftTools | kLeftRunBlock | kLeftViewLists;

    g.markerId = 0;
    const FOUND_RECORD revision = findPartRecord("DREV", {"ddd"});
    const FOUND_RECORD table = findPartRecord("DRLT", {"d66", "d65"});
    if (revision.state == RECORD_STATE::damaged ||
        (revision.state == RECORD_STATE::whole && revision.payload.size() != 4)) {
        // Without the revision nothing tells whether this release can read the rest: it stays whole.
        g_records->recordsLeftInPart = kAllSets | kLeftDamagedRevision;
        recoverMarker(table);
        tellDamage();
        return 0;
    }
    if (revision.state == RECORD_STATE::whole && ByteReader(revision.payload).get<std::uint32_t>() > kDataRevision) {
        g_records->recordsLeftInPart = kAllSets | kLeftNewer;
        return 0;
    }

    const FOUND_RECORD stream = findPartRecord("DRLU", {"d66", "d63", "d64", "d65"});
    std::unique_ptr<TREE_LOADER> loader;
    if (table.state != RECORD_STATE::absent || stream.state != RECORD_STATE::absent) {
        // Half a pair, a header that does not read or a table of partial entries is damage like any other.
        bool whole = table.state == RECORD_STATE::whole && stream.state == RECORD_STATE::whole &&
                     table.payload.size() % kRecordEntrySize == 0;
        if (whole) {
            loader = std::make_unique<TREE_LOADER>(decodeRecordTable(table.payload), stream.payload,
                                                   table.version == "d65");
            whole = loader->load(tree);
        }
        if (!whole) {
            g_records->recordsLeftInPart = kAllSets;
            recoverMarker(table);
            tellDamage();
            return 0;
        }
    }

    const FOUND_RECORD tools = findPartRecord("TLST", {"d05"});
    const FOUND_RECORD sequence = findPartRecord("TSEQ", {"d05"});
    const bool halfToolPair = (tools.state == RECORD_STATE::absent) != (sequence.state == RECORD_STATE::absent);
    if (halfToolPair || !loadTools(tools) || !loadToolSequence(sequence, loader.get())) {
        // Tools and sequence stay or go together: neither is used, so neither is written over.
        g_toolsArray->clear();
        g_fullToolsSeq->clear();
        g_records->recordsLeftInPart |= kLeftTools;
    }
    if (!loadRunBlock()) g_records->recordsLeftInPart |= kLeftRunBlock;
    if (!loadFeatureMarks()) g_records->recordsLeftInPart |= kLeftMarks;
    if (viewsListDamaged(g.oldViewsList) || viewsListDamaged(g.viewsSnapshot)) g_records->recordsLeftInPart |= kLeftViewLists;
    g.oldViewsList.readFromPart();
    g.viewsSnapshot.readFromPart();
    if (g_records->recordsLeftInPart) tellDamage();
    return 0;
}

int freeGenOpGroups(GEN_OP_GROUP* groups) { return freeGenOpGroupList(groups); }

int freeFeatureMarks(FEATURE_MARK* marks) { return freeFeatureMarkList(marks); }

void freeCycleRecords() {
    freeViewsTree(g_records->viewsTree);
    g_records->viewsTree = nullptr;
    freeGenOpGroups(g_records->genOpGroups);
    g_records->genOpGroups = nullptr;
    g_records->genOpGroupCount = 0;
    freeFeatureMarks(g_records->featureMarks);
    g_records->featureMarks = nullptr;
    g_records->featureMarkCount = 0;
}

void stripControlChars(const char* source, char* destination) {
    for (; *source; ++source)
        if (static_cast<unsigned char>(*source) >= 32) *destination++ = *source;
    *destination = 0;
}

std::string stripControlCharsStr(std::string_view source) {
    std::string out;
    for (char c : source)
        if (static_cast<unsigned char>(c) >= 32) out += c;
    return out;
}
