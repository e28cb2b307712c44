// The synchronisation's inputs as another station or a crash leaves them in the shared folder: the running
// flag with its file time, a publication's busy mark with what it staged (or what else was left there), and
// the files of the shared library. Whatever they hold, only the holder's flag is removed, a flag silent too
// long is never a running holder's, only plain files go into the library and nothing is written outside the
// local and shared libraries.
#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fuzz_support.h"
#include "platform/sys/paths.h"
#include "plugin/settings/shared_data.h"

namespace {

namespace fs = std::filesystem;

// Every file under `root` lies in one of the folders allowed.
void checkConfined(const std::string& root, const std::vector<std::string>& allowed) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory()) continue;
        const std::string parent = it->path().parent_path().string();
        if (std::find(allowed.begin(), allowed.end(), parent) == allowed.end()) std::abort();
    }
}

std::vector<std::string> lines(const std::vector<std::uint8_t>& bytes, std::size_t most) {
    std::vector<std::string> out;
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            out.push_back(line);
            line.clear();
            if (out.size() == most) return out;
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    out.push_back(line);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& install = fuzz::installPlugin();
    const std::string root = install + "/sync";
    std::error_code ec;
    fs::remove_all(root, ec);
    const std::string shared = root + "/shared", sharedForms = shared + "/FORMS_MM", local = root + "/local";
    plat::createDirectories(sharedForms + "/Lib");
    plat::createDirectories(local + "/Lib");
    g_globals->pluginDir = install;
    g_globals->uiTextFile = install + "/Tool.txt";
    g_globals->sharedDir = shared;
    g_globals->sharedFormsDir = sharedForms;
    g_globals->formsDir = local;
    g_globals->sharedDataOn = 1;
    fuzz::Input in(data, size);
    CSharedFolder sync(shared);
    const std::uint8_t kind = in.u8() % 4;
    switch (kind) {
    case 0:
    case 3: {
        // Kind 3: the flag's file time too, up to 68 years either way of the folder's clock.
        const auto offset = kind == 3 ? static_cast<std::int32_t>(in.u32()) : 0;
        const std::vector<std::uint8_t> flag = in.rest();
        if (!plat::writeFile(shared + "/RWrunning.dat", std::string(flag.begin(), flag.end()))) return 0;
        const std::int64_t now = sharedFolderNow(shared);
        if (!plat::setLastWriteTime(shared + "/RWrunning.dat", now + offset)) return 0;
        ACCESS_HOLDER holder;
        const HolderState state = runningFlagHolder(shared, install, &holder);
        (void)holderText(holder);
        // A flag silent beyond the limit, or from beyond it in the future, is no running holder's.
        const bool silent = offset < -kHolderGoneSeconds - 2 || offset > kHolderGoneSeconds + 2;
        if (silent && state == HolderState::Running) std::abort();
        (void)releaseRunningFlag(shared, install);
        if (state != HolderState::Mine && !plat::fileExists(shared + "/RWrunning.dat")) std::abort();
        if (state == HolderState::Gone && takeOverRunningFlag(shared, install, holder) &&
            runningFlagHolder(shared, install, &holder) != HolderState::Mine)
            std::abort();
        break;
    }
    case 1: {
        // Bit 0 the busy mark; the others what else lies there: a sub-folder, staged tables that are links to
        // a file elsewhere, a publisher file that is a folder, a folder a publisher never renamed.
        const std::uint8_t busy = in.u8();
        const std::vector<std::string> parts = lines(in.rest(), 3);
        const std::string staging = sharedForms + "/.Lib.publish";
        plat::createDirectories(staging);
        if (busy & 2) {
            plat::createDirectories(staging + "/sub");
            std::ofstream(staging + "/sub/left.tab") << "t";
        }
        if (busy & 4) {
            std::ofstream(root + "/outside.txt") << "o";
            for (const char* ext : {".tab", ".txt"})
                fs::create_symlink(root + "/outside.txt", staging + "/Linked" + ext, ec);
        }
        if (busy & 8) plat::createDirectories(staging + "/publisher.dat");
        if (busy & 16) {
            plat::createDirectories(staging + ".far.7");
            (void)plat::writeFile(staging + ".far.7/publisher.dat", encodeAccessHolder({"/b", "far", 7, 1}));
            (void)plat::setLastWriteTime(staging + ".far.7/publisher.dat", 1000);
        }
        std::string block(kShBlockSize, '\0');
        block[0] = static_cast<char>(busy & 1);
        (void)plat::writeFile(sharedForms + "/Lib.sh", block);
        // The lines of the publisher and of the list are parted by ';' in the input, whose lines are the parts.
        const auto lined = [](std::string text) {
            std::replace(text.begin(), text.end(), ';', '\n');
            return text;
        };
        if (!parts.empty()) (void)plat::writeFile(staging + "/publisher.dat", lined(parts[0]));
        if (parts.size() > 1) (void)plat::writeFile(staging + "/complete.dat", lined(parts[1]) + "\n");
        if (parts.size() > 2 && parts[2].find('/') == std::string::npos && !parts[2].empty())
            for (const char* ext : {".tab", ".txt"}) std::ofstream(staging + "/" + parts[2] + ext) << "t";
        if (sync.recoverPublication("Lib")) {
            sync.readShBlock("Lib", sharedForms);
            if (sync.shBlock[0] != 0 || plat::entryKind(staging) != plat::EntryKind::None) std::abort();
        }
        if (plat::dirExists(staging + ".far.7")) std::abort();   // its publisher is long gone
        // Only plain files go into the library.
        for (const plat::FileEntry& entry : plat::findFiles(sharedForms + "/Lib", "*.*"))
            if (plat::entryKind(sharedForms + "/Lib/" + entry.name) != plat::EntryKind::File) std::abort();
        checkConfined(root, {root, sharedForms, sharedForms + "/Lib", staging, staging + "/sub",
                             staging + "/publisher.dat", staging + ".far.7"});
        break;
    }
    default: {
        g_globals->sharedAccessMode = static_cast<std::int16_t>(in.u8() & 1);
        for (const std::string& name : lines(in.rest(), 8)) {
            if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) continue;
            // Written as the file system takes the name: '\\' is no separator here.
            for (const char* ext : {".tab", ".txt"}) std::ofstream(sharedForms + "/Lib/" + name + ext) << name;
        }
        (void)sync.updateLocalTables("Lib");
        checkConfined(root, {sharedForms + "/Lib", local, local + "/Lib"});
        break;
    }
    }
    plat::driver().reset();
    return 0;
}
