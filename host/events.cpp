// The host's prompt area and its waits for the user: get_event, point_proc with the markers of the points
// given and clean_pt that clears them, and the message/status lines.
// Every wait reads the one script of plat::driver(): posted thread messages come before any scripted
// step, a window step is delivered to its modeless window while the host waits, `esc` ends the prompt.
#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <cstdio>
#include <vector>

#include "host/internal.h"
#include "host/state.h"
#include "platform/sys/clock.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/keys.h"
#include "platform/ui/driver.h"

namespace host {
namespace {

struct PromptArea {
    std::string prompt, message, status;
    std::vector<std::array<double, 3>> markers;   // points given at point_proc, until clean_pt clears them
    // get_event's arguments at the last wait; the plug-in's command loop starts with these.
    long mask = 0x8200, arg2 = 0;
    short arg3 = 0;
};
PromptArea area;

// The arguments of get_event are recorded when they change, as what the host was asked to wait for.
void noteEventArguments(const long* mask, const long* arg2, const short* arg3) {
    const long m = mask ? *mask : 0, a = arg2 ? *arg2 : 0;
    const short f = arg3 ? *arg3 : 0;
    if (m == area.mask && a == area.arg2 && f == area.arg3) return;
    area.mask = m, area.arg2 = a, area.arg3 = f;
    char text[80];
    std::snprintf(text, sizeof text, "host.event mask=0x%lx arg2=0x%lx flag=%d", m, a, f);
    detail::record(text);
}

// The prompt is recorded when it changes: the plug-in passes the same prompt on every pass of its loop,
// and the user sees one prompt, not one per event.
void showPrompt(const char* prompt) {
    std::string text = prompt ? prompt : "";
    if (text == area.prompt) return;
    area.prompt = text;
    if (!text.empty()) detail::record("host.prompt " + detail::quote(text));
}

// How long the user holds Enter at a point prompt, and the clock's slices meanwhile.
constexpr int kEnterHeldMs = 500, kEnterSliceMs = 10;

// Enter at a point prompt: the host itself takes no point from it, but a key watcher of the plug-in may see
// the key down and end the prompt with a synthetic Esc. The key is held while the clock runs; true when
// such an Esc came.
bool enterEndedBySyntheticEsc() {
    auto escaped = std::make_shared<std::atomic<bool>>(false);
    plat::setSyntheticKeyHook([escaped](int vk, bool up) {
        if (vk == plat::VK_ESCAPE && !up) escaped->store(true);
    });
    plat::setKeyDown(plat::VK_RETURN, true);
    for (int held = 0; held < kEnterHeldMs && !escaped->load(); held += kEnterSliceMs) {
        if (plat::virtualClock())
            plat::advanceMs(kEnterSliceMs);
        else
            plat::sleepMs(kEnterSliceMs);
    }
    plat::setKeyDown(plat::VK_RETURN, false);
    plat::setSyntheticKeyHook(nullptr);
    plat::setKeyDown(plat::VK_ESCAPE, false);
    return escaped->load();
}

}  // namespace

namespace detail {
void resetEvents() { area = PromptArea{}; }
void promptAreaOfNewPart() {
    area.message.clear();
    area.markers.clear();
}
}  // namespace detail

const std::string& currentPrompt() { return area.prompt; }
const std::string& messageLine() { return area.message; }
std::size_t pointMarkerCount() { return area.markers.size(); }
const std::string& statusText() { return area.status; }

}  // namespace host

int get_event(const char* prompt, PFEvent* ev, long* mask, long* arg2, short* arg3, char*) {
    using host::detail::record;
    host::noteEventArguments(mask, arg2, arg3);
    host::showPrompt(prompt);
    plat::UiDriver& d = plat::driver();
    for (;;) {
        {
            std::lock_guard lock(d.mutex());  // a watcher thread's message box may add an error meanwhile
            if (d.aborted()) return 2;
        }
        if (std::optional<plat::ThreadMsg> msg = plat::takeThreadMessage()) {
            if (ev) {
                *ev = PFEvent{};
                ev->type = kEventPosted;
                ev->message = msg->message;
                ev->wParam = msg->wParam;
                ev->lParam = msg->lParam;
            }
            return 0;
        }
        std::optional<plat::Step> step;
        {
            std::lock_guard lock(d.mutex());
            const plat::Step* next = d.script().peek();
            if (!next) {
                d.scriptError(nullptr, "the script ended while the host waits for an event at " +
                                           host::detail::quote(host::area.prompt));
                return 2;
            }
            if (next->verb == "esc") {
                d.script().take();
                record("host.esc");
                return 2;
            }
            if (!plat::isWindowStep(*next) && next->optional) {
                d.passOver(*next);
                d.script().take();
                continue;
            }
            if (!plat::isWindowStep(*next)) {
                d.scriptError(next, "unexpected step: the host waits for an event (esc or a window step)");
                return 2;
            }
            step = d.script().take();
        }
        // Delivered without the driver's lock: the handler may run a modal dialog or post messages, which
        // the next pass takes. A refused step is a script error, which ends the wait above.
        plat::deliverWindowStep(*step);
    }
}

void point_proc(const char* prompt, char* kind, double pt[3], char* got) {
    using host::detail::number;
    using host::detail::record;
    host::showPrompt(prompt);
    if (got) *got = 0;
    std::optional<plat::Step> step;
    for (;;) {
        step = plat::driver().expect({"point", "point-entry", "esc", "enter"},
                                     "point pick " + host::detail::quote(host::area.prompt));
        if (!step) return;
        if (step->verb != "enter") break;
        record("host.pick enter");
        if (host::enterEndedBySyntheticEsc()) {
            record("host.pick esc");
            return;
        }
    }
    if (step->verb == "esc") {
        record("host.pick esc");
        return;
    }
    // point-entry names its entry kind first (a key such as 'K'); a plain point is picked ('P').
    const std::size_t at = step->verb == "point-entry" ? 1 : 0;
    const char letter = at ? step->args[0][0] : 'P';
    double p[3] = {step->doubleArg(at), step->doubleArg(at + 1), step->doubleArg(at + 2)};
    if (pt)
        for (int i = 0; i < 3; ++i) pt[i] = p[i];
    if (kind) *kind = letter;
    if (got) *got = 1;
    host::area.markers.push_back({p[0], p[1], p[2]});
    record("host.pick point (" + number(p[0]) + "," + number(p[1]) + "," + number(p[2]) + ") " + letter);
}

// The mode is the host's; every mode clears the marker of the point given.
void clean_pt(char, double pt[3]) {
    if (!pt) return;
    std::vector<std::array<double, 3>>& marks = host::area.markers;
    const auto at = std::find(marks.begin(), marks.end(), std::array<double, 3>{pt[0], pt[1], pt[2]});
    if (at == marks.end()) return;
    marks.erase(at);
    using host::detail::number;
    host::detail::record("host.pick clean (" + number(pt[0]) + "," + number(pt[1]) + "," + number(pt[2]) + ")");
}

void mprintf(const char* text) {
    host::area.message += text ? text : "";
    if (text && *text) host::detail::record("host.message " + host::detail::quote(text));
}

void cleartext() { host::area.message.clear(); }

void cleartextall() {
    host::area.message.clear();
    host::area.prompt.clear();
}

void clearprompt() { host::area.prompt.clear(); }

void UpdateStatusBarText(const char* text) {
    host::area.status = text ? text : "";
    host::detail::record("host.status " + host::detail::quote(host::area.status));
}
