// The host's tool editor (tool_manager mode 6): a modal window of the host with the tool's number, name,
// measures and flutes in edits. The user changes values and accepts with OK, or cancels; the record changes
// only on OK, and only the values the user changed: an edit left as it was shown keeps the record's value
// bit for bit. A value that does not read as a number keeps the window open after a message.
#include "host/tools/tool_editor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <type_traits>

#include "host/internal.h"
#include "host/tools/tool_library.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace host::tools {
namespace {

constexpr int kNumber = 1001, kName = 1002, kFlutes = 1003;

// The decimal fields, in the window's order.
struct DECIMAL_FIELD {
    int id;
    const char* label;
    double tp_tool::*member;
};
constexpr DECIMAL_FIELD kDecimals[] = {
    {1010, "Diameter", &tp_tool::diameter},          {1011, "Corner radius", &tp_tool::cornerRadius},
    {1012, "Angle", &tp_tool::angle},                {1013, "Flute length", &tp_tool::fluteLength},
    {1014, "Shoulder length", &tp_tool::shoulderLength}, {1015, "Overall length", &tp_tool::overallLength},
};

void registerTemplate() {
    using plat::Ctl;
    using plat::Rect;
    plat::DlgTemplate t{kToolEditorTemplate, "Tool", 200, 190, {}, false};
    auto row = [&](int id, const char* label, int y) {
        t.controls.push_back({id + 100, Ctl::Static, Rect{7, y + 2, 80, y + 11}, label});
        t.controls.push_back({id, Ctl::Edit, Rect{85, y, 193, y + 12}, ""});
    };
    int y = 7;
    row(kNumber, "Number", y);
    row(kName, "Name", y += 16);
    for (const DECIMAL_FIELD& f : kDecimals) row(f.id, f.label, y += 16);
    row(kFlutes, "Flutes", y += 16);
    t.controls.push_back({plat::IDOK, Ctl::DefButton, Rect{40, 169, 95, 183}, "OK"});
    t.controls.push_back({plat::IDCANCEL, Ctl::Button, Rect{105, 169, 160, 183}, "Cancel"});
    plat::registerDialog(std::move(t));
}

// Blanks around a typed value are the user's slip, not part of it.
std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

template <class T>
bool readNumber(const std::string& text, T& out) {
    const std::string t = trimmed(text);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty()) return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) return false;
    }
    out = value;
    return true;
}

class ToolEditor : public plat::Dialog {
public:
    explicit ToolEditor(tp_tool& tool) : plat::Dialog(kToolEditorTemplate), tool_(tool) {}

protected:
    bool onInitDialog() override {
        setWindowText("Tool " + std::to_string(tool_.number));
        show(kNumber, std::to_string(tool_.number));
        show(kName, std::string(toolName(tool_)));
        for (const DECIMAL_FIELD& f : kDecimals) show(f.id, detail::number(tool_.*f.member));
        show(kFlutes, std::to_string(tool_.flutes));
        return true;
    }

    void onOK() override {
        tp_tool edited = tool_;
        if (changed(kNumber) && !readNumber(item(kNumber).text(), edited.number)) return refuse("Number");
        if (changed(kFlutes) && !readNumber(item(kFlutes).text(), edited.flutes)) return refuse("Flutes");
        for (const DECIMAL_FIELD& f : kDecimals)
            if (changed(f.id) && !readNumber(item(f.id).text(), edited.*f.member)) return refuse(f.label);
        if (changed(kName)) {
            std::memset(edited.name, 0, sizeof edited.name);
            const std::string& name = item(kName).text();
            std::memcpy(edited.name, name.data(), std::min(name.size(), sizeof edited.name - 1));
        }
        if (const std::string why = tool_values_why(edited); !why.empty()) {
            plat::messageBox(this, "The tool cannot be used: " + why + ".", "Tool", plat::MB_OK | plat::MB_ICONERROR);
            return;
        }
        tool_ = edited;
        endDialog(plat::IDOK);
    }

private:
    void show(int id, const std::string& text) {
        shown_[id] = text;
        item(id).setText(text);
    }
    bool changed(int id) { return item(id).text() != shown_[id]; }
    void refuse(const char* field) {
        plat::messageBox(this, std::string("The value of ") + field + " is not a number.", "Tool",
                         plat::MB_OK | plat::MB_ICONERROR);
    }

    tp_tool& tool_;
    std::map<int, std::string> shown_;
};

}  // namespace

int editToolRecord(tp_tool& tool) {
    registerTemplate();
    detail::record("host.tool editor slot=" + std::to_string(tool.slot) + " " + detail::quote(toolName(tool)));
    ToolEditor editor(tool);
    const bool accepted = editor.doModal() == plat::IDOK;
    detail::record(accepted ? "host.tool editor accepted " + detail::quote(toolName(tool)) : "host.tool editor cancelled");
    return accepted ? 1 : 0;
}

}  // namespace host::tools
