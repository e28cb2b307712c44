// The built module installed privately for one test process: the module linked, its UI texts and table
// library copied into a folder of its own, so that the settings file and the tables a session writes beside
// the module belong to that test alone (tests run side by side, and a run must not see another's settings).
// The process's module (thePrivateModule) is installed afresh before every test and every suite's set-up, so
// that a test of the same process never sees what an earlier one left there either; a module a test makes for itself lives and dies
// with that test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class PrivateModule {
public:
    PrivateModule() {
        char pattern[] = "/tmp/fxmodule-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        dir_ = pattern;
        install();
        module_ = (dir_ / "Forantix.so").string();
    }
    ~PrivateModule() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    PrivateModule(const PrivateModule&) = delete;
    PrivateModule& operator=(const PrivateModule&) = delete;
    const std::string& path() const { return module_; }

    // Everything a run wrote beside the module (settings files, tables) goes; the installation is as shipped.
    void install() {
        namespace fs = std::filesystem;
        for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
        fs::create_symlink(fs::path(FX_BINARY_DIR) / "bin" / "Forantix.so", dir_ / "Forantix.so");
        fs::copy_file(fs::path(FX_SOURCE_DIR) / "data" / "Forantix.txt", dir_ / "Forantix.txt");
        installShippedTables(dir_ / "Forantix");
    }

    // The table library from the sources rather than the build's copy, which the main job played by hand
    // changes as a station's own library (it adds rows).
    static void installShippedTables(const std::filesystem::path& to) {
        std::filesystem::create_directories(to);
        std::filesystem::copy(std::filesystem::path(FX_SOURCE_DIR) / "data" / "forms", to,
                              std::filesystem::copy_options::recursive);
    }

    class Reinstall : public testing::EmptyTestEventListener {
    public:
        explicit Reinstall(PrivateModule& module) : module_(module) {}
        // A suite's set-up runs before its first test starts: it too plays on the module as shipped.
        void OnTestSuiteStart(const testing::TestSuite&) override { module_.install(); }
        void OnTestStart(const testing::TestInfo&) override { module_.install(); }

    private:
        PrivateModule& module_;
    };

private:
    std::filesystem::path dir_;
    std::string module_;
};

// The process's module, installed afresh before each test by the one listener that refers to it (it lives
// as long as the process). Modules of a test's own are made for that test alone and need no listener.
inline PrivateModule& thePrivateModule() {
    static PrivateModule* const module = [] {
        static PrivateModule installed;
        testing::UnitTest::GetInstance()->listeners().Append(new PrivateModule::Reinstall(installed));
        return &installed;
    }();
    return *module;
}

// The module path for this test process.
inline const std::string& privateModule() { return thePrivateModule().path(); }

// The module's folder as freshly installed, for a test whose runs must not see what an earlier one wrote.
inline void resetPrivateModule() { thePrivateModule().install(); }
