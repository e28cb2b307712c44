// Notes and their text table, levels, the current colour/level/attributes, the palette and selection bits.
// A level the part never mentioned is visible; only levels that were shown, hidden or named are kept.
#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "host/db/blob_pack.h"
#include "host/db/database.h"
#include "host/state.h"

std::int32_t main_level = 1;
int main_color = 10;
attr_block main_attrib{1.0, 1, 1};
int select_color = 13;
std::uint32_t Wd_colors[256];

namespace host::db {
namespace {

constexpr std::size_t kMaxLevelName = 254;

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | (g << 8) | (b << 16); }

// 0-15 are the host's sixteen base colours; 16-231 a 6x6x6 colour cube; 232-255 a grey ramp.
void fillPalette() {
    static constexpr std::uint32_t base[16] = {
        rgb(0, 0, 0),     rgb(0, 0, 128),     rgb(0, 128, 0),     rgb(0, 192, 192),
        rgb(128, 0, 0),   rgb(128, 0, 128),   rgb(128, 66, 0),    rgb(192, 192, 192),
        rgb(128, 128, 128), rgb(0, 0, 255),   rgb(0, 255, 0),     rgb(0, 255, 255),
        rgb(255, 0, 0),   rgb(255, 0, 255),   rgb(255, 255, 0),   rgb(255, 255, 255)};
    std::copy(std::begin(base), std::end(base), Wd_colors);
    int i = 16;
    for (std::uint32_t r = 0; r < 6; ++r)
        for (std::uint32_t g = 0; g < 6; ++g)
            for (std::uint32_t b = 0; b < 6; ++b) Wd_colors[i++] = rgb(r * 51, g * 51, b * 51);
    for (std::uint32_t k = 0; i < 256; ++k) Wd_colors[i++] = rgb(8 + k * 10, 8 + k * 10, 8 + k * 10);
}

// The palette is also right before the first reset.
const bool paletteFilled = (fillPalette(), true);

std::vector<std::int32_t> levelsInUse(bool withExplicit) {
    std::set<std::int32_t> set;
    for (const auto& [h, s] : current().ents) set.insert(s.head.level);
    if (withExplicit)
        for (const auto& [level, info] : current().levels) set.insert(level);
    return {set.begin(), set.end()};
}

}  // namespace

void resetGlobals() {
    (void)paletteFilled;
    fillPalette();
    main_level = 1;
    main_color = 10;
    main_attrib = attr_block{1.0, 1, 1};
    select_color = 13;
}

}  // namespace host::db

using host::db::current;

int palette_entry_of_color(int colour) { return colour >= 0 && colour <= 255 ? colour : -1; }
int color_of_palette_entry(int entry) { return entry >= 0 && entry <= 255 ? entry : -1; }

int calc_note(ent* e, int view, p_3d pos, std::string_view text, double height, double width) {
    return calc_note_taking(e, view, pos, std::string(text), height, width);
}

namespace {

// Makes `*e` a note holding `text` under a new handle.
int makeNote(ent* e, int view, p_3d pos, host::db::Text text, double height, double width) {
    auto lock = host::db::guard();
    auto& db = current();
    const bool metric = current_version[7] == 1;
    e->type = kEntNote;
    e->note.subKind = 0;
    e->note.view = static_cast<std::int16_t>(view);
    e->note.pos = pos;
    e->note.height = height > 0 ? height : (metric ? 5.0 : 0.2);
    e->note.width = width > 0 ? width : 0.5 * e->note.height;
    const std::uint32_t handle = db.nextText++;
    db.texts[handle] = std::move(text);
    e->note.text = handle;
    return 1;
}

}  // namespace

int calc_note_taking(ent* e, int view, p_3d pos, std::string&& text, double height, double width) {
    if (!e) return 0;
    return makeNote(e, view, pos, host::db::Text{std::move(text), 0, {}}, height, width);
}

int calc_note_written(ent* e, int view, p_3d pos, const std::function<bool(const NOTE_PIECE& put)>& write) {
    if (!e) return 0;
    host::db::BlobPacker packer;
    if (!write([&packer](std::string_view piece) { packer.add(piece); })) return 0;
    std::optional<std::string> packed = packer.finish();
    if (!packed) return 0;
    return makeNote(e, view, pos, host::db::Text{{}, 0, std::move(*packed)}, 0, 0);
}

const char* mTableFindData(std::uint32_t text) {
    auto lock = host::db::guard();
    auto it = current().texts.find(text);
    return it == current().texts.end() ? "" : host::db::wholeText(it->second).c_str();
}

std::string mTableFindHead(std::uint32_t text, std::size_t count) {
    auto lock = host::db::guard();
    auto it = current().texts.find(text);
    if (it == current().texts.end()) return {};
    const host::db::Text& t = it->second;
    return t.packed.empty() ? t.bytes.substr(0, count) : host::db::unpackBlobHead(t.packed, count);
}

int is_level_visible(std::int32_t level) {
    auto lock = host::db::guard();
    auto it = current().levels.find(level);
    return it == current().levels.end() || it->second.visible ? 1 : 0;
}

void set_level_visible(std::int32_t level, int visible) {
    auto lock = host::db::guard();
    current().levels[level].visible = visible != 0;
}

int get_visible_levels(std::vector<std::int32_t>* levels) {
    auto lock = host::db::guard();
    std::vector<std::int32_t> all = host::db::levelsInUse(true);
    std::erase_if(all, [](std::int32_t l) { return !is_level_visible(l); });
    const int n = static_cast<int>(all.size());
    if (levels) *levels = std::move(all);
    return n;
}

int get_active_levels(std::vector<std::int32_t>* levels) {
    auto lock = host::db::guard();
    std::vector<std::int32_t> all = host::db::levelsInUse(false);
    const int n = static_cast<int>(all.size());
    if (levels) *levels = std::move(all);
    return n;
}

int set_levname(std::int32_t level, const char* name) {
    auto lock = host::db::guard();
    if (!name) return 0;
    current().levels[level].name = std::string(name, strnlen(name, host::db::kMaxLevelName));
    return 1;
}

const char* get_levname(std::int32_t level) {
    auto lock = host::db::guard();
    auto it = current().levels.find(level);
    return it == current().levels.end() ? "" : it->second.name.c_str();
}

void sel_bit_turn_on(ent* e, int bit) {
    if (e) e->sel = static_cast<std::uint16_t>(e->sel | bit);
}

void sel_bit_turn_off(ent* e, int bit) {
    if (e) e->sel = static_cast<std::uint16_t>(e->sel & ~bit);
}

int sel_bit_is_on(const ent* e, int bit) { return e && (e->sel & bit) != 0 ? 1 : 0; }

int set_clr_sel_bits(std::uint16_t onBits, std::uint16_t offBits, std::uint16_t onBits2, std::uint16_t offBits2,
                     std::uint32_t mask, int redraw, int /*reserved*/) {
    auto lock = host::db::guard();
    int changed = 0;
    for (auto& [h, s] : current().ents) {
        if (s.head.type == kEntAssoc || (s.head.type & mask) == 0) continue;
        std::uint16_t word = s.head.sel;
        word = static_cast<std::uint16_t>((word | onBits | onBits2) & ~(offBits | offBits2));
        if (word != s.head.sel) {
            s.head.sel = word;
            ++changed;
        }
    }
    if (redraw) repaint_graphics();
    return changed;
}
