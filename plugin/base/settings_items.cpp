// The table of settings items: section, number, storage kind and member. The file reader and writer and
// the settings record walk this one table, so an item is declared once.
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"

const std::array<const char*, 11> kSettingsSections = {
    "SharedData", "General", "Levels", "ProcessMach", "ToolSelectionCriteria", "ProcessMachTool",
    "FeatMgrFilter", "FeatMgrThdColors", "FeatMgrReamColors", "UserToolsMgr", "FeatSDTsettings"};

namespace {

using K = SettingKind;

class ItemList {
public:
    explicit ItemList(std::vector<SETTING_ITEM>& out) : out_(out) {}
    ItemList& section(int s) {
        section_ = s;
        item_ = 0;
        return *this;
    }
    ItemList& i16(std::int16_t& m) { return add(K::I16, &m); }
    ItemList& i16(std::atomic<std::int16_t>& m) { return add(K::AtomicI16, &m); }
    ItemList& i32(std::int32_t& m) { return add(K::I32, &m); }
    ItemList& u8(std::uint8_t& m) { return add(K::U8, &m); }
    ItemList& f64(double& m) { return add(K::F64, &m); }
    ItemList& text(std::string& m) { return add(K::Text, &m); }
    ItemList& colours6(std::array<std::uint8_t, 6>& m) { return add(K::Colours6, &m); }
    ItemList& colours3(std::array<std::uint8_t, 3>& m) { return add(K::Colours3, &m); }
    ItemList& reserved() { return add(K::Reserved, nullptr); }

private:
    ItemList& add(K kind, void* member) {
        out_.push_back({section_, ++item_, kind, member});
        return *this;
    }
    std::vector<SETTING_ITEM>& out_;
    int section_ = 0, item_ = 0;
};

}  // namespace

std::int16_t shortItemValue(const SETTING_ITEM& it) {
    if (it.kind == K::AtomicI16) return static_cast<const std::atomic<std::int16_t>*>(it.member)->load();
    return *static_cast<const std::int16_t*>(it.member);
}

void setShortItem(const SETTING_ITEM& it, std::int16_t value) {
    if (it.kind == K::AtomicI16) static_cast<std::atomic<std::int16_t>*>(it.member)->store(value);
    else *static_cast<std::int16_t*>(it.member) = value;
}

std::vector<SETTING_ITEM> settingsItems() {
    PLUGIN_GLOBALS& g = *g_globals;
    PRM_SETTINGS& s = g.settings;
    std::vector<SETTING_ITEM> items;
    items.reserve(130);
    ItemList l(items);
    l.section(1).u8(g.sharedDataOn).i16(g.sharedAccessSetting).text(g.sharedDir);
    l.section(2).i16(s.settingsFormat).i16(s.reservedGeneral2).i16(s.reservedGeneral3).i32(s.reamArcColour)
        .i32(s.reamSelectionColour).reserved().i16(s.readWriteMode);
    l.section(3).i32(s.newFormsLevel).i32(s.featuresLevel).i32(s.isolationLevel).i32(s.formsLevel)
        .i16(s.formsLevelShowMode).i16(s.supportGeometryOn).i32(s.supportGeometryLevel)
        .i16(s.supportGeometryInclinedOnly);
    l.section(4).text(s.toolLibraryPath).text(g.libraryName).i16(s.machiningExtent).i16(s.intelligentProcess)
        .i16(s.skipTapping).i16(s.skipReaming).f64(s.initialHeight).f64(s.retractHeight).f64(s.maxDiameter)
        .i16(s.maxDiameterOn).f64(s.minDiameter).i16(s.minDiameterOn).text(s.interchangePath)
        .i16(s.checkCollisions).i16(s.viewsSortOrder).f64(s.baseTolerance).i16(s.reservedProcessMach17)
        .f64(s.reservedProcessMach18).f64(s.oversizeLimit).i16(s.allowOversizeTools).i16(s.forceReaming)
        .i16(s.breakthroughMode).f64(s.breakthroughLength).f64(s.breakthroughRatio).i16(s.drillFromBothFaces)
        .f64(s.openSpaceFactor).i16(s.tryDrillBeyondMax).f64(s.firstFaceShare).i16(s.warnMaxDepth)
        .i16(s.penetrationMode).i16(s.interchangeFilterIndex).i16(s.drillingListOn).text(s.drillingListFile)
        .i16(s.machiningTimeListOn).text(s.machiningTimeFile).i16(s.longToolStrategy).i16(s.divideReamed)
        .f64(s.divideReamedDepth).i16(s.divideNotReamed).f64(s.divideNotReamedDepth).i16(s.processTreeOption)
        .f64(s.clearanceAddition).i16(s.useStock).i16(s.drillMinorThroughB).i16(s.drillMinorThroughA)
        .i16(s.longToolCycle).u8(s.nameNewViews).u8(s.reservedProcessMach48).i16(s.newViewsOrientation)
        .i16(s.reamOnlyOnMarkedSide).f64(s.minSweepAngle).f64(s.roundnessTolerance).f64(s.axisAngleTolerance)
        .f64(s.openBoundaryTolerance).f64(s.featMgrToleranceA).f64(s.featMgrToleranceB).i16(s.forceTapping)
        .i16(s.skipSpotDrills).i16(s.longToolStartAtTop);
    l.section(5).f64(s.minToolLengthFactor).f64(s.maxToolLengthFactor).i16(s.toolLengthKind)
        .f64(s.minFluteLengthFactor).i16(s.useHighestHill).i16(s.checkFluteLength).i16(s.toolSequencingOption);
    l.section(6).i16(s.takeNearestTool).i16(s.addNewTools).i16(s.adaptDrillAngle).i16(s.warnDrillAngle)
        .f64(s.minDrawnTipAngle).f64(s.maxDrawnTipAngle).i16(s.subprogramsOn).i16(s.subprogramsIncremental)
        .i16(s.clearanceAtEndsOnly).i16(s.overrideSpotDrill).i16(s.spotDrillByName).f64(s.spotDrillDiameter)
        .text(s.spotDrillName).f64(s.spotDepthPercent).f64(s.spotDepthValue).i16(s.allowCenterDrill)
        .i16(s.centerDrillType).i16(s.firstToolNumber).i16(s.reamingToolChoice).i16(s.keepPartTools)
        .i16(s.preferLargerAngle);
    l.section(7);
    for (std::int16_t& f : s.featMgrFilter) l.i16(f);
    l.colours6(s.reamClassColours).colours3(s.threadClassColours).reserved().reserved().reserved()
        .text(s.colourConfigName);
    l.section(8);
    for (std::string& t : s.threadClassTables) l.text(t);
    l.section(9);
    for (std::string& t : s.reamClassTables) l.text(t);
    l.section(10).i32(s.shapeLevel).i16(s.shapeAxisHelpPoints);
    l.section(11).i32(s.blindTapAddOn).i32(s.blindTapAddByPitch).f64(s.blindTapAddLength).f64(s.blindTapAddPercent)
        .i32(s.throughTapAddOn).i32(s.throughTapAddByPitch).f64(s.throughTapAddLength).f64(s.throughTapAddPercent);
    return items;
}
