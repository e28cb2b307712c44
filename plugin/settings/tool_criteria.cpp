// The tool selection criteria and the choice of where the settings are kept. The criteria's factors are
// fractions of the tool diameter, shown and typed as whole percentages.
#include <utility>

#include "plugin/base/globals.h"
#include "plugin/settings/settings_dialogs.h"

// ---- tool selection criteria --------------------------------------------------------------------------------

namespace {

constexpr int kLengthKinds[] = {CDlgToolSelCriteria::kOverall, CDlgToolSelCriteria::kShoulder,
                                CDlgToolSelCriteria::kFlute};
// The labels of the minimal tool length on light blue, those of the minimal flute length on light yellow,
// as the picture colours them.
constexpr int kToolLengthLabels[] = {18172, 18179};
constexpr int kFluteLengthLabels[] = {18174, 18181};

// Control and line of each text of the dialog.
constexpr std::pair<int, int> kCriteriaTexts[] = {
    {plat::IDOK, 2}, {plat::IDCANCEL, 3}, {18170, 20}, {18171, 21}, {CDlgToolSelCriteria::kHighestHill, 22},
    {18172, 23},     {18173, 24},         {18174, 25}, {18175, 50}, {18176, 51},
    {CDlgToolSelCriteria::kOverall, 52},  {CDlgToolSelCriteria::kShoulder, 53},
    {CDlgToolSelCriteria::kFlute, 54},    {18177, 55}, {18178, 56}, {18179, 57},
    {18180, 58},     {18181, 59},         {CDlgToolSelCriteria::kFluteCheck, 60}};

}  // namespace

CDlgToolSelCriteria::CDlgToolSelCriteria() : plat::Dialog(kTemplate) {
    onCtlColor([](int id) -> std::optional<plat::CtlColors> {
        for (int label : kToolLengthLabels)
            if (id == label) return plat::CtlColors{plat::rgb(0, 0, 0), plat::rgb(184, 233, 251)};
        for (int label : kFluteLengthLabels)
            if (id == label) return plat::CtlColors{plat::rgb(0, 0, 0), plat::rgb(255, 244, 194)};
        return std::nullopt;
    });
}

bool CDlgToolSelCriteria::onInitDialog() {
    // Without its texts the dialog still works.
    (void)texts_.load(g_globals->uiTextFile, "ToolsSelCriteria", false);
    setWindowText(texts_.getText(1));
    for (const auto& [id, line] : kCriteriaTexts) item(id).setText(texts_.getText(line));
    item(kMinToolLength).setText(formatValue("%.0f", minToolLength * 100));
    item(kMinFluteLength).setText(formatValue("%.0f", minFluteLength * 100));
    item(kMaxLength).setText(formatValue("%.0f", maxToolLength * 100));
    item(kHighestHill).setCheck(highestHill ? 1 : 0);
    item(kFluteCheck).setCheck(fluteCheck ? 1 : 0);
    for (int i = 0; i < 3; ++i) item(kLengthKinds[i]).setCheck(i == lengthKind ? 1 : 0);
    return true;
}

void CDlgToolSelCriteria::onOK() {
    endDialog(plat::IDOK);
    minToolLength = typedNumber(item(kMinToolLength).text()) / 100;
    minFluteLength = typedNumber(item(kMinFluteLength).text()) / 100;
    maxToolLength = typedNumber(item(kMaxLength).text()) / 100;
    highestHill = item(kHighestHill).check() != 0;
    fluteCheck = item(kFluteCheck).check() != 0;
    // A kind no button stands for stays as it was.
    for (int i = 0; i < 3; ++i)
        if (item(kLengthKinds[i]).check() != 0) lengthKind = static_cast<std::int16_t>(i);
}

// ---- where the settings are kept ----------------------------------------------------------------------------

CDlgPrmReadWriteOptions::CDlgPrmReadWriteOptions() : plat::Dialog(kTemplate) {}

// The buttons show the option even without texts: OK would otherwise store "part only" unasked.
bool CDlgPrmReadWriteOptions::onInitDialog() {
    if (texts) {
        setWindowText(texts->getText(250));
        item(plat::IDOK).setText(texts->getText(251));
        item(plat::IDCANCEL).setText(texts->getText(252));
        item(kFileAndPart).setText(texts->getText(255));
        item(kPartOnly).setText(texts->getText(256));
    }
    item(kFileAndPart).setCheck(option == 0 ? 1 : 0);
    item(kPartOnly).setCheck(option == 0 ? 0 : 1);
    return true;
}

void CDlgPrmReadWriteOptions::onOK() {
    option = item(kFileAndPart).check() != 0 ? 0 : 1;
    endDialog(plat::IDOK);
}
