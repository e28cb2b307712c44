// Read-write access to the shared library and the choice of a library. Between stations the only shared
// state is two flag files in the shared folder: "RWrunning.dat" while a station holds read-write access (it
// names the holder, who alone removes it), "RWrequest.dat" while another asks for it. The holder's watcher
// sees a request and asks its user; the requester polls the running flag for 15 s and takes the access once
// it is gone. A holder that no longer runs is not asked: its flag is taken over after the user's yes.
#include "plugin/settings/shared_library.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/settings/shared_data.h"

SHARED_WATCHER_ARGS g_sharedWatcher;

namespace {

constexpr int kStatusText = 18011, kProgress = 18012, kPasswordButton = 18013, kChangeFolder = 4385,
              kFolderText = 4386, kReadOnlyRadio = 4387, kReadWriteRadio = 4388, kModeGroup = 4389,
              kFolderLabel = 18056;
constexpr int kRequestPolls = 30, kRequestPollMs = 500, kFlagSettleMs = 250, kWatcherPollMs = 200;

std::string withoutTrailingSeparator(std::string path) {
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

std::string formsFolderOf(const std::string& folder) {
    if (folder.empty()) return folder;
    return plat::joinPath(folder, g_globals->metric() ? "FORMS_MM" : "FORMS_INCH");
}

// A folder picked inside a forms folder stands for the shared folder above it.
std::string cutAtFormsFolder(const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (const char* forms : {"FORMS_MM", "FORMS_INCH"}) {
        for (std::size_t at = upper.find(forms); at != std::string::npos; at = upper.find(forms, at + 1)) {
            const std::size_t end = at + std::strlen(forms);
            const bool wholeName = at > 0 && (upper[at - 1] == '/' || upper[at - 1] == '\\') &&
                                   (end == upper.size() || upper[end] == '/' || upper[end] == '\\');
            if (wholeName) return path.substr(0, at - 1);
        }
    }
    return path;
}

// The typed password; a cancelled prompt counts as nothing typed.
std::string askPassword(plat::Dialog* owner, const std::string& caption) {
    CDlgPassword dlg;
    dlg.caption = caption;
    dlg.text.clear();
    (void)doModalInPluginRes(dlg, owner);
    return dlg.text;
}

std::string flagPath(const std::string& folder, const char* name) { return plat::joinPath(folder, name); }

int sharedMessage(plat::Dialog* owner, int line, std::initializer_list<TEXT_VALUE> args, unsigned type) {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "SharedData", false);
    return plat::messageBox(owner, fillText(texts.getMessage(line), args), texts.getText(1), type);
}

// The user's yes, then the flag of the holder that is gone taken over; a station that took it first is
// named to the user.
bool takeOverGoneHolder(plat::Dialog* owner, const std::string& folder, const ACCESS_HOLDER& holder) {
    if (sharedMessage(owner, 127, {holderText(holder)}, plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
        return false;
    if (takeOverRunningFlag(folder, g_globals->pluginDir, holder)) return true;
    ACCESS_HOLDER winner;
    (void)runningFlagHolder(folder, g_globals->pluginDir, &winner);
    (void)sharedMessage(owner, 134, {holderText(winner)}, plat::MB_OK);
    return false;
}

// Tells the user of a station whose running flag names another station now (or is gone) who holds the
// access; the station works read-only from then on.
void tellAccessLost(const std::string& uiTextFile, const std::string& folder, const ACCESS_HOLDER& holder,
                    unsigned type) {
    CTextSection texts;
    (void)texts.load(uiTextFile, "SharedData", false);
    const std::string text = plat::fileExists(flagPath(folder, "RWrunning.dat"))
                                 ? fillText(texts.getMessage(132), {holderText(holder)})
                                 : texts.getMessage(133);
    (void)plat::messageBox(nullptr, text, texts.getText(1), plat::MB_OK | type);
}

}  // namespace

AccessHold holdReadWriteAccess(plat::Dialog* owner, const std::string& folder) {
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        errno = 0;
        if (claimRunningFlag(folder, g_globals->pluginDir)) return AccessHold::Held;
        error = errno;
        ACCESS_HOLDER holder;
        switch (runningFlagHolder(folder, g_globals->pluginDir, &holder)) {
        case HolderState::Mine: return AccessHold::Held;
        case HolderState::None: continue;   // released meanwhile: claimed on the next round
        case HolderState::Gone:
            return takeOverGoneHolder(owner, folder, holder) ? AccessHold::Held : AccessHold::Refused;
        case HolderState::Running:
            (void)sharedMessage(owner, 126, {holderText(holder)}, plat::MB_OK);
            return AccessHold::Refused;
        }
    }
    // No flag, and none could be made twice: the shared folder takes no file of this station.
    (void)sharedMessage(owner, 139, {folder, std::string(std::strerror(error != 0 ? error : EACCES))}, plat::MB_OK);
    return AccessHold::Unwritable;
}

bool keepReadWriteAccess(const std::string& folder) {
    ACCESS_HOLDER holder;
    if (renewRunningFlag(folder, g_globals->pluginDir, &holder) != Renewal::Lost) return true;
    stopSharedDataWatcher();
    g_globals->sharedAccessMode = 0;
    g_globals->sharedAccessSetting = 0;
    (void)writeSharedDataSettings(g_globals->settingsFile, g_globals->sharedDataOn, 0, folder);
    tellAccessLost(g_globals->uiTextFile, folder, holder, 0);
    return false;
}

// ---- the shared data manager ------------------------------------------------------------------------------

CDlgSharedDataMgr::CDlgSharedDataMgr() : plat::Dialog(18030) {
    onCommand(kChangeFolder, [this] { onChangeFolder(); });
    onCommand(kReadOnlyRadio, [this] { onAccessMode(); });
    onCommand(kReadWriteRadio, [this] { onAccessMode(); });
    onCommand(kPasswordButton, [this] { onChangePassword(); });
}

int CDlgSharedDataMgr::okBox(int line, const std::string& arg) {
    return plat::messageBox(this, fillText(texts_.getMessage(line), {arg}), texts_.getText(1), plat::MB_OK);
}

bool CDlgSharedDataMgr::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "SharedData", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    item(kFolderLabel).setText(texts_.getText(12));
    item(kChangeFolder).setText(texts_.getText(13));
    item(kModeGroup).setText(texts_.getText(20));
    item(kReadOnlyRadio).setText(texts_.getText(21));
    item(kReadWriteRadio).setText(texts_.getText(22));
    item(kPasswordButton).setText(texts_.getText(23));
    item(kFolderText).setText(folder);
    hideStatus();
    modeRadio = mode;
    setRadio(modeRadio);
    updatePasswordButton();
    if (withoutTrailingSeparator(folder).empty()) return true;
    formsFolder = g_globals->sharedFormsDir;
    (void)checkLibrary(false);
    return true;
}

