// The settings record "DGPDd01": every settings item in the part, so that the part brings the settings it
// was last worked with; what belongs to the station stays the station's. Section = position of the section
// in the settings file, key = item number.
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/base/store_params.h"

namespace {

constexpr const char* kRecordName = "DGPDd01";

bool isReservedFilterKey(const SETTING_ITEM& it) { return it.section == 7 && it.item >= 9 && it.item <= 11; }

// What belongs to the station, not to the work: sharing and its access, the shared folder, the tool library
// and the table library. A part saved elsewhere (or crafted) still carries them but never brings them in.
bool isStationItem(const SETTING_ITEM& it) { return it.section == 1 || (it.section == 4 && it.item <= 2); }

}  // namespace

int writeSettingsRecord(std::int32_t featuresLevel) {
    CStoreParams store;
    store.init(kRecordName);
    for (const SETTING_ITEM& it : settingsItems()) {
        switch (it.kind) {
        case SettingKind::I16:
        case SettingKind::AtomicI16: store.setShort(it.section, it.item, shortItemValue(it)); break;
        case SettingKind::I32: store.setLong(it.section, it.item, *static_cast<std::int32_t*>(it.member)); break;
        case SettingKind::U8: store.setBool(it.section, it.item, *static_cast<std::uint8_t*>(it.member)); break;
        case SettingKind::F64: store.setDouble(it.section, it.item, *static_cast<double*>(it.member)); break;
        case SettingKind::Text: store.setString(it.section, it.item, *static_cast<std::string*>(it.member)); break;
        case SettingKind::Colours6:
            store.setString(it.section, it.item,
                            colourListText(static_cast<std::array<std::uint8_t, 6>*>(it.member)->data(), 6));
            break;
        case SettingKind::Colours3:
            store.setString(it.section, it.item,
                            colourListText(static_cast<std::array<std::uint8_t, 3>*>(it.member)->data(), 3));
            break;
        case SettingKind::Reserved:
            if (isReservedFilterKey(it)) store.setBool(it.section, it.item, 1);
            break;
        }
    }
    store.save(g_globals->isMetric() ? 1 : 2, featuresLevel);
    store.clear();
    return 0;
}

int readSettingsRecord() {
    CStoreParams store;
    store.init(kRecordName);
    store.load();
    for (const SETTING_ITEM& it : settingsItems()) {
        if (isStationItem(it)) continue;
        switch (it.kind) {
        case SettingKind::I16:
        case SettingKind::AtomicI16: {
            const std::int16_t m = shortItemValue(it);
            std::int16_t v = m;
            store.getShort(it.section, it.item, v, m);
            if (!(it.section == 6 && it.item == 3)) setShortItem(it, v);   // read, but the file's value stays
            break;
        }
        case SettingKind::I32: {
            auto& m = *static_cast<std::int32_t*>(it.member);
            store.getLong(it.section, it.item, m, m);
            break;
        }
        case SettingKind::U8: {
            auto& m = *static_cast<std::uint8_t*>(it.member);
            bool v = m != 0;
            if (store.getBool(it.section, it.item, v, v)) m = v ? 1 : 0;
            break;
        }
        case SettingKind::F64: {
            auto& m = *static_cast<double*>(it.member);
            store.getDouble(it.section, it.item, m, m);
            break;
        }
        case SettingKind::Text: {
            auto& m = *static_cast<std::string*>(it.member);
            std::string v;
            store.getString(it.section, it.item, v, m);
            m = v;
            break;
        }
        case SettingKind::Colours6: {
            auto& m = *static_cast<std::array<std::uint8_t, 6>*>(it.member);
            std::string text;
            store.getString(it.section, it.item, text, colourListText(m.data(), 6));
            parseColourList(text, m.data(), 6, true);
            break;
        }
        case SettingKind::Colours3: {
            auto& m = *static_cast<std::array<std::uint8_t, 3>*>(it.member);
            std::string text;
            store.getString(it.section, it.item, text, colourListText(m.data(), 3));
            parseColourList(text, m.data(), 3, true);
            break;
        }
        case SettingKind::Reserved:
            break;   // keys 9-11 are asked for as texts and never found: nothing changes
        }
    }
    store.clear();
    return 0;
}
