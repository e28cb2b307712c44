// Windows and dialogs, headless. A dialog is built from a registered template (controls addressed by their
// ids); handlers are bound to (control id, notification) in the constructor, the way a message map does.
// Modal loops and everything a user does come from the script of the UiDriver (driver.h); everything shown
// is recorded in its transcript. Numeric ids and codes keep the window system's values. All of it runs on
// the user-interface thread.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat {

using Color = std::uint32_t;  // 0x00BBGGRR
constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
struct Point { int x = 0, y = 0; };
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Point center() const { return {(left + right) / 2, (top + bottom) / 2}; }
};

// The part of `r` inside a client area of that size (origin at 0, 0); nothing when none.
inline std::optional<Rect> clipToClient(Rect r, const Rect& client) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, client.width());
    r.bottom = std::min(r.bottom, client.height());
    if (r.right <= r.left || r.bottom <= r.top) return std::nullopt;
    return r;
}

constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
constexpr int VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_UP = 0x26, VK_DOWN = 0x28;

// Control kinds and the styles the code reads.
enum class Ctl { Button, DefButton, BitmapButton, Check, Radio, GroupBox, Static, Picture, Edit,
                 ComboDropList, ComboDropDown, ComboSimple, ListBox, ListView, TreeView, Tab, Progress };
const char* ctlKindName(Ctl kind);
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t ES_PASSWORD = 0x20;
constexpr std::uint32_t ES_READONLY = 0x800;
constexpr std::uint32_t LBS_SORT = 0x2;
constexpr std::uint32_t LBS_EXTENDEDSEL = 0x800;
constexpr std::uint32_t CBS_SORT = 0x100;

// Templates: rectangles in dialog units, converted with fixed base units (6 x 13 pixels per 4 x 8 units).
// A radio group runs from a control with `group` set up to the next control with `group` set, in template
// order; so the control after a group's last radio button must start a group of its own.
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
// A second registration of an id replaces the first (a module that is loaded again registers again).
void registerDialog(DlgTemplate tmpl);
const DlgTemplate* findDialogTemplate(int id);
Rect dluToPixels(const Rect& dlu);
int dluToPixelsX(int dlu);
int dluToPixelsY(int dlu);

enum class Ev { Clicked, DblClk, RClick, SetFocus, KillFocus, Change, SelChange, SelChanging, ItemChanged,
                KeyDown, ColumnClick, ItemExpanded, BeginLabelEdit, EndLabelEdit, NeedText };
// What a notification carries, by control kind:
//   list view: row/col (NM_CLICK/DBLCLK/RCLICK: the cell under the cursor, -1 when none; COLUMNCLICK: col;
//     ITEMCHANGED: row (-1 = every row), the full old and new state bits and what changed (LVIF_*)), point
//     (client coordinates of a click), vk (KEYDOWN);
//   tree view: item (ITEMEXPANDED, BEGIN/ENDLABELEDIT, SELCHANGING/SELCHANGE; NM_CLICK and NM_RCLICK carry
//     none, so handlers hit-test the cursor), action (TVE_* for ITEMEXPANDED, TVC_* for a selection), text
//     (the label; at ENDLABELEDIT the edited text);
//   result: a handler's answer (non-zero refuses a SELCHANGING or BEGINLABELEDIT, or a click's default
//     action; non-zero accepts an ENDLABELEDIT).
struct Notify {
    int ctlId = 0;
    Ev ev = Ev::Clicked;
    int row = -1, col = -1;
    std::uint32_t item = 0;
    int vk = 0;
    int action = 0;
    std::optional<std::string> text;
    int result = 0;
    unsigned oldState = 0, newState = 0, changed = 0;
    Point point;
};
enum class Msg { Close, Destroy, Paint, KillFocus, LButtonUp, CancelMode };
struct MsgArgs {
    Msg msg = Msg::Close;
    Point point;            // LButtonUp: client coordinates
    class Canvas* canvas = nullptr;  // Paint
    bool handled = true;    // a handler may clear it to let the default run after it
};
struct CtlColors {
    Color text = 0;
    Color background = 0xFFFFFF;
};

