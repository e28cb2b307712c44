// The process-wide thread message queue: one FIFO behind one mutex. Posts are kept until taken, also those
// made before the UI thread starts reading.
#include "platform/sys/thread_queue.h"

#include <deque>
#include <mutex>

namespace plat {
namespace {

struct Queue {
    std::mutex mutex;
    std::deque<ThreadMsg> messages;
};

// Never destroyed: a watcher thread may still post while statics are torn down at exit.
Queue& queue() {
    static Queue* q = new Queue;
    return *q;
}

}  // namespace

void postThreadMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.messages.push_back(ThreadMsg{message, wParam, lParam});
}

std::optional<ThreadMsg> takeThreadMessage() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    if (q.messages.empty())
        return std::nullopt;
    ThreadMsg msg = q.messages.front();
    q.messages.pop_front();
    return msg;
}

bool hasThreadMessage() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    return !q.messages.empty();
}

void clearThreadMessages() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.messages.clear();
}

}  // namespace plat