bool CDlgSharedDataMgr::checkLibrary(bool endWithOk) {
    std::vector<std::string> names;
    const int found = listSubFolders(formsFolder, library, &names);
    if (found < 0) {
        // Setting the share up is the one time its folders are made: a publication never makes them, or a
        // share out of reach would be made again at its path.
        const bool setUp = endWithOk && mode == 1;
        if (plat::messageBox(this, fillText(texts_.getMessage(setUp ? 138 : 103), {folder}), errorMessage(1),
                             plat::MB_OKCANCEL) == plat::IDCANCEL) {
            g_globals->sharedDataOn = 0;
            endDialog(plat::IDCANCEL);
            return false;
        }
        if (setUp) (void)ensureTablesFolder(plat::joinPath(formsFolder, library));
        if (endWithOk) endDialog(plat::IDOK);
        return true;
    }
    if (found == 1) {
        CDlgSharedLibNF choice(0);
        choice.library = library;
        choice.folders = &names;
        const bool chosen = doModalInPluginRes(choice, this) == plat::IDOK;
        // No choice keeps the name the caller gave rather than naming no library at all.
        if (!choice.choice.empty()) library = choice.choice;
        if (!endWithOk && !chosen) {
            g_globals->sharedDataOn = 0;
            endDialog(plat::IDCANCEL);
            return false;
        }
    }
    if (endWithOk) endDialog(plat::IDOK);
    return true;
}

void CDlgSharedDataMgr::setRadio(int radio) {
    item(kReadOnlyRadio).setCheck(radio == 0 ? 1 : 0);
    item(kReadWriteRadio).setCheck(radio == 1 ? 1 : 0);
}

void CDlgSharedDataMgr::hideStatus() {
    item(kStatusText).setText("");
    item(kStatusText).show(false);
    item(kProgress).show(false);
}

void CDlgSharedDataMgr::updatePasswordButton() { item(kPasswordButton).enable(mode == 1); }

void CDlgSharedDataMgr::onChangeFolder() {
    CFileDialogST picker;
    const std::string start = withoutTrailingSeparator(item(kFolderText).text());
    if (picker.SelectFolder(texts_.getText(11), start, 0, this) != 1) return;
    const std::string path = withoutTrailingSeparator(cutAtFormsFolder(picker.GetSelectedFolder()));
    if (!plat::dirExists(path) || !plat::canRead(path) || !plat::canWrite(path)) {
        okBox(107, path);
        return;
    }
    folder = path;
    item(kFolderText).setText(folder);
    formsFolder = formsFolderOf(folder);
}

