// Dialog windows: creation from a template, the modal loop, modeless show/hide, message dispatch, focus,
// data exchange and the registry of open windows.
//
// Modal run (doModal):
//   create controls -> onInitDialog -> [ended in init: destroy, no show]
//   -> show -> loop { posted calls | aborted: stop | next step a window step: deliver (refused: stop) | else script error, stop }
//   -> hide -> Destroy -> controls gone -> "dialog.end"
// A run that stops on a script error or an abort returns IDCANCEL without running any handler.
#include <algorithm>
#include <cassert>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/text_quote.h"
#include "platform/ui/tree_view.h"

namespace plat {
namespace {

// Open windows in creation order, the modal runs (outermost first), and the last state of each template
// as it closed. The UI thread owns all of it.
struct Windows {
    std::vector<Dialog*> live;
    std::vector<Dialog*> modal;
    std::uint64_t showCounter = 0;
    std::map<int, std::string> snapshots;
};

Windows& windows() {
    static Windows* w = new Windows;
    return *w;
}

bool notifiesFocus(Ctl kind) {
    switch (kind) {
    case Ctl::Edit:
    case Ctl::ComboDropList:
    case Ctl::ComboDropDown:
    case Ctl::ComboSimple:
    case Ctl::ListBox:
    case Ctl::ListView:
    case Ctl::TreeView:
        return true;
    case Ctl::Button:
    case Ctl::DefButton:
    case Ctl::BitmapButton:
    case Ctl::Check:
    case Ctl::Radio:
    case Ctl::GroupBox:
    case Ctl::Static:
    case Ctl::Picture:
    case Ctl::Tab:
    case Ctl::Progress:
        return false;
    }
    return false;
}

}  // namespace

// ---- lifetime ------------------------------------------------------------------------------------------

Dialog::Dialog(int templateId) : templateId_(templateId) {
    if (const DlgTemplate* t = findDialogTemplate(templateId)) caption_ = t->caption;
}

Dialog::~Dialog() {
    if (created_) teardown(false);
    auto& modal = windows().modal;
    modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
}

bool Dialog::createWindow(Dialog* parent, bool modal) {
    assert(!created_ && "the window of this dialog is already open");
    const DlgTemplate* tmpl = findDialogTemplate(templateId_);
    if (!tmpl) {
        record("dialog.fail " + std::to_string(templateId_) + " no template");
        return false;
    }
    parent_ = parent;
    modal_ = modal;
    caption_ = tmpl->caption;
    cxPx_ = dluToPixelsX(tmpl->cxDlu);
    cyPx_ = dluToPixelsY(tmpl->cyDlu);
    origin_.reset();
    visible_ = false;
    enabled_ = true;
    ended_ = false;
    endCode_ = 0;
    focusId_ = 0;
    createControls(*tmpl);
    created_ = true;
    windows().live.push_back(this);
    return true;
}

void Dialog::createControls(const DlgTemplate& tmpl) {
    controls_.clear();
    for (const CtlTemplate& c : tmpl.controls) controls_.push_back(std::make_unique<Control>(*this, c));
}

void Dialog::teardown(bool sendDestroy) {
    if (sendDestroy) {
        MsgArgs a;
        a.msg = Msg::Destroy;
        sendMessage(a);
    }
    controls_.clear();
    focusId_ = 0;
    created_ = false;
    visible_ = false;
    surface_.reset();
    timers_.clear();
    {
        std::lock_guard lock(postedMutex_);
        posted_.clear();
    }
    paintPending_ = false;
    pictureAt_ = 0;
    auto& live = windows().live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

int Dialog::doModal(Dialog* parent) {
    if (!createWindow(parent, true)) return -1;
    windows().modal.push_back(this);
    if (driver().aborted()) {
        ended_ = true;
        endCode_ = IDCANCEL;
    } else {
        bool defaultFocus = onInitDialog();
        if (!ended_ && defaultFocus && focusId_ == 0) {
            for (const auto& c : controls_) {
                if (c->takesFocus() && c->visible() && c->enabled()) {
                    focusId_ = c->id();  // the first tab stop, as the window system picks it
                    break;
                }
            }
        }
    }
    if (!ended_ && !driver().aborted()) {
        markShown(true);
        UiDriver& d = driver();
        while (!ended_ && !d.aborted()) {
            runPostedCalls();  // what other threads posted, before the user acts again
            if (ended_) break;
            // Optional steps of other verbs are passed over; anything else that is no window step is a
            // script error.
            std::optional<Step> step =
                d.expect(windowStepVerbs(), "dialog " + std::to_string(templateId_) + " " + quoteText(caption_));
            if (!step) break;
            if (deliverWindowStep(*step) == Delivery::Refused) break;
        }
        if (visible_) windows().snapshots[templateId_] = describeWindow(*this);
    }
    int code = driver().aborted() ? IDCANCEL : endCode_;
    teardown(true);
    auto& modal = windows().modal;
    assert(!modal.empty() && modal.back() == this && "modal runs end in the reverse order of their start");
    modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
    modal_ = false;
    record("dialog.end " + std::to_string(templateId_) + " code=" + std::to_string(code));
    return code;
}

bool Dialog::create(Dialog* parent) {
    const DlgTemplate* tmpl = findDialogTemplate(templateId_);
    bool visibleAtStart = tmpl && tmpl->visible;
    if (!createWindow(parent, false)) return false;
    onInitDialog();
    if (created_ && visibleAtStart && !ended_ && !visible_) markShown(true);
    return created_;
}

void Dialog::destroyWindow() {
    if (!created_) return;
    if (modal_) {  // a modal window goes away through its loop
        endDialog(IDCANCEL);
        return;
    }
    if (visible_) windows().snapshots[templateId_] = describeWindow(*this);
    teardown(true);
    record("dialog.destroy " + std::to_string(templateId_));
}

void Dialog::endDialog(int code) {
    if (!created_) return;
    ended_ = true;
    if (modal_)
        endCode_ = code;
    else
        showWindow(false);
}

void Dialog::showWindow(bool show) {
    if (!created_ || show == visible_) return;
    if (show) {
        ended_ = false;
        markShown(true);
    } else {
        windows().snapshots[templateId_] = describeWindow(*this);
        markShown(false);
    }
}

void Dialog::markShown(bool show) {
    visible_ = show;
    if (show) {
        shownSeq_ = ++windows().showCounter;
        record("dialog.show " + std::to_string(templateId_) + (modal_ ? " modal" : " modeless") +
               " caption=" + quoteText(caption_) + (topmost_ ? " topmost" : ""));
        // What the user reads in the window: the visible controls that carry a text.
        for (const auto& c : controls_) {
            if (c->visible() && !c->text().empty())
                record("  " + std::to_string(c->id()) + " " + ctlKindName(c->kind()) + " " + quoteText(c->text()));
            if (c->visible() && c->treeView() && c->treeView()->count() > 0) recordTreeRows(*c);
        }
        repaint();
        notePicture(true);
    } else {
        record("dialog.hide " + std::to_string(templateId_));
    }
}

void Dialog::recordTreeRows(const Control& tree) const {
    std::string rows;
    for (TreeItem it : tree.treeView()->shownItems())
        rows += (rows.empty() ? "" : ", ") + quoteText(tree.treeView()->itemText(it));
    record("  " + std::to_string(tree.id()) + " TreeView [" + rows + "]");
}

void Dialog::setWindowText(std::string_view text) {
    caption_ = std::string(text);
    if (visible_) record("dialog.caption " + std::to_string(templateId_) + " " + quoteText(caption_));
}

// ---- registry ------------------------------------------------------------------------------------------

Dialog* Dialog::shown(int templateId) {
    Dialog* best = nullptr;
    for (Dialog* d : windows().live)
        if (d->templateId_ == templateId && d->visible_ && (!best || d->shownSeq_ > best->shownSeq_)) best = d;
    return best;
}

std::vector<Dialog*> Dialog::modalStack() { return windows().modal; }

namespace {
// The show count when the lock was taken; 0 while unlocked.
std::uint64_t g_lockedUpTo = 0;
}  // namespace

bool lockWindowUpdate(bool lock) {
    if (lock && g_lockedUpTo != 0) return false;
    g_lockedUpTo = lock ? windows().showCounter + 1 : 0;
    return true;
}

bool windowUpdateLocked() { return g_lockedUpTo != 0; }

bool Dialog::updatesHeld() const { return g_lockedUpTo != 0 && shownSeq_ < g_lockedUpTo; }

void updateWindows() {
    // A paint handler may open or close windows: walk a copy and skip those gone meanwhile.
    std::vector<Dialog*> live = windows().live;
    for (Dialog* d : live) {
        const auto& now = windows().live;
        if (std::find(now.begin(), now.end(), d) == now.end() || !d->visible_ || d->updatesHeld()) continue;
        d->updateWindow();
        if (std::find(now.begin(), now.end(), d) != now.end() && d->visible_) d->notePicture(false);
    }
}

void Dialog::setTimer(int id, int elapseMs, std::function<void()> handler) {
    if (created_) timers_[id] = Timer{elapseMs, std::move(handler)};
}

bool Dialog::killTimer(int id) { return timers_.erase(id) != 0; }

void runDueTimers() {
    // A handler may kill timers, open or close windows: walk copies and look each one up again.
    std::vector<Dialog*> live = windows().live;
    for (Dialog* d : live) {
        std::vector<int> ids;
        for (const auto& [id, timer] : d->timers_) ids.push_back(id);
        for (int id : ids) {
            const auto& now = windows().live;
            if (std::find(now.begin(), now.end(), d) == now.end()) break;
            auto it = d->timers_.find(id);
            if (it == d->timers_.end()) continue;
            std::function<void()> handler = it->second.handler;  // the handler may kill or replace it
            handler();
        }
    }
}

void Dialog::post(std::function<void()> call) {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(call));
}

void runPostedCalls() {
    // A call may open or close windows: walk a copy and look each window up again.
    std::vector<Dialog*> live = windows().live;
    for (Dialog* d : live) {
        for (;;) {
            const auto& now = windows().live;
            if (std::find(now.begin(), now.end(), d) == now.end()) break;
            std::function<void()> call;
            {
                std::lock_guard lock(d->postedMutex_);
                if (d->posted_.empty()) break;
                call = std::move(d->posted_.front());
                d->posted_.erase(d->posted_.begin());
            }
            call();
        }
    }
}

std::string lastSnapshot(int templateId) {
    auto it = windows().snapshots.find(templateId);
    return it == windows().snapshots.end() ? std::string() : it->second;
}

bool Dialog::reachable() const {
    if (!created_ || !visible_ || !enabled_) return false;
    const auto& modal = windows().modal;
    if (modal.empty()) return true;
    if (modal_) return this == modal.back();
    // A modal run disables its owner; other modeless windows stay usable, as do windows they own.
    for (const Dialog* m : modal)
        if (m->parent_ == this) return false;
    if (parent_) return parent_ == modal.back() || (!parent_->modal_ && parent_->reachable());
    return true;
}

// ---- geometry ------------------------------------------------------------------------------------------

Rect Dialog::windowRect() const {
    int w = cxPx_ + 2 * systemMetric(SM_CXDLGFRAME);
    int h = cyPx_ + systemMetric(SM_CYCAPTION) + 2 * systemMetric(SM_CYDLGFRAME);
    Point o = origin_ ? *origin_
                      : Point{(systemMetric(SM_CXSCREEN) - w) / 2, (systemMetric(SM_CYSCREEN) - h) / 2};
    return {o.x, o.y, o.x + w, o.y + h};
}

Rect Dialog::clientRect() const { return {0, 0, cxPx_, cyPx_}; }

void Dialog::moveWindow(const Rect& screen) {
    origin_ = Point{screen.left, screen.top};
    cxPx_ = std::max(0, screen.width() - 2 * systemMetric(SM_CXDLGFRAME));
    cyPx_ = std::max(0, screen.height() - systemMetric(SM_CYCAPTION) - 2 * systemMetric(SM_CYDLGFRAME));
}

Point Dialog::clientToScreen(Point p) const {
    Rect w = windowRect();
    return {w.left + systemMetric(SM_CXDLGFRAME) + p.x,
            w.top + systemMetric(SM_CYDLGFRAME) + systemMetric(SM_CYCAPTION) + p.y};
}

// ---- controls, focus, data exchange --------------------------------------------------------------------

Control* Dialog::findItem(int id) {
    for (const auto& c : controls_)
        if (c->id() == id) return c.get();
    return nullptr;
}

Control& Dialog::item(int id) {
    Control* c = findItem(id);
    assert(c && "no control with this id in the dialog (or its window is closed)");
    return *c;
}

void Dialog::moveFocus(int ctlId) {
    if (ctlId == focusId_) return;
    int old = focusId_;
    focusId_ = ctlId;
    // The control losing the focus hears of it before the one gaining it acts (a commit on leave).
    if (Control* o = findItem(old); o && notifiesFocus(o->kind())) {
        Notify n;
        n.ctlId = old;
        n.ev = Ev::KillFocus;
        sendNotify(n);
    }
    if (Control* c = findItem(ctlId); c && focusId_ == ctlId && notifiesFocus(c->kind())) {
        Notify n;
        n.ctlId = ctlId;
        n.ev = Ev::SetFocus;
        sendNotify(n);
    }
}

void Dialog::tickRadio(int ctlId) {
    auto at = std::find_if(controls_.begin(), controls_.end(), [&](const auto& c) { return c->id() == ctlId; });
    if (at == controls_.end()) return;
    auto first = at;
    while (first != controls_.begin() && !(*first)->group()) --first;
    auto last = at + 1;
    while (last != controls_.end() && !(*last)->group()) ++last;
    for (auto it = first; it != last; ++it)
        if ((*it)->kind() == Ctl::Radio) (*it)->check_ = (it == at) ? 1 : 0;
}

bool Dialog::updateData(bool saveAndValidate) {
    if (!created_) return false;
    Ddx dx(*this, saveAndValidate);
    doDataExchange(dx);
    return true;
}

void Ddx::text(int id, std::string& value) {
    Control& c = dlg_.item(id);
    if (saving_)
        value = c.text();
    else
        c.setText(value);
}

void Ddx::check(int id, int& value) {
    Control& c = dlg_.item(id);
    if (saving_)
        value = c.check();
    else
        c.setCheck(value);
}

void Ddx::radio(int firstId, int& index) {
    const auto& ctls = dlg_.controls();
    auto at = std::find_if(ctls.begin(), ctls.end(), [&](const auto& c) { return c->id() == firstId; });
    assert(at != ctls.end() && "radio group start missing");
    if (saving_) index = -1;
    int n = 0;
    for (auto it = at; it != ctls.end() && (it == at || !(*it)->group()); ++it) {
        if ((*it)->kind() != Ctl::Radio) continue;
        if (saving_) {
            if ((*it)->check() != 0) index = n;
        } else {
            (*it)->setCheck(n == index ? 1 : 0);
        }
        ++n;
    }
}

// ---- dispatch ------------------------------------------------------------------------------------------

void Dialog::onOK() {
    if (!updateData(true)) return;
    endDialog(IDOK);
}

void Dialog::onCancel() { endDialog(IDCANCEL); }

void Dialog::onCommand(int ctlId, std::function<void()> handler) {
    notifies_[{ctlId, Ev::Clicked}] = [h = std::move(handler)](Notify&) { h(); };
}

void Dialog::on(int ctlId, Ev ev, std::function<void(Notify&)> handler) { notifies_[{ctlId, ev}] = std::move(handler); }

void Dialog::onMessage(Msg msg, std::function<void(MsgArgs&)> handler) { messages_[msg] = std::move(handler); }

void Dialog::sendCommand(int ctlId) {
    auto it = notifies_.find({ctlId, Ev::Clicked});
    if (it != notifies_.end()) {
        auto handler = it->second;  // a handler may rebind itself
        Notify n;
        n.ctlId = ctlId;
        handler(n);
    } else if (ctlId == IDOK) {
        onOK();
    } else if (ctlId == IDCANCEL) {
        onCancel();
    }
}

void Dialog::sendNotify(Notify& n) {
    auto it = notifies_.find({n.ctlId, n.ev});
    if (it == notifies_.end()) return;
    auto handler = it->second;
    handler(n);
}

void Dialog::sendMessage(MsgArgs& args) {
    auto it = messages_.find(args.msg);
    bool runDefault = true;
    if (it != messages_.end()) {
        auto handler = it->second;
        handler(args);
        runDefault = !args.handled;
    }
    if (!runDefault) return;
    switch (args.msg) {
    case Msg::Close:
        onCancel();
        break;
    case Msg::Destroy:
    case Msg::Paint:
    case Msg::KillFocus:
    case Msg::LButtonUp:
    case Msg::CancelMode:
        break;
    }
}

void Dialog::paint(Canvas& canvas) {
    MsgArgs a;
    a.msg = Msg::Paint;
    a.canvas = &canvas;
    sendMessage(a);
}

std::optional<CtlColors> Dialog::ctlColors(int ctlId) const {
    if (!ctlColor_) return std::nullopt;
    return ctlColor_(ctlId);
}

void Dialog::record(std::string_view what) const { driver().record(std::string(what)); }

}  // namespace plat
