// One host session played in phases: a host with a folder of its own and a module installed for it alone,
// loaded once and kept loaded while scripts are played on it one after another, as a user's host stays open
// while the user, or another program, changes files between their steps.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "host/state.h"
#include "hostapp/plugin_module.h"
#include "hostapp/session_runner.h"
#include "platform/ui/driver.h"
#include "support/host_folder.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

class HostSession {
public:
    // A fresh host (folder `hostDir`) with `module` loaded.
    HostSession(const PrivateModule& module, const std::string& hostDir) {
        plat::driver().reset();
        host::reset();
        host::setHostDir(hostDir);
        std::string error;
        loaded_ = module_.load(module.path(), error);
        EXPECT_TRUE(loaded_) << error;
    }
    ~HostSession() {
        module_.unload();
        host::reset();
        plat::driver().reset();
    }
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Plays the script's steps (the session language) on the loaded module; the exit code hostcam would give.
    // `transcript` holds what this script's steps showed.
    int play(const std::string& script) {
        const plat::ParsedSession parsed = plat::parseSession(script);
        EXPECT_EQ(parsed.error, "");
        if (!parsed.error.empty() || !loaded_) return 2;
        const std::size_t from = plat::driver().transcript().lines().size();
        {
            std::lock_guard lock(plat::driver().mutex());
            for (const plat::Step& s : parsed.steps) plat::driver().script().add(plat::Step(s));
        }
        std::ostringstream out, err;
        const int code = host::runSession(module_.exports(), out, err).exitCode;
        errors = err.str();
        transcript.clear();
        const std::vector<std::string>& lines = plat::driver().transcript().lines();
        for (std::size_t i = from; i < lines.size(); ++i) transcript += lines[i] + '\n';
        return code;
    }

    std::string transcript, errors;

private:
    host::PluginModule module_;
    bool loaded_ = false;
};
