// One headless user. Everything that would wait for a person (a modal dialog, a message box, a popup menu,
// a file dialog, the host's prompt and picks, the wait dialog's Cancel) takes the next step of one ordered
// script; everything shown to the user is written to the transcript.
//
// A step that does not fit what waits, or an empty script where something waits, is a script error: it is
// recorded with the step's line, and from then on every wait takes its cancel answer, so a run never hangs
// and never acts on a misread script. An optional step ("?") that does not fit is passed over instead. The
// session language is documented in docs/sessions.md.
#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct Step {
    int line = 0;  // line of the session file; 0 for a step added from code
    std::string verb;
    std::vector<std::string> args;
    // Written after "?": where what waits does not take it, the step is passed over and the next one tried.
    bool optional = false;

    std::string describe() const;         // "line 4: click 18048 18007" (no "line" part when 0; "? " first
                                          // for an optional step)
    int intArg(std::size_t i) const;      // the argument as a whole number (0 when absent or not a number)
    double doubleArg(std::size_t i) const;
    std::string restFrom(std::size_t i) const;  // arguments from i on, joined by one blank
};

class Script {
public:
    Script& add(Step step);

    // Builders, the same steps a session file gives (see docs/sessions.md).
    Script& invoke();
    Script& click(int window, int control);
    Script& type(int window, int control, std::string text);
    Script& check(int window, int control, int state);
    // held: "" a plain click, "ctrl" or "shift" held (list boxes that allow several selected items).
    Script& select(int window, int control, int index, std::string held = "");
    Script& key(int window, int vk);
    Script& close(int window);
    Script& hover(int window, int control);    // the cursor rests on the control (its tool tip)
    // A left click at a point of the window's client area (pixels), where no control takes the click: on a
    // static, a picture, a group box or the window itself.
    Script& clickAt(int window, int x, int y);
    Script& wait(int ms);                      // the user does nothing for a while; the clock runs
    Script& focusOut(int window, bool escDown);
    Script& answer(int code);                 // message box: IDOK, IDCANCEL, IDYES, IDNO ...
    Script& menu(int id);                     // popup menu item; 0 = dismissed
    Script& file(std::string path);           // file dialog; "" = cancelled
    Script& folder(std::string path);         // folder picker; "" = cancelled
    Script& colourPick(int colour);           // host colour chooser: the colour chosen; -1 = cancelled
    Script& libraryPick(std::string entry);   // host library pick: a tool slot or material name; "" = cancelled
    Script& point(double x, double y, double z);
    Script& pointEntry(char kind, double x, double y, double z);   // a point given with another entry kind
    Script& entity(int id);                   // the entity with this id picked
    Script& esc();                            // Esc at the host's prompt or pick
    Script& enter();                          // Enter at the host's point prompt
    Script& endPick();                        // ends a multiple entity pick with what was picked
    Script& cancelWait();                     // Cancel on the host's wait dialog
    Script& notify(int code);                // the host sends m_notify(code)
    // List views: row -1 is the empty space below the rows; col picks the cell the cursor lands in.
    // With ctrl the Ctrl key is held: the row's selection toggles and the other rows keep theirs.
    Script& listClick(int window, int control, int row, int col = 0, bool ctrl = false);
    Script& listDblClick(int window, int control, int row, int col = 0);
    Script& listRClick(int window, int control, int row, int col = 0);
    Script& listKey(int window, int control, int vk);
    Script& columnClick(int window, int control, int col);
    // Tree views: the item by its texts from the root, "View 1/Hole 2".
    Script& treeClick(int window, int control, std::string path, bool onIcon = false);
    Script& treeRClick(int window, int control, std::string path, bool onIcon = false);
    Script& treeExpand(int window, int control, std::string path);
    Script& treeCollapse(int window, int control, std::string path);
    Script& treeEdit(int window, int control, std::string path, std::string text);

    bool empty() const { return steps_.empty(); }
    std::size_t size() const { return steps_.size(); }
    const Step* peek() const { return steps_.empty() ? nullptr : &steps_.front(); }
    std::optional<Step> take();
    void clear() { steps_.clear(); }
    // Called with each step as it is taken, wherever it is taken (hostcam's cost of each step).
    void setOnTake(std::function<void(const Step&)> onTake) { onTake_ = std::move(onTake); }

private:
    std::deque<Step> steps_;
    std::function<void(const Step&)> onTake_;
};

// Parses a session text, one step a line; '#' starts a comment, blank lines are skipped. On a bad line
// the result holds no steps and an error "line N: ...".
struct ParsedSession {
    std::vector<Step> steps;
    std::string error;
};
ParsedSession parseSession(std::string_view text);

class Transcript {
public:
    void add(std::string line);
    const std::vector<std::string>& lines() const { return lines_; }
    bool contains(std::string_view fragment) const;
    // Index of the first line at or after `from` that contains the fragment; npos when none.
    std::size_t find(std::string_view fragment, std::size_t from = 0) const;
    void setEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }
    void clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> echo_;
};

class UiDriver {
public:
    Script& script() { return script_; }
    Transcript& transcript() { return transcript_; }
    void record(std::string line);

    // Takes the next step when its verb is one of `verbs`, passing over the optional steps of other verbs
    // before it. Otherwise (another verb, or no step) records a script error naming what waits (`waiting`,
    // e.g. "message box \"Delete?\"") and returns nothing.
    std::optional<Step> expect(std::initializer_list<std::string_view> verbs, std::string_view waiting);
    // Records that an optional step was not taken ("script passes over ...").
    void passOver(const Step& step);
    // The next step's verb when it is one of `verbs`, without taking it.
    const Step* peekAny(std::initializer_list<std::string_view> verbs) const;

    void scriptError(const Step* step, std::string_view message);
    const std::vector<std::string>& errors() const { return errors_; }
    bool aborted() const { return !errors_.empty(); }

    void reset();  // empties the script, the transcript and the errors
    std::recursive_mutex& mutex() { return mutex_; }

private:
    Script script_;
    Transcript transcript_;
    std::vector<std::string> errors_;
    mutable std::recursive_mutex mutex_;
};

UiDriver& driver();

// Delivers a window step (click, type, check, select, key, close, focus-out, and the list-, column- and
// tree- steps) to the shown window with that template id. A step for a window that is not shown, or for a
// hidden or disabled control, is refused as a script error. Steps of other verbs are not window steps.
// An optional step that the window refuses is passed over instead.
enum class Delivery { NotAWindowStep, Delivered, Refused, PassedOver };
Delivery deliverWindowStep(const Step& step);
bool isWindowStep(const Step& step);
std::initializer_list<std::string_view> windowStepVerbs();

}  // namespace plat
