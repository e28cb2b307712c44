// The host's wait dialog. The caller's cancel byte is 1 while the dialog is up and becomes 0 when the user
// presses Cancel; the user's Cancel is a `cancel-wait` step, taken only when it is the next step at a
// progress update (the moments a real dialog would process its button), and only if Cancel is offered.
#include "host/internal.h"
#include "host/state.h"
#include "platform/ui/driver.h"

namespace host {
namespace {

struct WaitDialog {
    WaitDialogView view;
    char* cancel = nullptr;
};
WaitDialog wait;

void pollCancel() {
    if (!wait.view.open || !wait.view.allowCancel || wait.view.cancelled) return;
    plat::UiDriver& d = plat::driver();
    std::lock_guard lock(d.mutex());
    if (!d.peekAny({"cancel-wait"})) return;
    d.script().take();
    wait.view.cancelled = true;
    if (wait.cancel) *wait.cancel = 0;
    detail::record("host.wait.cancel");
}

}  // namespace

namespace detail {
void resetWaitDialog() { wait = WaitDialog{}; }
}  // namespace detail

WaitDialogView waitDialog() { return wait.view; }

}  // namespace host

void DisplayWaitDialog(char* cancel, int, int, int allowCancel, const char* title, const char* status, void*) {
    using host::wait;
    wait = host::WaitDialog{};
    wait.cancel = cancel;
    if (cancel) *cancel = 1;
    wait.view.open = true;
    wait.view.allowCancel = allowCancel != 0;
    wait.view.title = title ? title : "";
    wait.view.status = status ? status : "";
    host::detail::record("host.wait.show title=" + host::detail::quote(wait.view.title) +
                         " status=" + host::detail::quote(wait.view.status) +
                         (wait.view.allowCancel ? " cancel" : ""));
}

void SetPercentComplete(short percent) {
    if (!host::wait.view.open) return;
    host::wait.view.percent = percent;
    host::pollCancel();
}

void ProgMeterSetStatus(const char* status) {
    if (!host::wait.view.open) return;
    host::wait.view.status = status ? status : "";
    host::detail::record("host.wait.status " + host::detail::quote(host::wait.view.status));
    host::pollCancel();
}

void ReleaseWaitDialog() {
    if (!host::wait.view.open) return;
    host::detail::record("host.wait.close");
    // The byte belongs to the caller, who may free it once the dialog is gone.
    host::wait.cancel = nullptr;
    host::wait.view.open = false;
}