class Dialog;
class ListView;
class TreeView;
class Canvas;
class RasterCanvas;

// How a user's mouse acts on an item of a list or tree view.
enum class MouseClick { Left, Double, Right };
// The key held while the user clicks an item of a list box that allows several selected items: Ctrl toggles
// the item and keeps the others, Shift selects the items from the anchor (the last item clicked without
// Shift) to it and no others.
enum class SelectKey { None, Ctrl, Shift };
enum class TreePart { Label, Icon };

// One control of a dialog. Operations that do not fit the control's kind are ignored (and return empty).
// Programmatic changes notify as the window system does: setText on an edit sends Change; setCheck,
// setCurSel and the like send nothing.
class Control {
public:
    Control(Dialog& owner, const CtlTemplate& tmpl);
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    int id() const { return id_; }
    Ctl kind() const { return kind_; }
    std::uint32_t style() const { return style_; }
    Dialog& owner() const { return owner_; }
    bool group() const { return group_; }
    int bitmapId() const { return bitmapId_; }

    void show(bool visible);
    bool visible() const { return visible_; }
    void enable(bool enabled);
    bool enabled() const { return enabled_; }
    void setText(std::string_view text);
    const std::string& text() const { return text_; }
    Rect rect() const { return rect_; }     // in the dialog's client pixels (the window placement)
    Rect windowRect() const;                // in screen pixels
    // The client area, inside the sunken edge that list and tree views have; {0, 0, w, h} in its own
    // coordinates.
    Rect clientRect() const;
    Point clientToScreen(Point client) const;
    Point screenToClient(Point screen) const;
    void move(const Rect& r) { rect_ = r; }
    void setFocus();
    bool hasFocus() const;
    bool takesFocus() const;                // kinds a click or Tab can focus

    // Edits: the selected character range (select-all = 0, -1).
    void setEditSel(int from, int to);
    std::pair<int, int> editSel() const { return {selFrom_, selTo_}; }

    // Check boxes and radio buttons.
    void setCheck(int state);
    int check() const { return check_; }

    // Combo boxes, list boxes and tabs: items with item data; searches ignore ASCII case. Results that
    // fail are -1, as the window system's error code.
    int addString(std::string_view text);     // sorted styles insert in order, equal items after old ones
    int insertString(int index, std::string_view text);  // -1 = at the end; never sorts
    int deleteString(int index);              // the count left, or -1
    void resetContent();
    int count() const { return static_cast<int>(items_.size()); }
    std::string itemText(int index) const;
    void setItemText(int index, std::string_view text);
    void setItemData(int index, std::intptr_t data);
    std::intptr_t itemData(int index) const;  // -1 for a bad index
    int curSel() const { return curSel_; }
    void setCurSel(int index);                // -1 = none; a combo's text follows the selection
    int findStringExact(std::string_view text, int after = -1) const;  // searches on from after+1, wrapping
    // Combo boxes: the height of the selection field, and the width of the drop-down list (0: the
    // control's own).
    int fieldHeight() const;
    void setDroppedWidth(int width);
    int droppedWidth() const { return droppedWidth_; }
    int selectString(std::string_view prefix);  // first item starting with the prefix; sets the selection
    std::vector<int> selectedItems() const;     // extended-selection list boxes; else the current selection
    void setSel(int index, bool selected);      // -1 = every item
    // Tabs: the tab's rectangle in the control's client coordinates (one row of tabs along the top, each
    // as wide as its text); empty for a bad index or another kind.
    Rect tabRect(int index) const;

    // The list or tree view behind a control of that kind; null for every other kind.
    ListView* listView() { return list_.get(); }
    const ListView* listView() const { return list_.get(); }
    TreeView* treeView() { return tree_.get(); }
    const TreeView* treeView() const { return tree_.get(); }

