// The views lists and their records.
#include "plugin/base/views_list.h"

#include <cstdio>
#include <cstring>

#include "host/api.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/globals.h"
#include "plugin/base/part_record.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308233;

void copyMatrix(const double from[3][3], double to[3][3]) { std::memcpy(to, from, sizeof(double) * 9); }

std::string header(const std::string& name, std::size_t length) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%09li", name.c_str(), static_cast<long>(length));
    return text;
}

// A views-list item's fields in stored order: the name as a zero-ended text, then the view's number, key and
// matrix.
template <class IO, class ITEM>
void selViewFields(IO& io, ITEM& item) {
    io.zeroEnded(item.name);
    io(item.viewNumber);
    io(item.viewKey);
    io(item.matrix);
}

struct SEL_VIEW_OUT : FIELDS_OUT {
    void zeroEnded(const std::string& text) { w.putBytes(text.c_str(), text.size() + 1); }
};

struct SEL_VIEW_IN : FIELDS_IN {
    bool damaged = false;   // a name that runs past the end
    void zeroEnded(std::string& text) {
        std::string read;
        for (;;) {
            const char c = r.get<char>();
            if (!r.ok()) {
                damaged = true;
                return;
            }
            if (c == 0) break;
            read += c;
        }
        text = std::move(read);
    }
};

// An item of the extended list: each field at its offset in the 88 bytes, the bytes between them zero.
template <class ITEM, class F>
void selViewExFields(ITEM& it, F&& f) {
    f(0, it.selected);
    f(4, it.viewId);
    f(8, it.viewIndex);
    f(12, it.xOn);
    f(16, it.xFrom);
    f(24, it.xTo);
    f(32, it.yOn);
    f(40, it.yFrom);
    f(48, it.yTo);
    f(56, it.thirdOn);
    f(64, it.thirdFrom);
    f(72, it.thirdTo);
    f(80, it.focus);
}

}  // namespace

// ---- COnlySelViewsList ------------------------------------------------------------------------------------

void COnlySelViewsList::add(const std::string& name, std::uint16_t viewNumber, std::uint16_t viewKey,
                            const double matrix[3][3]) {
    SEL_VIEW_ITEM item{name, viewNumber, viewKey, {}};
    copyMatrix(matrix, item.matrix);
    items_.push_back(std::move(item));
}

std::string COnlySelViewsList::getItem(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey,
                                       double matrix[3][3]) const {
    if (index < 0 || index >= count()) {
        if (viewNumber) *viewNumber = 0;
        return "";
    }
    const SEL_VIEW_ITEM& item = items_[static_cast<std::size_t>(index)];
    if (viewNumber) *viewNumber = item.viewNumber;
    if (viewKey) *viewKey = item.viewKey;
    if (matrix) copyMatrix(item.matrix, matrix);
    return item.name;
}

void COnlySelViewsList::copyFrom(const COnlySelViewsList& other) {
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
}

std::vector<std::uint8_t> COnlySelViewsList::encode() const {
    std::vector<std::uint8_t> payload;
    ByteWriter w(payload);
    w.put(count());
    SEL_VIEW_OUT io{{w}};
    for (const SEL_VIEW_ITEM& item : items_) selViewFields(io, item);
    return payload;
}

bool COnlySelViewsList::decode(const std::vector<std::uint8_t>& payload) {
    items_.clear();
    ByteReader r(payload);
    const auto n = r.get<std::int16_t>();
    SEL_VIEW_IN io{{r}};
    std::vector<SEL_VIEW_ITEM> items;
    for (std::int16_t i = 0; i < n && r.ok(); ++i) {
        SEL_VIEW_ITEM item;
        selViewFields(io, item);
        if (io.damaged) return false;
        items.push_back(std::move(item));
    }
    if (!r.ok() || r.remaining() != 0) return false;   // a count that leaves bytes over is damage too
    items_ = std::move(items);
    return true;
}

int COnlySelViewsList::readFromPart() {
    std::vector<std::uint8_t> payload;
    if (readPartRecord(prefix_ + version_, payload) < 2 && readPartRecord(prefix_ + "d02", payload) < 2) return 0;
    if (!decode(payload)) return 0;
    return count();
}

int COnlySelViewsList::writeToPart(std::int32_t featuresLevel) const {
    const std::vector<std::uint8_t> payload = encode();
    writePartRecord(featuresLevel, header(prefix_ + version_, payload.size()), payload);
    return 0;
}

// ---- COnlySelViewsListEx ----------------------------------------------------------------------------------

const view_ent* COnlySelViewsListEx::getNamedView(int index) const {
    if (index < 0 || index >= getCount()) return nullptr;
    const std::size_t at = static_cast<std::size_t>(items_[static_cast<std::size_t>(index)].viewIndex);
    return at < NamedViews.size() ? &NamedViews[at] : nullptr;
}

std::string COnlySelViewsListEx::getItemInfo(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey,
                                             std::uint8_t* selected, double matrix[3][3]) const {
    const view_ent* view = getNamedView(index);
    if (!view) return "";
    if (viewNumber) *viewNumber = static_cast<std::uint16_t>(view->number);
    if (viewKey) *viewKey = static_cast<std::uint16_t>(view->id & 0xFFFF);
    if (selected) *selected = items_[static_cast<std::size_t>(index)].selected;
    if (matrix) copyMatrix(view->matrix, matrix);
    return view->name;
}

