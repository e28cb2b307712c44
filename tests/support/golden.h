// Golden files: a text a test makes is compared with the file of that name in the test's golden folder.
// With FX_UPDATE_GOLDEN set in the environment the file is written instead (scripts/update_goldens.sh);
// read the changes in `git diff` before committing them.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline bool updatingGoldens() {
    const char* v = std::getenv("FX_UPDATE_GOLDEN");
    return v && *v && std::string(v) != "0";
}

// Compares (or, while updating, writes) `text` with the golden file `path`; the first differing line is
// named on a mismatch.
inline void expectGolden(const std::string& path, const std::string& text) {
    if (updatingGoldens()) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path << " is missing: run scripts/update_goldens.sh";
    std::ostringstream stored;
    stored << in.rdbuf();
    if (stored.str() == text) return;
    std::istringstream a(stored.str()), b(text);
    std::string lineA, lineB;
    int n = 1;
    for (;; ++n) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA)), moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB) break;
        if (!moreA || !moreB || lineA != lineB) break;
    }
    ADD_FAILURE() << path << " differs first at line " << n << ":\n  golden: " << lineA << "\n  now:    " << lineB
                  << "\n(scripts/update_goldens.sh writes what the test made; read it before committing)";
}