    // Progress bars.
    void setRange(int low, int high);
    void setPos(int pos);
    int pos() const { return pos_; }
    std::pair<int, int> range() const { return {rangeLow_, rangeHigh_}; }

private:
    friend class Dialog;
    bool isCombo() const;
    bool hasItems() const;
    bool sorted() const;
    Dialog& owner_;
    int id_;
    Ctl kind_;
    std::uint32_t style_;
    Rect rect_;
    bool visible_, enabled_ = true, group_;
    int bitmapId_;
    std::string text_;
    int check_ = 0;
    int selFrom_ = 0, selTo_ = 0;
    struct Item { std::string text; std::intptr_t data = 0; bool selected = false; };
    // A user's click on an item of an extended-selection list box, with the key held.
    void clickSelect(int index, SelectKey key);
    std::vector<Item> items_;
    int curSel_ = -1;
    int anchor_ = -1;   // where a Shift click's range starts
    int droppedWidth_ = 0;
    int rangeLow_ = 0, rangeHigh_ = 100, pos_ = 0;
    std::unique_ptr<ListView> list_;
    std::unique_ptr<TreeView> tree_;
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
    // A window still open is torn down without its Destroy handler: the derived part that bound it is
    // already gone. Call destroyWindow first where the handler matters.
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int templateId() const { return templateId_; }
    Dialog* parent() const { return parent_; }

    // Modal run: creates the controls, runs onInitDialog, then takes steps from the script until
    // endDialog; returns the end code. endDialog inside onInitDialog ends it before it is shown. A missing
    // template gives -1. After a script error (now or during the run) the result is IDCANCEL.
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
    void enableWindow(bool enable) { enabled_ = enable; }
    bool isEnabled() const { return enabled_; }
    void setWindowText(std::string_view text);
    const std::string& windowText() const { return caption_; }
    void setTopmost(bool topmost) { topmost_ = topmost; }
    bool topmost() const { return topmost_; }
    Rect windowRect() const;   // screen pixels, frame and caption included; centred on the screen until moved
    Rect clientRect() const;   // {0, 0, width, height}
    void moveWindow(const Rect& screen);
    Point clientToScreen(Point p) const;

    Control& item(int id);     // a missing id is a bug of ours: asserts
    Control* findItem(int id);
    ListView& listView(int id);  // the control must be a list view: asserts
    TreeView& treeView(int id);  // the control must be a tree view: asserts
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    int focusedId() const { return focusId_; }  // GetFocus within this window; 0 = none
    bool updateData(bool saveAndValidate = true);

    // Whether a user could act on this window now: created, shown, enabled, and not blocked by a modal
    // run (an outer modal dialog, or a window that owns a running modal dialog).
    bool reachable() const;

    // A user's action on this window, as a script step gives it. Each returns "" when done, or why the
    // user could not do it (and then nothing happened). Done actions are recorded as "user ..." lines.
    [[nodiscard]] std::string userClick(int ctlId);
    [[nodiscard]] std::string userType(int ctlId, std::string_view text);
    [[nodiscard]] std::string userCheck(int ctlId, int state);
    [[nodiscard]] std::string userSelect(int ctlId, int index, SelectKey key = SelectKey::None);
    [[nodiscard]] std::string userKey(int vk);
    [[nodiscard]] std::string userClose();
    [[nodiscard]] std::string userFocusOut(bool escDown);
    // The cursor rests on a shown control (enabled or not): with tool tips on, its tip is asked for.
    [[nodiscard]] std::string userHover(int ctlId);
    // A left click at a point of the client area that no control takes (statics, pictures and group boxes
    // let the mouse through): the window receives the button-up there. A point outside the client area or
    // on another shown control is refused.
    [[nodiscard]] std::string userClickAt(Point client);
    // Item-addressed actions on list and tree views (list_view.cpp, tree_view.cpp). Row -1 of a list is
    // the empty space below its rows; a tree item is named by its path of texts from the root, "A/B".
    // With ctrl (a left click in a list that allows several selected rows) the row's selection toggles.
    [[nodiscard]] std::string userListClick(int ctlId, MouseClick click, int row, int col, bool ctrl = false);
    [[nodiscard]] std::string userListKey(int ctlId, int vk);
    [[nodiscard]] std::string userColumnClick(int ctlId, int col);
    [[nodiscard]] std::string userTreeClick(int ctlId, MouseClick click, std::string_view path, TreePart part);
    [[nodiscard]] std::string userTreeExpand(int ctlId, std::string_view path, bool expand);
    [[nodiscard]] std::string userTreeEdit(int ctlId, std::string_view path, std::string_view text);
    // An empty path clicks the empty area below the tree's items (refused when the items fill the view).

