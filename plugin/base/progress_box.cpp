// The progress box over the host's wait dialog.
#include "plugin/base/progress_box.h"

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"

// A run that stops early destroys its box without closing it; the wait dialog must not outlive the run.
CProgressBox::~CProgressBox() { close(); }

int CProgressBox::open(std::string_view newTitle, std::string_view newStatus) {
    (void)texts.load(g_globals.constructed() ? g_globals->uiTextFile : std::string(), "ProgressBoxDlg", true);
    title = fitText(newTitle.empty() ? std::string_view(texts.getText(1)) : newTitle, kTextSize);
    status = fitText(newStatus.empty() ? std::string_view(texts.getText(2)) : newStatus, kTextSize);
    stepCount = 1;
    // Cancel is offered: the box exists so that the user can stop a long run.
    DisplayWaitDialog(&g_waitCancel, 1, 1, 1, title.c_str(), status.c_str(), nullptr);
    active = true;
    return 0;
}

int CProgressBox::advance(const std::string* newStatus) {
    if (!active) return 0;
    if (stepCount < INT16_MAX) ++stepCount;
    SetPercentComplete(stepCount);
    if (newStatus) {
        status = fitText(*newStatus, kTextSize);
        ProgMeterSetStatus(status.c_str());
    }
    return g_waitCancel == 0 ? 1 : 0;
}

int CProgressBox::step() { return advance(nullptr); }

int CProgressBox::stepMessage(std::int16_t textId) {
    if (textId == 0 || !active) return advance(nullptr);
    const std::string line = texts.getText(textId);
    return advance(&line);
}

int CProgressBox::stepText(std::string_view newStatus) {
    const std::string line(newStatus);
    return advance(&line);
}

void CProgressBox::close() {
    if (!active) return;
    texts.clear();
    ReleaseWaitDialog();
    active = false;
}