void CDlgSharedDataMgr::onAccessMode() {
    modeRadio = item(kReadWriteRadio).check() ? 1 : 0;
    const std::string dir = withoutTrailingSeparator(folder);
    if (dir.empty()) {
        okBox(108, folder);
        setRadio(mode);
        modeRadio = mode;
        return;
    }
    if (mode == 1 && modeRadio == 0) {
        giveUpReadWrite(dir);
    } else if (mode == 0 && modeRadio == 1) {
        takeReadWrite(dir);
    } else {
        mode = setting = static_cast<std::int16_t>(modeRadio);
        hideStatus();
    }
}

void CDlgSharedDataMgr::giveUpReadWrite(const std::string& dir) {
    g_sharedWatcher.stop = 1;
    (void)releaseRunningFlag(dir, g_globals->pluginDir);
    plat::sleepMs(kFlagSettleMs);
    stopSharedDataWatcher();
    mode = setting = 0;
    hideStatus();
    updatePasswordButton();
}

void CDlgSharedDataMgr::takeReadWrite(const std::string& dir) {
    const std::string typed = askPassword(this, texts_.getText(150));
    invalidate();
    updateWindow();
    CSharedFolder shared(dir);
    shared.readPasswordFile();
    const auto stayReadOnly = [this] {
        modeRadio = 0;
        setRadio(0);
    };
    if (!shared.passwordMatches(typed)) {
        okBox(106);
        stayReadOnly();
        return;
    }
    plat::Control& status = item(kStatusText);
    plat::Control& progress = item(kProgress);
    status.show(true);
    progress.show(true);
    const auto refuse = [&] {
        status.setText(texts_.getMessage(125));
        progress.show(false);
        shared.requestFlag(1);
        stayReadOnly();
    };
    ACCESS_HOLDER holder;
    HolderState held = runningFlagHolder(dir, g_globals->pluginDir, &holder);
    if (held == HolderState::Running) {
        shared.requestFlag(0);
        status.setText(texts_.getMessage(121) + std::string(50, ' '));
        progress.setRange(1, kRequestPolls);
        for (int i = 1; i <= kRequestPolls && held == HolderState::Running; ++i) {
            progress.setPos(i);
            plat::sleepMs(kRequestPollMs);
            held = runningFlagHolder(dir, g_globals->pluginDir, &holder);
        }
        shared.requestFlag(1);
        if (held == HolderState::Running) {
            refuse();
            return;
        }
    }
    if (held == HolderState::Gone) {
        // A holder that no longer runs cannot hand the access over: asking it would only wait.
        if (!takeOverGoneHolder(this, dir, holder)) {
            refuse();
            return;
        }
    } else if (held == HolderState::None) {
        plat::sleepMs(kFlagSettleMs);
        // The running flag is created only where no other station created it meanwhile: two stations that
        // both saw it gone must not both take the access. What kept it is told (the station that took it
        // first, or a share that takes no flag), not a holder that would not hand it over; on a share that
        // takes no flag the user's choice is kept as the cycle keeps it, so the access is held once the share
        // can be written.
        if (const AccessHold hold = holdReadWriteAccess(this, dir); hold != AccessHold::Held) {
            if (hold == AccessHold::Unwritable) setting = 1;
            stayReadOnly();
            hideStatus();
            return;
        }
    }
    startSharedDataWatcher(dir);
    mode = setting = 1;
    updatePasswordButton();
    hideStatus();
}

void CDlgSharedDataMgr::onChangePassword() {
    CSharedFolder shared(withoutTrailingSeparator(folder));
    shared.readPasswordFile();
    if (!shared.passwordMatches(askPassword(this, texts_.getText(150)))) return;
    for (;;) {
        const std::string typed = askPassword(this, texts_.getText(151));
        const std::string confirmed = askPassword(this, texts_.getText(152));
        if (typed != confirmed) {
            if (plat::messageBox(this, texts_.getMessage(153), errorMessage(1), plat::MB_OKCANCEL) == plat::IDOK)
                continue;
            return;
        }
        // The file's block holds six characters: a longer password could not be checked again.
        if (shared.setPassword(typed) != 0) {
            if (plat::messageBox(this, fillText(texts_.getMessage(155), {std::to_string(kMaxPasswordLength)}),
                                 errorMessage(1), plat::MB_OKCANCEL) == plat::IDOK)
                continue;
            return;
        }
        shared.writePasswordFile();
        plat::messageBox(this, texts_.getMessage(154), errorMessage(1), plat::MB_OK);
        return;
    }
}