    // Programmatic sends, as SendMessage: no reachability checks, nothing recorded.
    void sendCommand(int ctlId);     // WM_COMMAND: the bound handler, else IDOK -> onOK, IDCANCEL -> onCancel
    void sendNotify(Notify& n);
    void sendMessage(MsgArgs& args);  // a Close nobody handled runs onCancel
    void paint(class Canvas& canvas);
    std::optional<CtlColors> ctlColors(int ctlId) const;

    // What is drawn on the window lands in one image of its client area, a layer over its controls
    // (window_picture.h). The Paint handler draws into it when the window is shown and when it is repainted
    // (the image is cleared first); a client device context draws into it at any time.
    Canvas& clientDC();                           // a device context in its fresh state
    void invalidate() { paintPending_ = true; }   // repainted before the user's next step
    void updateWindow();                          // repaints now when invalidated (lockWindowUpdate)
    bool updatesHeld() const;                     // shown before the window updates were locked
    // The layer and what it recorded since the last repaint; null until something was drawn.
    const RasterCanvas* surface() const { return surface_.get(); }

    // The shown window with the template id: the most recently shown one; null when none is shown.
    static Dialog* shown(int templateId);
    // Modal dialogs running now, outermost first.
    static std::vector<Dialog*> modalStack();

    // Tool tips of the window's controls (EnableToolTips). A control the cursor rests on asks for its tip
    // with a NeedText notification, to the handler bound to its id or else to id 0 (every control); the
    // handler gives the text in Notify::text and may set the tip's look. A tip without text is not shown;
    // a shown one is recorded as "dialog.tooltip W C width=W delays=INITIAL/AUTOPOP/RESHOW \"text\"".
    struct ToolTipLook {
        int maxWidth = -1;   // -1: one line however long
        int initialMs = 500, autoPopMs = 5000, reshowMs = 100;
    };
    void enableToolTips(bool enable = true) { toolTipsOn_ = enable; }
    bool toolTipsEnabled() const { return toolTipsOn_; }
    ToolTipLook& toolTipLook() { return tipLook_; }

    // Timers (SetTimer): the handler runs on the user-interface thread, again and again until the timer is
    // killed (a one-shot handler kills its own). A person acts slower than any timer of the window, so every
    // timer set on a window due before the user's next step runs once before it (runDueTimers). Setting an
    // id again replaces its handler; the timers go with the window.
    void setTimer(int id, int elapseMs, std::function<void()> handler);
    bool killTimer(int id);

    // A call posted to the window from any thread (PostMessage): it runs on the user-interface thread when
    // that thread next takes messages (runPostedCalls: between the steps of a modal run), in posting order.
    // A window that goes away first drops it, so a poster must not outlive the object it names.
    void post(std::function<void()> call);

protected:
    virtual bool onInitDialog() { return true; }
    virtual void onOK();
    virtual void onCancel();
    virtual void doDataExchange(Ddx&) {}

