// Windows and dialogs, headless. A dialog is built from a registered template (controls addressed by their
// ids); handlers are bound to (control id, notification) in the constructor, the way a message map does.
// Modal loops and everything a user does come from the script of the UiDriver (driver.h); everything shown
// is recorded in its transcript. Numeric ids and codes keep the window system's values.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

using Color = std::uint32_t;  // 0x00BBGGRR
struct Point { int x = 0, y = 0; };
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
constexpr int VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_UP = 0x26, VK_DOWN = 0x28;

// Control kinds and the styles the code reads.
enum class Ctl { Button, DefButton, BitmapButton, Check, Radio, GroupBox, Static, Picture, Edit,
                 ComboDropList, ComboDropDown, ComboSimple, ListBox, ListView, TreeView, Tab, Progress };
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t ES_PASSWORD = 0x20;
constexpr std::uint32_t ES_READONLY = 0x800;
constexpr std::uint32_t LBS_SORT = 0x2;
constexpr std::uint32_t LBS_EXTENDEDSEL = 0x800;
constexpr std::uint32_t CBS_SORT = 0x100;

// Templates: rectangles in dialog units (converted with fixed base units 6 x 13 per 4 x 8 units).
struct CtlTemplate {
    int id = 0;
    Ctl kind = Ctl::Static;
    Rect dlu;
    std::string text;
    std::uint32_t style = 0;
    bool visible = true;
    bool group = false;    // first control of a radio group
    int bitmapId = 0;
};
struct DlgTemplate {
    int id = 0;
    std::string caption;
    int cxDlu = 0, cyDlu = 0;
    std::vector<CtlTemplate> controls;
    bool visible = false;  // a modeless window created visible
};
void registerDialog(DlgTemplate tmpl);
const DlgTemplate* findDialogTemplate(int id);

enum class Ev { Clicked, DblClk, RClick, SetFocus, KillFocus, Change, SelChange, SelChanging, ItemChanged,
                KeyDown, ColumnClick, ItemExpanded, BeginLabelEdit, EndLabelEdit, NeedText };
struct Notify {
    int ctlId = 0;
    Ev ev = Ev::Clicked;
    int row = -1, col = -1;
    std::uint32_t item = 0;
    int vk = 0;
    int action = 0;
    std::optional<std::string> text;
    int result = 0;  // a handler's answer (e.g. refuse a change)
};
enum class Msg { Close, Destroy, Paint, KillFocus, LButtonUp, CancelMode };
struct MsgArgs {
    Msg msg = Msg::Close;
    Point point;            // LButtonUp: client coordinates
    class Canvas* canvas = nullptr;  // Paint
    bool handled = true;    // a handler may clear it to let the default run after it
};

class Dialog;

// One control of a dialog. Operations that do not fit the control's kind are ignored (and return empty).
// Programmatic changes notify as the window system does: setText on an edit sends Change; setCheck,
// setCurSel and the like send nothing.
class Control {
public:
    Control(Dialog& owner, const CtlTemplate& tmpl);
    int id() const { return id_; }
    Ctl kind() const { return kind_; }
    std::uint32_t style() const { return style_; }
    Dialog& owner() const { return owner_; }

    void show(bool visible);
    bool visible() const { return visible_; }
    void enable(bool enabled);
    bool enabled() const { return enabled_; }
    void setText(std::string_view text);
    const std::string& text() const { return text_; }
    Rect rect() const { return rect_; }     // in the dialog's client pixels
    void move(const Rect& r) { rect_ = r; }
    void setFocus();
    bool hasFocus() const;

    // Check boxes and radio buttons.
    void setCheck(int state);
    int check() const { return check_; }