void CDlgSharedDataMgr::onOK() {
    if (withoutTrailingSeparator(folder).empty()) {
        okBox(108, folder);
        return;
    }
    (void)checkLibrary(true);
}

// ---- the password prompt ----------------------------------------------------------------------------------

bool CDlgPassword::onInitDialog() {
    setWindowText(caption);
    item(18010).setFocus();
    return false;
}

void CDlgPassword::onOK() {
    text = item(18010).text();
    plat::Dialog::onOK();
}

// ---- the choice of a library ------------------------------------------------------------------------------

bool CDlgSharedLibNF::onInitDialog() {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "DlgSharedLibNF", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    const bool local = variant != 0;
    setWindowText(texts.getText(local ? 2 : 1));
    item(plat::IDOK).setText(texts.getText(11));
    item(plat::IDCANCEL).setText(texts.getText(12));
    const int message = (local ? 31 : 21) + (library.empty() ? 0 : 1);
    item(18063).setText(fillText(texts.getMessage(message), {library}));
    item(18064).setText(texts.getMessage(local ? 33 : 23));
    if (folders) {
        for (const std::string& name : *folders) item(18062).addString(name);
        if (!folders->empty()) item(18062).setCurSel(0);
    }
    return true;
}

void CDlgSharedLibNF::onOK() {
    const plat::Control& combo = item(18062);
    choice = combo.curSel() >= 0 ? combo.itemText(combo.curSel()) : std::string();
    plat::Dialog::onOK();
}

// ---- the watcher ------------------------------------------------------------------------------------------

namespace {

std::optional<plat::Periodic> g_watcher;

// What the watcher needs of the globals, copied when it starts: its thread reads nothing the main thread
// may change meanwhile.
struct WatcherContext {
    std::string folder;
    std::string uiTextFile;
    std::string settingsFile;
    std::string station;
    std::uint8_t sharingOn = 1;
    std::int64_t renewed = 0;
};

// One poll; false ends the watcher.
bool watcherPoll(WatcherContext& c) {
    if (g_sharedWatcher.stop.load() != 0) return false;
    // The flag's time tells the other stations that this holder still runs. A flag that names another
    // station now (taken over while this one could not renew it) leaves this one read-only; one that
    // cannot be written is tried again at the next poll.
    if (const std::int64_t now = plat::nowSeconds(); now - c.renewed >= kHolderRenewSeconds) {
        ACCESS_HOLDER holder;
        switch (renewRunningFlag(c.folder, c.station, &holder)) {
        case Renewal::Renewed: c.renewed = now; break;
        case Renewal::Failed: break;
        case Renewal::Lost:
            g_globals->sharedAccessMode = 0;
            g_globals->sharedAccessSetting = 0;
            (void)writeSharedDataSettings(c.settingsFile, c.sharingOn, 0, c.folder);
            tellAccessLost(c.uiTextFile, c.folder, holder, plat::MB_SYSTEMMODAL);
            return false;
        }
    }
    if (!plat::fileExists(flagPath(c.folder, "RWrequest.dat"))) return true;
    CTextSection texts;
    (void)texts.load(c.uiTextFile, "SharedData", false);
    const int answer = plat::messageBox(nullptr, texts.getMessage(122), texts.getText(1),
                                        plat::MB_YESNO | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
    if (answer != plat::IDYES) return true;
    (void)releaseRunningFlag(c.folder, c.station);
    g_globals->sharedAccessMode = 0;
    g_globals->sharedAccessSetting = 0;
    // Only the settings files: the part's settings record is the main thread's, written at the cycle's end.
    (void)writeSharedDataSettings(c.settingsFile, c.sharingOn, 0, c.folder);
    plat::sleepMs(kFlagSettleMs);
    return false;
}

}  // namespace

void startSharedDataWatcher(const std::string& folder) {
    stopSharedDataWatcher();
    g_sharedWatcher.stop = 0;
    const std::size_t n = std::min(folder.size(), sizeof g_sharedWatcher.folder - 1);
    std::memcpy(g_sharedWatcher.folder, folder.data(), n);
    g_sharedWatcher.folder[n] = '\0';
    WatcherContext context{g_sharedWatcher.folder, g_globals->uiTextFile, g_globals->settingsFile,
                           g_globals->pluginDir, g_globals->sharedDataOn, plat::nowSeconds()};
    g_watcher = plat::startPeriodic("sharedDataWatcher", kWatcherPollMs,
                                    [context = std::move(context)]() mutable { return watcherPoll(context); });
}

void stopSharedDataWatcher() {
    g_sharedWatcher.stop = 1;
    if (!g_watcher) return;
    g_watcher->stop();
    g_watcher.reset();
}

bool sharedDataWatcherRunning() { return g_watcher && g_watcher->running(); }
