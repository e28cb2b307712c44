// What a user does to a window, as script steps give it. Every action is checked first (window reachable,
// control present, shown and enabled, fit for the action) and refused with a reason before anything
// happens; an accepted action is recorded and then plays out as the window system would: the cursor
// moves onto the control, the focus moves (the control losing it is told first), then the control acts.
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

bool isComboKind(Ctl k) { return k == Ctl::ComboDropList || k == Ctl::ComboDropDown || k == Ctl::ComboSimple; }

std::string shownText(const Control& c, std::string_view text) {
    if (c.kind() == Ctl::Edit && (c.style() & ES_PASSWORD) != 0) return std::string(text.size(), '*');
    return std::string(text);
}

}  // namespace

std::string Dialog::checkWindow() const {
    std::string self = "window " + std::to_string(templateId_);
    if (!created_ || !visible_) return self + " is not shown";
    if (!enabled_) return self + " is disabled";
    if (!reachable()) {
        const auto modal = modalStack();
        return self + " is blocked by the modal dialog " + std::to_string(modal.back()->templateId());
    }
    return "";
}

std::string Dialog::checkControl(int ctlId, Control*& ctl) {
    ctl = nullptr;
    if (std::string why = checkWindow(); !why.empty()) return why;
    std::string self = "window " + std::to_string(templateId_);
    ctl = findItem(ctlId);
    std::string that = "control " + std::to_string(ctlId) + " of " + self;
    if (!ctl) return self + " has no control " + std::to_string(ctlId);
    if (!ctl->visible()) return that + " is hidden";
    if (!ctl->enabled()) return that + " is disabled";
    return "";
}

std::string Dialog::checkKind(int ctlId, Ctl kind, Control*& ctl) {
    if (std::string why = checkControl(ctlId, ctl); !why.empty()) return why;
    if (ctl->kind() == kind) return "";
    return "control " + std::to_string(ctlId) + " of window " + std::to_string(templateId_) + " (" +
           ctlKindName(ctl->kind()) + ") is no " + ctlKindName(kind);
}

void Dialog::press(int ctlId) {
    Control* c = findItem(ctlId);
    setCursorPos(c->windowRect().center());
    switch (c->kind()) {
    case Ctl::Static:
    case Ctl::Picture:
    case Ctl::GroupBox: {
        // Statics let the mouse through: the dialog itself receives the button-up at that point.
        MsgArgs a;
        a.msg = Msg::LButtonUp;
        a.point = c->rect().center();
        sendMessage(a);
        return;
    }
    case Ctl::Progress:
        return;
    case Ctl::Button:
    case Ctl::DefButton:
    case Ctl::BitmapButton:
    case Ctl::Check:
    case Ctl::Radio:
    case Ctl::Edit:
    case Ctl::ComboDropList:
    case Ctl::ComboDropDown:
    case Ctl::ComboSimple:
    case Ctl::ListBox:
    case Ctl::ListView:
    case Ctl::TreeView:
    case Ctl::Tab:
        break;
    }
    c->setFocus();
    // The kill-focus handler may have hidden, disabled or removed the control: then the click is lost.
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled()) return;
    switch (c->kind()) {
    case Ctl::Check:
        c->setCheck(c->check() != 0 ? 0 : 1);
        sendCommand(ctlId);
        return;
    case Ctl::Radio:
        tickRadio(ctlId);
        sendCommand(ctlId);
        return;
    case Ctl::Button:
    case Ctl::DefButton:
    case Ctl::BitmapButton:
        sendCommand(ctlId);
        return;
    case Ctl::ListView:
    case Ctl::TreeView:
    case Ctl::Tab: {
        Notify n;
        n.ctlId = ctlId;
        n.ev = Ev::Clicked;
        sendNotify(n);
        return;
    }
    case Ctl::Edit:
    case Ctl::ComboDropList:
    case Ctl::ComboDropDown:
    case Ctl::ComboSimple:
    case Ctl::ListBox:
    case Ctl::Static:
    case Ctl::Picture:
    case Ctl::GroupBox:
    case Ctl::Progress:
        return;
    }
}

std::string Dialog::userClick(int ctlId) {
    Control* c = nullptr;
    if (std::string why = checkControl(ctlId, c); !why.empty()) return why;
    record("user click " + std::to_string(templateId_) + " " + std::to_string(ctlId));
    press(ctlId);
    return "";
}

