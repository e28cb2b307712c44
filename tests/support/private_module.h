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
        const fs::path bin = std::string(FX_BINARY_DIR) + "/bin";
        fs::create_symlink(bin / "Forantix.so", dir_ / "Forantix.so");
        fs::copy_file(bin / "Forantix.txt", dir_ / "Forantix.txt");
        fs::copy(bin / "Forantix", dir_ / "Forantix", fs::copy_options::recursive);
        module_ = (dir_ / "Forantix.so").string();
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

// The module path for this test process.
inline const std::string& privateModule() {
    static const PrivateModule module;
    return module.path();
}
