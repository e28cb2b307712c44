// Part records as note entities of the host's database.
#include "plugin/base/part_record.h"

#include <algorithm>
#include <string>
#include <utility>

#include "host/api.h"
#include "platform/sys/memory.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"

namespace {

// Calls `visit(entry, text)` for every note of the part, kept ones included, until it returns false.
template <class Visit>
void forEachNote(Visit visit) {
    forEachRawEnt(kEntNote, [&](db_ptr at, const ent& e) {
        return e.note.subKind != 0 || e.note.text == 0 || visit(at, std::string_view(mTableFindData(e.note.text)));
    });
}

// encodeRecordText's text, made while the payload's pages already encoded go back to the system: a large
// part's tree would otherwise be held as its payload beside its text of twice that size.
std::string recordTextReleasing(std::string_view header, std::vector<std::uint8_t>& payload) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    if (payload.size() <= kChunk) return encodeRecordText(header, payload);
    std::string text = encodeRecordText(header, {});
    text.reserve(text.size() + 2 * payload.size());
    for (std::size_t at = 0; at < payload.size();) {
        const std::size_t end = std::min(payload.size(), at + kChunk);
        for (; at < end; ++at) {
            text += static_cast<char>('a' + (payload[at] & 15));
            text += static_cast<char>('a' + (payload[at] >> 4));
        }
        plat::releasePages(payload.data(), end);
    }
    payload = {};
    return text;
}

}  // namespace

int writePartRecord(std::string_view header, std::vector<std::uint8_t> payload) {
    const std::int32_t level = g_globals->settings.featuresLevel;
    std::string text = recordTextReleasing(header, payload);
    ent note{};
    calc_note_taking(&note, 1, p_3d{0, 0, 0}, std::move(text));

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
        forEachNote([&](db_ptr entry, std::string_view text) {
            if (entry != stored && text.substr(0, 4) == tag) old.push_back(entry);
            return true;
        });
        for (db_ptr entry : old) delete_ent(entry, 0, 0, 1, nullptr, 0);
    }
    set_level_visible(level, 1);
    return 0;
}

long readPartRecord(std::string_view tagAndVersion, std::vector<std::uint8_t>& payload) {
    const std::string_view key = tagAndVersion.substr(0, 7);
    long count = 0;
    forEachNote([&](db_ptr, std::string_view text) {
        if (text.substr(0, 7) != key) return true;
        std::vector<std::uint8_t> bytes;
        // A damaged record counts as absent: its owner then goes on as without one.
        if (decodeRecordText(text, bytes) && !bytes.empty()) {
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
    forEachNote([&](db_ptr, std::string_view text) {
        if (text.substr(0, 4) != tag) return true;
        if (++notes > 1) return false;
        const std::string_view version = text.substr(4, 3);
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
    forEachNote([&](db_ptr, std::string_view text) {
        if (text.substr(0, 23) != "---VERTA Color Table---") return true;
        lineEnds = parseVertaColorTable(text, table);
        return false;
    });
    return lineEnds;
}