    // Combo boxes and list boxes: items with item data; searches ignore ASCII case.
    int addString(std::string_view text);     // sorted styles insert in order, equal items after old ones
    int insertString(int index, std::string_view text);
    int deleteString(int index);
    void resetContent();
    int count() const { return static_cast<int>(items_.size()); }
    std::string itemText(int index) const;
    void setItemData(int index, std::intptr_t data);
    std::intptr_t itemData(int index) const;
    int curSel() const { return curSel_; }
    void setCurSel(int index);
    int findStringExact(std::string_view text, int after = -1) const;
    int selectString(std::string_view prefix);  // first item starting with the prefix; sets the selection
    std::vector<int> selectedItems() const;     // extended-selection list boxes
    void setSel(int index, bool selected);

    // Progress bars.
    void setRange(int low, int high);
    void setPos(int pos);
    int pos() const { return pos_; }

private:
    friend class Dialog;
    Dialog& owner_;
    int id_;
    Ctl kind_;
    std::uint32_t style_;
    Rect rect_;
    bool visible_, enabled_ = true;
    std::string text_;
    int check_ = 0;
    struct Item { std::string text; std::intptr_t data = 0; bool selected = false; };
    std::vector<Item> items_;
    int curSel_ = -1;
    int rangeLow_ = 0, rangeHigh_ = 100, pos_ = 0;
};

// Data exchange between controls and members (UpdateData).
class Ddx {
public:
    explicit Ddx(Dialog& dlg, bool saving) : dlg_(dlg), saving_(saving) {}
    bool saving() const { return saving_; }
    void text(int id, std::string& value);
    void check(int id, int& value);
    void radio(int firstId, int& index);  // the group's buttons in template order; -1 = none ticked
private:
    Dialog& dlg_;
    bool saving_;
};

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int templateId() const { return templateId_; }

    // Modal run: creates the controls, runs onInitDialog, then takes steps from the script until
    // endDialog; returns the end code. endDialog inside onInitDialog ends it before it is shown.
    int doModal(Dialog* parent = nullptr);
    // Modeless: creates the window (hidden unless the template says visible) and runs onInitDialog.
    bool create(Dialog* parent = nullptr);
    void destroyWindow();
    bool hasWindow() const { return created_; }
    bool isModal() const { return modal_; }

    // Modal: ends the loop with the code. Modeless: hides the window.
    void endDialog(int code);
    void showWindow(bool show);
    bool isVisible() const { return visible_; }
    void setWindowText(std::string_view text);
    const std::string& windowText() const { return caption_; }
    void setTopmost(bool topmost) { topmost_ = topmost; }
    bool topmost() const { return topmost_; }
    Rect windowRect() const;   // screen pixels
    Rect clientRect() const;

    Control& item(int id);     // a missing id is a bug of ours: asserts
    Control* findItem(int id);
    bool updateData(bool saveAndValidate = true);

    // Entry points for the driver: a user's action on this window.
    void userClick(int ctlId);
    void userType(int ctlId, std::string_view text);
    void userSelect(int ctlId, int index);
    void userKey(int vk);
    void userClose();
    void userFocusOut(bool escDown);
    void sendNotify(Notify& n);
    void sendMessage(MsgArgs& args);

    // The shown window with the template id: the most recently shown one; null when none is shown.
    static Dialog* shown(int templateId);

protected:
    virtual bool onInitDialog() { return true; }
    virtual void onOK();
    virtual void onCancel();
    virtual void doDataExchange(Ddx&) {}

    void onCommand(int ctlId, std::function<void()> handler);                  // button clicked
    void on(int ctlId, Ev ev, std::function<void(Notify&)> handler);          // other notifications
    void onMessage(Msg msg, std::function<void(MsgArgs&)> handler);

private:
    void createControls();
    void destroyControls();
    void record(std::string_view what) const;

    int templateId_;
    std::string caption_;
    Dialog* parent_ = nullptr;
    bool created_ = false, visible_ = false, modal_ = false, topmost_ = false;
    bool ended_ = false;
    int endCode_ = 0;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<int, std::function<void()>> commands_;
    std::map<std::pair<int, Ev>, std::function<void(Notify&)>> notifies_;
    std::map<Msg, std::function<void(MsgArgs&)>> messages_;
    int focusId_ = 0;
    friend class Control;
};

}  // namespace plat
