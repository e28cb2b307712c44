// Keyboard and mouse state as the plug-in polls it: the async key state (high bit while a key is down),
// synthetic key presses, the cursor position and the fixed system metrics of our headless screen.
// Key state and cursor may be read from any thread. Key codes are the window system's virtual keys.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

namespace plat {

constexpr int VK_TAB = 0x09, VK_CONTROL = 0x11, VK_LEFT = 0x25, VK_RIGHT = 0x27, VK_DELETE = 0x2E;

// 0x8000 set (a negative short) while the key is down.
short getAsyncKeyState(int vk);
void setKeyDown(int vk, bool down);
// Reports the key down for the next `polls` calls of getAsyncKeyState, then up again (a key the user
// holds while a loop polls it a given number of times).
void holdKeyForPolls(int vk, int polls);
void releaseAllKeys();

// A synthetic key event (keybd_event): sets the key state, is recorded, and is passed to the hook the host
// installs, so that a synthetic Esc ends its pending point prompt. The hook runs on the calling thread.
void keybdEvent(int vk, bool up);
void setSyntheticKeyHook(std::function<void(int vk, bool up)> hook);

// Holds a key down for a scope (a scripted key press while its handler runs); restores the previous state.
class KeyHeld {
public:
    explicit KeyHeld(int vk);
    ~KeyHeld();
    KeyHeld(const KeyHeld&) = delete;
    KeyHeld& operator=(const KeyHeld&) = delete;
private:
    int vk_;
    bool wasDown_;
};

// "RETURN", "ESCAPE", ... for the keys named here; else the number.
std::string vkName(int vk);
// The key by name (as vkName gives it) or by number; -1 when neither.
int vkFromName(std::string_view name);

Point cursorPos();
void setCursorPos(Point screen);

constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXICON = 11,
              SM_CYICON = 12, SM_CYMENU = 15, SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXEDGE = 45,
              SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50;
// Fixed values (screen 1280 x 1024, caption 19, border 1, dialog frame 3, edge 2, ...); 0 for an index we
// do not know, as the window system answers.
int systemMetric(int index);

}  // namespace plat