std::string Dialog::userType(int ctlId, std::string_view text) {
    Control* c = nullptr;
    if (std::string why = checkControl(ctlId, c); !why.empty()) return why;
    bool edit = c->kind() == Ctl::Edit && (c->style() & ES_READONLY) == 0;
    bool comboEdit = c->kind() == Ctl::ComboDropDown || c->kind() == Ctl::ComboSimple;
    if (!edit && !comboEdit)
        return "control " + std::to_string(ctlId) + " of window " + std::to_string(templateId_) + " (" +
               ctlKindName(c->kind()) + (c->kind() == Ctl::Edit ? ", read-only" : "") + ") takes no typed text";
    record("user type " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " +
           quoteText(shownText(*c, text)));
    setCursorPos(c->windowRect().center());
    c->setFocus();
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled()) return "";
    if (edit) {
        c->setText(text);  // sends Change
    } else {
        // Typing into a combo's edit field selects the item it names, or none.
        c->text_ = std::string(text);
        c->curSel_ = c->findStringExact(text);
        Notify n;
        n.ctlId = ctlId;
        n.ev = Ev::Change;
        sendNotify(n);
    }
    return "";
}

std::string Dialog::userCheck(int ctlId, int state) {
    Control* c = nullptr;
    if (std::string why = checkControl(ctlId, c); !why.empty()) return why;
    std::string that = "control " + std::to_string(ctlId) + " of window " + std::to_string(templateId_);
    if (c->kind() != Ctl::Check && c->kind() != Ctl::Radio) return that + " is no check box or radio button";
    if (state != 0 && state != 1) return "a check state is 0 or 1";
    if (c->kind() == Ctl::Radio && state == 0 && c->check() != 0)
        return that + " is a ticked radio button: a user unticks it only by ticking another";
    record("user check " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " + std::to_string(state));
    // A box already in the wanted state is left alone, as a user would.
    if ((c->check() != 0) != (state != 0)) press(ctlId);
    return "";
}

std::string Dialog::userSelect(int ctlId, int index) {
    Control* c = nullptr;
    if (std::string why = checkControl(ctlId, c); !why.empty()) return why;
    std::string that = "control " + std::to_string(ctlId) + " of window " + std::to_string(templateId_);
    bool list = isComboKind(c->kind()) || c->kind() == Ctl::ListBox;
    if (!list && c->kind() != Ctl::Tab) return that + " (" + ctlKindName(c->kind()) + ") has no items to select";
    if (index < 0 || index >= c->count())
        return that + " has no item " + std::to_string(index) + " (" + std::to_string(c->count()) + " items)";
    record("user select " + std::to_string(templateId_) + " " + std::to_string(ctlId) + " " + std::to_string(index));
    setCursorPos(c->kind() == Ctl::Tab ? c->clientToScreen(c->tabRect(index).center()) : c->windowRect().center());
    c->setFocus();
    c = findItem(ctlId);
    if (!c || !c->visible() || !c->enabled() || index >= c->count()) return "";
    Notify n;
    n.ctlId = ctlId;
    if (c->kind() == Ctl::Tab && index == c->curSel()) {
        // The tab shown already: nothing changes, only the click is reported.
        n.ev = Ev::Clicked;
        sendNotify(n);
        return "";
    }
    if (c->kind() == Ctl::Tab) {
        // A tab click: the change may be refused; the click itself is reported after the change.
        n.ev = Ev::SelChanging;
        sendNotify(n);
        if (n.result != 0) return "";
        c = findItem(ctlId);
        if (!c) return "";
        c->setCurSel(index);
        Notify changed;
        changed.ctlId = ctlId;
        changed.ev = Ev::SelChange;
        sendNotify(changed);
        Notify click;
        click.ctlId = ctlId;
        click.ev = Ev::Clicked;
        sendNotify(click);
        return "";
    }
    c->setCurSel(index);
    n.ev = Ev::SelChange;
    sendNotify(n);
    return "";
}

void Dialog::keyCommand(int vk, int cmdId) {
    KeyHeld held(vk);
    // A disabled target button makes the key do nothing, as the dialog manager only beeps then.
    if (Control* c = findItem(cmdId); c && !c->enabled()) return;
    sendCommand(cmdId);
}

std::string Dialog::userKey(int vk) {
    if (std::string why = checkWindow(); !why.empty()) return why;
    if (vk <= 0 || vk > 255) return "no key " + std::to_string(vk);
    record("user key " + std::to_string(templateId_) + " " + vkName(vk));
    if (vk == VK_RETURN) {
        int def = IDOK;
        for (const auto& c : controls_) {
            if (c->kind() == Ctl::DefButton) {
                def = c->id();
                break;
            }
        }
        keyCommand(vk, def);
    } else if (vk == VK_ESCAPE) {
        keyCommand(vk, IDCANCEL);
    } else if (Control* f = findItem(focusId_); f && f->kind() == Ctl::ListView) {
        listKeyDown(focusId_, vk);
    } else {
        KeyHeld held(vk);
        if (focusId_ != 0) {
            Notify n;
            n.ctlId = focusId_;
            n.ev = Ev::KeyDown;
            n.vk = vk;
            sendNotify(n);
        }
    }
    return "";
}

std::string Dialog::userClose() {
    if (std::string why = checkWindow(); !why.empty()) return why;
    record("user close " + std::to_string(templateId_));
    MsgArgs a;
    a.msg = Msg::Close;
    sendMessage(a);
    return "";
}

std::string Dialog::userFocusOut(bool escDown) {
    if (std::string why = checkWindow(); !why.empty()) return why;
    record("user focus-out " + std::to_string(templateId_) + (escDown ? " esc" : ""));
    std::optional<KeyHeld> esc;
    if (escDown) esc.emplace(VK_ESCAPE);
    MsgArgs a;
    a.msg = Msg::KillFocus;
    sendMessage(a);
    return "";
}

std::string Dialog::userClickAt(Point client) {
    if (std::string why = checkWindow(); !why.empty()) return why;
    const std::string self = "window " + std::to_string(templateId_);
    const std::string at = "(" + std::to_string(client.x) + "," + std::to_string(client.y) + ")";
    if (!clientRect().contains(client)) return "the point " + at + " lies outside the client area of " + self;
    for (const auto& c : controls_) {
        if (!c->visible() || !c->rect().contains(client)) continue;
        if (c->kind() == Ctl::Static || c->kind() == Ctl::Picture || c->kind() == Ctl::GroupBox) continue;
        return "the point " + at + " lies on control " + std::to_string(c->id()) + " of " + self + " (" +
               ctlKindName(c->kind()) + "), which takes the click itself";
    }
    record("user click-at " + std::to_string(templateId_) + " " + std::to_string(client.x) + " " +
           std::to_string(client.y));
    setCursorPos(clientToScreen(client));
    MsgArgs a;
    a.msg = Msg::LButtonUp;
    a.point = client;
    sendMessage(a);
    return "";
}

std::string Dialog::userHover(int ctlId) {
    if (std::string why = checkWindow(); !why.empty()) return why;
    Control* c = findItem(ctlId);
    if (!c) return "window " + std::to_string(templateId_) + " has no control " + std::to_string(ctlId);
    if (!c->visible()) return "control " + std::to_string(ctlId) + " of window " + std::to_string(templateId_) + " is hidden";
    record("user hover " + std::to_string(templateId_) + " " + std::to_string(ctlId));
    setCursorPos(c->windowRect().center());
    if (!toolTipsOn_) return "";
    Notify n;
    n.ctlId = ctlId;
    n.ev = Ev::NeedText;
    // A handler of the control itself, else the window's handler of every control.
    if (notifies_.count({ctlId, Ev::NeedText}) != 0) {
        sendNotify(n);
    } else if (auto any = notifies_.find({0, Ev::NeedText}); any != notifies_.end()) {
        auto handler = any->second;
        handler(n);
    }
    if (!n.text || n.text->empty()) return "";
    record("dialog.tooltip " + std::to_string(templateId_) + " " + std::to_string(ctlId) +
           " width=" + std::to_string(tipLook_.maxWidth) + " delays=" + std::to_string(tipLook_.initialMs) + "/" +
           std::to_string(tipLook_.autoPopMs) + "/" + std::to_string(tipLook_.reshowMs) + " " + quoteText(*n.text));
    return "";
}

}  // namespace plat
