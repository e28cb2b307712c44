// The built module installed privately for one test process: the module linked, its UI texts and table
// library copied into a folder of its own, so that the settings file and the tables a session writes beside
// the module belong to that test alone (tests run side by side, and a run must not see another's settings).
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

class PrivateModule {
public:
    PrivateModule() {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/fxmodule-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        dir_ = pattern;
        fs::create_symlink(fs::path(std::string(FX_BINARY_DIR) + "/bin") / "Forantix.so", dir_ / "Forantix.so");
        module_ = (dir_ / "Forantix.so").string();
        reset();
    }
    // Back to a fresh install: the settings and tables that runs wrote beside the module are gone.
    void reset() const {
        namespace fs = std::filesystem;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename() != "Forantix.so") fs::remove_all(entry.path());
        const fs::path bin = std::string(FX_BINARY_DIR) + "/bin";
        fs::copy_file(bin / "Forantix.txt", dir_ / "Forantix.txt");
        fs::copy(bin / "Forantix", dir_ / "Forantix", fs::copy_options::recursive);
    }
    ~PrivateModule() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    PrivateModule(const PrivateModule&) = delete;
    PrivateModule& operator=(const PrivateModule&) = delete;
    const std::string& path() const { return module_; }

private:
    std::filesystem::path dir_;
    std::string module_;
};

inline const PrivateModule& thePrivateModule() {
    static const PrivateModule module;
    return module;
}

// The module path for this test process.
inline const std::string& privateModule() { return thePrivateModule().path(); }

// The module's folder as freshly installed, for a test that must not see what an earlier run wrote.
inline void resetPrivateModule() { thePrivateModule().reset(); }
