// Adds a dialog template's controls in the order they are laid, each by its top left corner, width and
// height in dialog units, so that rows of the same shape read as such.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/ui/dialog.h"

class TemplateRows {
public:
    // Which controls start a group: only the radios that ask, or every control but a radio that continues
    // its group, so that a radio group ends at the first control after it.
    enum Grouping { RadiosOnly, EveryControl };

    explicit TemplateRows(plat::DlgTemplate& t, Grouping grouping = RadiosOnly)
        : t_(t), eachStartsGroup_(grouping == EveryControl) {}

    // The control just added, for its rarer fields (visible, group, bitmap); valid until the next one.
    plat::CtlTemplate& add(int id, plat::Ctl kind, int x, int y, int w, int h, std::string text = "",
                           std::uint32_t style = 0) {
        t_.controls.push_back(plat::CtlTemplate{id, kind, plat::Rect{x, y, x + w, y + h}, std::move(text), style,
                                                true, eachStartsGroup_});
        return t_.controls.back();
    }
    // A label on the line of an edit: a little lower than the edit's top, as high as its text.
    plat::CtlTemplate& label(int id, int x, int y, int w = 70) { return add(id, plat::Ctl::Static, x, y + 2, w, 9); }
    plat::CtlTemplate& edit(int id, int x, int y, int w) { return add(id, plat::Ctl::Edit, x, y, w, 12); }
    plat::CtlTemplate& check(int id, int x, int y, int w) { return add(id, plat::Ctl::Check, x, y, w, 10); }
    // A radio button; `first` starts its group.
    plat::CtlTemplate& radio(int id, int x, int y, int w, bool first) {
        plat::CtlTemplate& c = add(id, plat::Ctl::Radio, x, y, w, 10);
        c.group = first;
        return c;
    }
    // A drop-down list; `h` includes the list when it is open.
    plat::CtlTemplate& combo(int id, int x, int y, int w, int h = 100) {
        return add(id, plat::Ctl::ComboDropList, x, y, w, h);
    }
    plat::CtlTemplate& group(int id, int x, int y, int w, int h) { return add(id, plat::Ctl::GroupBox, x, y, w, h); }
    plat::CtlTemplate& button(int id, int x, int y, int w, std::string text = "") {
        return add(id, plat::Ctl::Button, x, y, w, 14, std::move(text));
    }
    // A button in a row of edits, as high as they are.
    plat::CtlTemplate& rowButton(int id, int x, int y, int w, std::string text = "") {
        return add(id, plat::Ctl::Button, x, y, w, 12, std::move(text));
    }
    plat::CtlTemplate& ok(int x, int y, int w, std::string text = "OK") {
        return add(plat::IDOK, plat::Ctl::DefButton, x, y, w, 14, std::move(text));
    }
    // OK and Cancel side by side, `w` wide each and `gap` apart.
    void okCancel(int x, int y, int w, int gap = 10, std::string okText = "OK", std::string cancelText = "Cancel") {
        ok(x, y, w, std::move(okText));
        button(plat::IDCANCEL, x + w + gap, y, w, std::move(cancelText));
    }
    // A label and its edit on one line.
    void field(int labelId, int editId, int y, int x = 10, int labelWidth = 70, int editWidth = 44) {
        label(labelId, x, y, labelWidth);
        edit(editId, x + labelWidth + 2, y, editWidth);
    }

private:
    plat::DlgTemplate& t_;
    bool eachStartsGroup_;
};