std::string COnlySelViewsListEx::getItemText(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey,
                                             std::uint8_t* selected, double matrix[3][3]) const {
    std::string text = getItemInfo(index, viewNumber, viewKey, selected, matrix);
    if (index < 0 || index >= getCount()) return text;
    const ONLY_SEL_VIEWS_ITEM& item = items_[static_cast<std::size_t>(index)];
    char window[96];
    if (item.xOn) {
        std::snprintf(window, sizeof window, " (X: %.2f\xBA %.2f\xBA)", item.xFrom * kDegreesPerRadian,
                      item.xTo * kDegreesPerRadian);
        text += window;
    }
    if (item.yOn) {
        std::snprintf(window, sizeof window, " (Y: %.2f\xBA %.2f\xBA)", item.yFrom * kDegreesPerRadian,
                      item.yTo * kDegreesPerRadian);
        text += window;
    }
    return text;
}

int COnlySelViewsListEx::copyFrom(const COnlySelViewsListEx& other) {
    items_ = other.items_;
    return getCount();
}

int COnlySelViewsListEx::fillFromNamedViews() {
    items_.clear();
    for (std::size_t i = 0; i < NamedViews.size(); ++i) {
        ONLY_SEL_VIEWS_ITEM item;
        item.viewId = static_cast<std::int32_t>(NamedViews[i].id);
        item.viewIndex = static_cast<std::int32_t>(i);
        items_.push_back(item);
    }
    return getCount();
}

// A view keeps its choices by its id, whatever its place in the host's list now.
int COnlySelViewsListEx::syncWithNamedViews() {
    const std::vector<ONLY_SEL_VIEWS_ITEM> kept = std::move(items_);
    fillFromNamedViews();
    for (ONLY_SEL_VIEWS_ITEM& item : items_) {
        for (const ONLY_SEL_VIEWS_ITEM& old : kept) {
            if (old.viewId != item.viewId) continue;
            const std::int32_t index = item.viewIndex;
            item = old;
            item.viewIndex = index;
            break;
        }
    }
    return getCount();
}

std::vector<std::uint8_t> COnlySelViewsListEx::encode() const {
    std::vector<std::uint8_t> payload;
    ByteWriter w(payload);
    w.put(kItemSize);
    for (const ONLY_SEL_VIEWS_ITEM& it : items_) {
        const std::size_t start = w.size();
        w.putZeros(kItemSize);
        selViewExFields(it, [&](std::size_t at, const auto& field) { w.patch(start + at, field); });
    }
    return payload;
}

// Items of another size are read into 88 zero bytes (shorter ones) or cut to 88 (longer ones). Items
// whose view index no longer exists in the host are dropped but counted.
int COnlySelViewsListEx::decode(const std::vector<std::uint8_t>& payload) {
    items_.clear();
    if (payload.size() < 2) return 0;
    ByteReader head(payload);
    const auto itemSize = head.get<std::uint16_t>();
    if (itemSize == 0 || (payload.size() - 2) % itemSize != 0) return 0;
    const std::size_t stored = (payload.size() - 2) / itemSize;
    for (std::size_t i = 0; i < stored; ++i) {
        std::uint8_t raw[kItemSize] = {};
        std::memcpy(raw, payload.data() + 2 + i * itemSize, std::min<std::size_t>(itemSize, kItemSize));
        ONLY_SEL_VIEWS_ITEM it;
        selViewExFields(it, [&](std::size_t at, auto& field) { std::memcpy(&field, raw + at, sizeof field); });
        if (it.viewIndex >= 0 && static_cast<std::size_t>(it.viewIndex) < NamedViews.size()) items_.push_back(it);
    }
    return static_cast<int>(stored);
}

int COnlySelViewsListEx::readFromPart() {
    items_.clear();
    std::vector<std::uint8_t> payload;
    if (readPartRecord(recordName_, payload) < 1) return 0;
    return decode(payload);
}

void COnlySelViewsListEx::writeToPart(std::int32_t featuresLevel) const {
    const std::vector<std::uint8_t> payload = encode();
    writePartRecord(featuresLevel, header(recordName_, payload.size()), payload);
}

// ---- conversion and snapshot ------------------------------------------------------------------------------

void convertOldViewsList(std::int32_t featuresLevel) {
    COnlySelViewsList& old = g_globals->oldViewsList;
    COnlySelViewsListEx list;
    if (list.readFromPart() >= 1 || old.count() == 0) return;
    list.fillFromNamedViews();
    for (int i = 0; i < list.getCount(); ++i) {
        COnlySelViewsListEx::ONLY_SEL_VIEWS_ITEM item = list.getItem(i);
        const view_ent* view = list.getNamedView(i);
        for (const SEL_VIEW_ITEM& choice : old.items()) {
            if (choice.viewKey == static_cast<std::uint32_t>(item.viewId) || (view && choice.viewNumber == view->number)) {
                item.selected = 1;
                break;
            }
        }
        list.setItem(i, item);
    }
    list.writeToPart(featuresLevel);
    old.clear();
    old.writeToPart(featuresLevel);
}

void takeViewsSnapshot() {
    COnlySelViewsList& snapshot = g_globals->viewsSnapshot;
    snapshot.clear();
    COnlySelViewsListEx list;
    list.readFromPart();
    for (int i = 0; i < list.getCount(); ++i) {
        std::uint16_t number = 0, key = 0;
        std::uint8_t selected = 0;
        double matrix[3][3] = {};
        const std::string text = list.getItemText(i, &number, &key, &selected, matrix);
        if (selected) snapshot.add(text, number, key, matrix);
    }
}
