// Part records as note entities of the host's database.
#include "plugin/base/part_record.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>

#include "host/api.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"

namespace {

// A note of the part as the record readers look at it: its first characters, and its text whole on demand
// (a long record is kept packed by the host until then).
struct NOTE {
    db_ptr entry = 0;
    std::uint32_t handle = 0;
    std::string head;   // the first 23 characters: a record's tag and version, a colour table's title
    std::string_view whole() const { return mTableFindData(handle); }
};

// Calls `visit(note)` for every note of the part, kept ones included, until it returns false.
template <class Visit>
void forEachNote(Visit visit) {
    forEachRawEnt(kEntNote, [&](db_ptr at, const ent& e) {
        return e.note.subKind != 0 || e.note.text == 0 ||
               visit(NOTE{at, e.note.text, mTableFindHead(e.note.text, 23)});
    });
}

// A record's payload goes to the host as text a megabyte of payload at a time.
constexpr std::size_t kPiece = std::size_t{1} << 20;

// The note made, stored out of sight on the features level, and every other record of its tag removed.
void storeRecordNote(std::int32_t level, std::string_view header, ent& note) {
    set_level_visible(level, 0);
    db_ptr stored = 0;
    char ok = 0;
    store_ent(&note, &stored, 0, main_color, level, main_attrib, &ok);
    if (ok) {
        // Out of what the user sees and walks, but readable and saved with the part.
        delete_ent(stored, 0, 1, 1, nullptr, 0);
        // The old records go only once the new one is in: a failed store keeps them.
        const std::string_view tag = header.substr(0, 4);
        std::vector<db_ptr> old;
        forEachNote([&](const NOTE& n) {
            if (n.entry != stored && std::string_view(n.head).substr(0, 4) == tag) old.push_back(n.entry);
            return true;
        });
        for (db_ptr entry : old) delete_ent(entry, 0, 0, 1, nullptr, 0);
    }
    set_level_visible(level, 1);
}

}  // namespace

int writePartRecord(std::int32_t level, std::string_view header, std::vector<std::uint8_t> payload) {
    if (payload.size() > kPiece)
        return writePartRecordWritten(level, header, payload.size(), [&payload](ByteWriter& out) {
            for (std::size_t at = 0; at < payload.size(); at += kPiece)
                out.putBytes(payload.data() + at, std::min(kPiece, payload.size() - at));
        });
    ent note{};
    if (calc_note_taking(&note, 1, p_3d{0, 0, 0}, encodeRecordText(header, payload)) == 0) return 1;
    storeRecordNote(level, header, note);
    return 0;
}

int writePartRecordWritten(std::int32_t level, std::string_view header, std::size_t size,
                           const std::function<void(ByteWriter&)>& write) {
    ent note{};
    const int made = calc_note_written(&note, 1, p_3d{0, 0, 0}, [&](const NOTE_PIECE& put) {
        put(encodeRecordText(header, {}));
        std::vector<std::uint8_t> held;
        std::string text;
        ByteWriter out(held, kPiece, [&](std::span<const std::uint8_t> bytes) {
            text.clear();
            appendRecordLetters(text, bytes);
            put(text);
        });
        write(out);
        out.drain();
        return out.size() == size;
    });
    if (made == 0) return 1;
    storeRecordNote(level, header, note);
    return 0;
}

long readPartRecord(std::string_view tagAndVersion, std::vector<std::uint8_t>& payload) {
    const std::string_view key = tagAndVersion.substr(0, 7);
    long count = 0;
    forEachNote([&](const NOTE& n) {
        if (std::string_view(n.head).substr(0, 7) != key) return true;
        std::vector<std::uint8_t> bytes;
        // A damaged record counts as absent: its owner then goes on as without one.
        if (decodeRecordText(n.whole(), bytes) && !bytes.empty()) {
            count = static_cast<long>(bytes.size());
            payload = std::move(bytes);
        }
        return false;
    });
    return count;
}

FOUND_RECORD findPartRecord(std::string_view tag, std::initializer_list<std::string_view> versions) {
    FOUND_RECORD found;
    int notes = 0;
    forEachNote([&](const NOTE& n) {
        const std::string_view head = n.head;
        if (head.substr(0, 4) != tag) return true;
        if (++notes > 1) return false;
        const std::string_view text = n.whole(), version = head.substr(4, 3);
        bool known = false;
        for (std::string_view v : versions) known = known || v == version;
        if (known && decodeRecordText(text, found.payload)) {
            found.state = RECORD_STATE::whole;
            found.version = std::string(version);
        } else {
            found.state = RECORD_STATE::damaged;
        }
        return true;
    });
    if (notes > 1) return FOUND_RECORD{RECORD_STATE::damaged, {}, {}};
    return found;
}

int readVertaColorTable(std::vector<RGB_COLOR_NUM>& table) {
    int lineEnds = 0;
    forEachNote([&](const NOTE& n) {
        if (n.head != "---VERTA Color Table---") return true;
        lineEnds = parseVertaColorTable(n.whole(), table);
        return false;
    });
    return lineEnds;
}
