// The user-interface thread's message queue: messages posted without a window (PostMessage(NULL, ...)).
// Any thread may post; the UI thread takes them in order.
#pragma once
#include <cstdint>
#include <optional>

namespace plat {

struct ThreadMsg {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

void postThreadMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
std::optional<ThreadMsg> takeThreadMessage();
bool hasThreadMessage();
void clearThreadMessages();

}  // namespace plat