    void onCommand(int ctlId, std::function<void()> handler);                  // button clicked
    void on(int ctlId, Ev ev, std::function<void(Notify&)> handler);          // other notifications
    void onMessage(Msg msg, std::function<void(MsgArgs&)> handler);
    void onCtlColor(std::function<std::optional<CtlColors>(int ctlId)> hook) { ctlColor_ = std::move(hook); }


private:
    friend class Control;
    bool createWindow(Dialog* parent, bool modal);
    void createControls(const DlgTemplate& tmpl);
    void teardown(bool sendDestroy);
    void markShown(bool show);
    void moveFocus(int ctlId);
    void tickRadio(int ctlId);
    void press(int ctlId);
    void keyCommand(int vk, int cmdId);
    void listKeyDown(int ctlId, int vk);  // LVN_KEYDOWN, then the list's own arrow keys
    std::string userTreeClickEmpty(Control& c, MouseClick click);
    std::string checkWindow() const;
    std::string checkControl(int ctlId, Control*& ctl);
    std::string checkKind(int ctlId, Ctl kind, Control*& ctl);
    void record(std::string_view what) const;
    // The rows of a tree view that are open to the eye (every ancestor expanded), in order, as the user
    // reads them when the window shows and after each expand or collapse.
    void recordTreeRows(const Control& tree) const;
    RasterCanvas& ensureSurface();
    void repaint();
    void notePicture(bool shown);
    friend void updateWindows();

    int templateId_;
    std::string caption_;
    Dialog* parent_ = nullptr;
    bool created_ = false, visible_ = false, enabled_ = true, modal_ = false, topmost_ = false;
    bool ended_ = false;
    int endCode_ = 0;
    std::uint64_t shownSeq_ = 0;
    std::optional<Point> origin_;  // top-left in screen pixels once moved
    int cxPx_ = 0, cyPx_ = 0;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::pair<int, Ev>, std::function<void(Notify&)>> notifies_;
    std::map<Msg, std::function<void(MsgArgs&)>> messages_;
    struct Timer { int elapseMs = 0; std::function<void()> handler; };
    std::map<int, Timer> timers_;
    std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_;
    friend void runPostedCalls();
    friend void runDueTimers();
    std::function<std::optional<CtlColors>(int)> ctlColor_;
    int focusId_ = 0;
    bool toolTipsOn_ = false;
    ToolTipLook tipLook_;
    std::unique_ptr<RasterCanvas> surface_;
    bool paintPending_ = false;
    std::uint64_t pictureAt_ = 0;  // the layer's draw count at the last picture written
};

// Repaints the shown windows that were invalidated and, while a picture folder is set, writes the
// picture of every shown window drawn on since its last one. Runs before and after each window step.
void updateWindows();
// LockWindowUpdate on the host's main frame, which holds the windows shown so far: while locked none of them
// repaints (updateWindows and updateWindow hold it), and a window shown since, over the frame, repaints as
// ever; what was invalidated meanwhile repaints at the first update after the release. Locking while locked
// fails (false), as one window at a time may be locked.
bool lockWindowUpdate(bool lock);
bool windowUpdateLocked();
// Runs once every timer of the open windows (the user's think time outlasts them). Runs before each window
// step, before the repaint.
void runDueTimers();
// Runs the calls posted to the open windows (Dialog::post), on the calling thread, which must be the
// user-interface thread. A modal run takes them before each step it waits for.
void runPostedCalls();

// The window's state as text, one control a line in template order, for tests and session output:
//   window 18036 caption="..." visible=1 enabled=1 modal=1 focus=4019
//   4019 Check text="..." visible=1 enabled=1 check=1
//   4023 ComboDropList text="b" visible=1 enabled=1 items=["a","b"] sel=1
//   4054 ListView text="" visible=1 enabled=1 columns=["Name":200,"Size":75] rows=1 top=0
//     row 0 ["M8","12"] data=3 image=0 selected focused
//   4003 TreeView text="" visible=1 enabled=1 items=2 top="View 1"
//     "View 1" data=1 image=0/1 expanded
//       "Hole 2" data=2 image=3/3 caret selected bold
// Texts are quoted as in the transcript; password edits show one '*' a character.
std::string describeWindow(const Dialog& dlg);
// describeWindow as it was when the template's window last closed or hid (modal end, endDialog,
// destroyWindow); "" when it never did.
std::string lastSnapshot(int templateId);

}  // namespace plat
