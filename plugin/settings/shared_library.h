// The shared library's dialogs (its folder, this station's access and the password; the choice of a
// library) and the watcher that hands read-write access to another station that asks for it.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"
#include "plugin/services/settings.h"

// The shared folder, the access mode and the password. The caller sets `folder`, `mode`, `setting` and
// `library` and takes them back on OK; a change of the access mode takes effect at once (flag files and
// watcher), so the caller takes `mode` and `setting` back whatever the dialog ends with.
class CDlgSharedDataMgr : public plat::Dialog {
public:
    CDlgSharedDataMgr();
    std::string folder;
    std::string formsFolder;   // `folder` and "FORMS_MM" or "FORMS_INCH"
    std::int16_t mode = 0;     // the access held: 1 read-write, 0 read-only
    std::int16_t setting = 0;  // the access the user chose, for the settings; read-write on a share that
                               // takes no file though none is held
    int modeRadio = -1;        // 0 read-only, 1 read-write; -1 before the dialog opens
    std::string library;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void onChangeFolder();
    void onAccessMode();
    void onChangePassword();
    void updatePasswordButton();
    // From read-only to read-write: the password, then the wait for a holder to hand the access over.
    void takeReadWrite(const std::string& dir);
    void giveUpReadWrite(const std::string& dir);
    void setRadio(int radio);
    void hideStatus();
    // listSubFolders on the forms folder and what its result asks; false when the dialog ended with Cancel.
    bool checkLibrary(bool endWithOk);
    int okBox(int line, const std::string& arg = "");

    CTextSection texts_;
};

// A password typed without being shown.
class CDlgPassword : public plat::Dialog {
public:
    CDlgPassword() : plat::Dialog(18039) {}
    std::string caption;
    std::string text;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// The choice of another table library from a forms folder's libraries. The caller sets `library` (the one
// not found) and `folders`; `choice` is the entry selected at OK, "" when none is (a typed name that is no
// entry, or Cancel).
class CDlgSharedLibNF : public plat::Dialog {
public:
    explicit CDlgSharedLibNF(int variant = 0) : plat::Dialog(18074), variant(variant) {}
    int variant = 0;   // 0 the shared folder's libraries, 1 the local ones
    std::string library;
    std::string choice;
    const std::vector<std::string>* folders = nullptr;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// The watcher's argument block: the stop byte, then the shared folder it reads once at its start.
struct SHARED_WATCHER_ARGS {
    std::atomic<std::uint8_t> stop{0};
    char folder[2048] = {};
};
extern SHARED_WATCHER_ARGS g_sharedWatcher;

// The running flag of `folder` for this station at the start of a read-write work cycle: Held when claimed,
// kept (already its own) or taken over from a holder that no longer runs after the user's yes. Refused, after
// telling the user who holds it, when another station does. Unwritable, after telling the user why, when the
// flag cannot be made (a read-only share): no station can hold the access, and this one keeps asking for it.
enum class AccessHold { Held, Refused, Unwritable };
AccessHold holdReadWriteAccess(plat::Dialog* owner, const std::string& folder);

// Renews this station's running flag of `folder` before a publication: true while the flag names it (or
// cannot be read). When it names another station, or is gone, the station works read-only from then on
// (its watcher ended, its settings saying so) after the user is told who holds the access now.
[[nodiscard]] bool keepReadWriteAccess(const std::string& folder);

// Starts the watcher on `folder`; a watcher already running is stopped first (one at a time). Every 200 ms
// it looks for another station's request and asks the user whether to hand the access over.
void startSharedDataWatcher(const std::string& folder);
// Sets the stop byte and waits until the watcher has ended.
void stopSharedDataWatcher();
bool sharedDataWatcherRunning();
