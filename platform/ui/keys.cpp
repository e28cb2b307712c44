// Key state, synthetic keys, cursor and system metrics. Key state is a table of atomics because watcher
// threads poll it while the UI thread holds keys down for scripted presses.
#include "platform/ui/keys.h"

#include <array>
#include <atomic>
#include <mutex>

#include "platform/ui/driver.h"

namespace plat {
namespace {

struct KeyState {
    std::array<std::atomic<bool>, 256> down{};
    std::array<std::atomic<int>, 256> pollsLeft{};
    std::mutex hookMutex;
    std::function<void(int, bool)> hook;
    std::mutex cursorMutex;
    Point cursor{640, 512};
};

KeyState& keys() {
    static KeyState* k = new KeyState;  // watcher threads may poll during exit
    return *k;
}

bool validVk(int vk) { return vk >= 0 && vk < 256; }

const std::pair<int, const char*> kNames[] = {
    {VK_TAB, "TAB"},   {VK_RETURN, "RETURN"}, {VK_SHIFT, "SHIFT"}, {VK_CONTROL, "CONTROL"},
    {VK_ESCAPE, "ESCAPE"}, {VK_SPACE, "SPACE"}, {VK_LEFT, "LEFT"}, {VK_UP, "UP"},
    {VK_RIGHT, "RIGHT"}, {VK_DOWN, "DOWN"}, {VK_DELETE, "DELETE"},
};

}  // namespace

short getAsyncKeyState(int vk) {
    if (!validVk(vk)) return 0;
    KeyState& k = keys();
    bool down = k.down[vk].load();
    int polls = k.pollsLeft[vk].load();
    while (polls > 0 && !k.pollsLeft[vk].compare_exchange_weak(polls, polls - 1)) {
    }
    if (polls > 0) down = true;
    return down ? static_cast<short>(0x8000) : 0;
}

void setKeyDown(int vk, bool down) {
    if (validVk(vk)) keys().down[vk] = down;
}

void holdKeyForPolls(int vk, int polls) {
    if (validVk(vk)) keys().pollsLeft[vk] = polls > 0 ? polls : 0;
}

void releaseAllKeys() {
    for (auto& d : keys().down) d = false;
    for (auto& p : keys().pollsLeft) p = 0;
}

void keybdEvent(int vk, bool up) {
    setKeyDown(vk, !up);
    driver().record("key.synthetic " + vkName(vk) + (up ? " up" : " down"));
    std::function<void(int, bool)> hook;
    {
        std::lock_guard lock(keys().hookMutex);
        hook = keys().hook;
    }
    if (hook) hook(vk, up);
}

void setSyntheticKeyHook(std::function<void(int vk, bool up)> hook) {
    std::lock_guard lock(keys().hookMutex);
    keys().hook = std::move(hook);
}

KeyHeld::KeyHeld(int vk) : vk_(vk), wasDown_(validVk(vk) && keys().down[vk].load()) { setKeyDown(vk, true); }
KeyHeld::~KeyHeld() { setKeyDown(vk_, wasDown_); }

std::string vkName(int vk) {
    for (const auto& [code, name] : kNames)
        if (code == vk) return name;
    return std::to_string(vk);
}

int vkFromName(std::string_view name) {
    for (const auto& [code, n] : kNames)
        if (name == n) return code;
    if (name.empty() || name.size() > 3) return -1;
    int v = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return validVk(v) ? v : -1;
}

Point cursorPos() {
    std::lock_guard lock(keys().cursorMutex);
    return keys().cursor;
}

void setCursorPos(Point screen) {
    std::lock_guard lock(keys().cursorMutex);
    keys().cursor = screen;
}

int systemMetric(int index) {
    switch (index) {
    case SM_CXSCREEN: return 1280;
    case SM_CYSCREEN: return 1024;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}

}  // namespace plat
