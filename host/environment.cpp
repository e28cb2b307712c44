// The host's environment as the plug-in reads it: version header, folders, part file names, tool library
// and post file; plus the reset of the whole stand-in and the transcript helpers of its units.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "host/internal.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "platform/ui/text_quote.h"

unsigned char current_version[40];
char current_dir[1024];
char geo_filename[1024];
char default_geo_filename[1024];
char geo_prefix[1024];
char geo_suffix[32];
char ascii_prefix[1024];

struct HostApp {
    int reserved = 0;
};

namespace host {
namespace {

struct Environment {
    std::optional<std::string> toolLibrary;   // set explicitly; otherwise derived from folder and units
    std::optional<std::string> postFile;
    std::string toolLibraryText, postFileText; // what the getters hand out
};
Environment env;
HostApp app;

template <std::size_t N>
void copyText(char (&dst)[N], std::string_view src) {
    std::size_t n = std::min(src.size(), N - 1);   // truncated like the host's fixed buffers
    std::memcpy(dst, src.data(), n);
    std::memset(dst + n, 0, N - n);
}

bool metric() { return current_version[7] == 1; }

std::string hostDirWithSeparator() {
    std::string dir = current_dir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir;
}

void refreshTexts() {
    env.toolLibraryText = env.toolLibrary.value_or(hostDirWithSeparator() + "Mill/Tools/" +
                                                    (metric() ? "Mill_mm" : "Mill_Inch") + tool_suffix);
    env.postFileText = env.postFile.value_or(hostDirWithSeparator() + "Posts/Generic.Pst");
}

}  // namespace

namespace detail {

void resetEnvironment() {
    std::memset(current_version, 0, sizeof current_version);
    current_version[0] = kHostRelease;
    current_version[7] = 1;
    env = Environment{};
    copyText(current_dir, kDefaultHostDir);
    copyText(default_geo_filename, kUnnamedPart);
    copyText(geo_filename, kUnnamedPart);
    copyText(geo_prefix, kDefaultHostDir);
    const std::string asciiFolder = std::string(kDefaultHostDir) + "ASCII/";
    copyText(ascii_prefix, asciiFolder);
    copyText(geo_suffix, kPartSuffix);
    refreshTexts();
}

std::string quote(std::string_view text) { return plat::quoteText(text); }

std::string number(double value) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, p) : std::string("?");
}

void record(std::string line) { plat::driver().record(std::move(line)); }

}  // namespace detail

void reset() {
    detail::resetEnvironment();
    detail::resetGroups();
    detail::resetEvents();
    detail::resetWaitDialog();
    detail::resetDisplay();
    detail::resetCommands();
    detail::resetTools();
    newPart();
}

void setMetric(bool on) {
    current_version[7] = on ? 1 : 0;
    refreshTexts();
}

void setHostDir(std::string_view dir) {
    copyText(current_dir, dir);
    // An unnamed part is put in the host folder, so the folder before the default name follows it.
    std::string prefix = hostDirWithSeparator();
    copyText(geo_prefix, prefix);
    copyText(ascii_prefix, prefix + "ASCII/");
    refreshTexts();
}

void setPartFile(std::string_view path) { copyText(geo_filename, path.empty() ? std::string_view(kUnnamedPart) : path); }

void setToolLibrary(std::string_view path) {
    env.toolLibrary = path.empty() ? std::nullopt : std::optional<std::string>(path);
    refreshTexts();
}

void setPostFile(std::string_view path) {
    env.postFile = std::string(path);
    refreshTexts();
}

}  // namespace host

const char* ToolLibraryStr() { return host::env.toolLibraryText.c_str(); }

const char* PostProcFileStr() {
    // The post belongs to the machine group: without one there is none; a group naming none takes the host's.
    const op_group* group = GroupsMachineGroup(nullptr);
    if (!group) return "";
    return group->machine.postPath[0] ? group->machine.postPath : host::env.postFileText.c_str();
}

HostApp* GetPartforgeApp() { return &host::app; }
