// The host's level dialog (sel_level_dialog): a window of the host in which the user types a level number,
// played with window steps like the plug-in's own windows.
#include <charconv>
#include <string>

#include "host/api.h"
#include "host/internal.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kTemplate = 30102, kLevel = 1001;

void registerTemplate() {
    using plat::Ctl;
    using plat::Rect;
    plat::DlgTemplate t{kTemplate, "Levels", 150, 60, {}, false};
    t.controls.push_back({1101, Ctl::Static, Rect{7, 9, 50, 18}, "Level"});
    t.controls.push_back({kLevel, Ctl::Edit, Rect{55, 7, 143, 19}, ""});
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{20, 39, 70, 53}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{80, 39, 130, 53}, "Cancel"});
    plat::registerDialog(std::move(t));
}

class LevelDialog : public plat::Dialog {
public:
    LevelDialog(std::string title, std::int32_t start) : plat::Dialog(kTemplate), level(start), title_(std::move(title)) {}
    std::int32_t level;

protected:
    bool onInitDialog() override {
        if (!title_.empty()) setWindowText(title_);
        item(kLevel).setText(std::to_string(level));
        return true;
    }
    void onOK() override {
        std::string text = item(kLevel).text();
        while (!text.empty() && text.back() == ' ') text.pop_back();
        const auto first = text.find_first_not_of(' ');
        text = first == std::string::npos ? "" : text.substr(first);
        std::int32_t value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
            plat::messageBox(this, "A level is a whole number.", windowText(), plat::MB_OK | plat::MB_ICONERROR);
            return;
        }
        level = value;
        endDialog(plat::IDOK);
    }

private:
    std::string title_;
};

}  // namespace

int sel_level_dialog(const char* title, int, int, std::int32_t* level) {
    if (!level) return 0;
    registerTemplate();
    LevelDialog dlg(title ? title : "", *level);
    if (dlg.doModal() != plat::IDOK) {
        host::detail::record("host.level dialog cancelled");
        return 0;
    }
    *level = dlg.level;
    host::detail::record("host.level dialog " + std::to_string(*level));
    return 1;
}
