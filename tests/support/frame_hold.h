// Whether the host's frame was held from drawing (its window update locked) at the transcript's lines that
// start with one of the prefixes while `run` ran: "<prefix> held" or "<prefix> drawn" for each such line,
// a repeat of the line before left out.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

inline std::vector<std::string> frameHoldsAt(const std::vector<std::string>& prefixes, const std::function<void()>& run) {
    std::vector<std::string> seen;
    plat::driver().transcript().setEcho([&](const std::string& line) {
        for (const std::string& prefix : prefixes) {
            if (!line.starts_with(prefix)) continue;
            const std::string what = prefix + (plat::windowUpdateLocked() ? " held" : " drawn");
            if (seen.empty() || seen.back() != what) seen.push_back(what);
        }
    });
    run();
    plat::driver().transcript().setEcho({});
    return seen;
}
