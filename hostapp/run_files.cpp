// The files of a hostcam run and the one check of where each written file may go.
#include "hostapp/run_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <utility>

#include "host/api.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/text_sections.h"
#include "platform/ui/window_picture.h"

namespace host {

bool isStepFile(const std::string& path) {
    const std::string ext = plat::splitPath(path).ext;
    return plat::equalsNoCase(ext, ".step") || plat::equalsNoCase(ext, ".stp");
}

FileIdentity identityOf(const std::string& path) {
    FileIdentity id;
    const std::string native = plat::toNativePath(path);
    if (::stat(native.c_str(), &id.st) == 0) {
        id.exists = true;
        return id;
    }
    std::error_code ec;
    id.missing = std::filesystem::weakly_canonical(std::filesystem::absolute(native, ec), ec).string();
    return id;
}

namespace {

namespace fs = std::filesystem;

bool isSpecial(const FileIdentity& id) { return id.exists && !S_ISREG(id.st.st_mode) && !S_ISDIR(id.st.st_mode); }

fs::path resolved(const std::string& path) {
    std::error_code ec;
    return fs::weakly_canonical(fs::absolute(plat::toNativePath(path), ec), ec);
}

bool liesWithin(const fs::path& at, const fs::path& folder) {
    const auto [f, a] = std::mismatch(folder.begin(), folder.end(), at.begin(), at.end());
    return f == folder.end() && a != at.end();
}

// Item 9 of the "MachiningTime" section of the plug-in's texts, blanks trimmed: the plug-in puts it after the
// part's name for its machining-time report.
std::string timeReportSuffix(const std::string& textFile) {
    const std::string bytes = plat::readFile(textFile).value_or("");
    const auto items = plat::sectionItems(plat::sectionLines(bytes), "MachiningTime");
    if (!items) return {};
    const auto item = std::ranges::find(*items, std::int16_t{9}, &plat::TextItem::id);
    if (item == items->end()) return {};
    const std::string_view text = plat::blanksSkipped(item->text);
    return std::string(text.substr(0, text.find_last_not_of(' ') + 1));
}

// A path ending in a separator, "." or ".." names a folder whether one is there or not: no file can be
// written at it, and the run would fail only after it had done all its work.
bool namesFolder(const std::string& path) {
    const fs::path name = fs::path(plat::toNativePath(path)).filename();
    return name.empty() || name == "." || name == "..";
}

// Why a file cannot be made at `path` for want of its folder ("the folder F, which does not exist"), "" when
// its folder is there. The folder is not made, as the pictures folder is: an output names a file, and a
// mistyped folder would be made as readily as a meant one.
std::string missingFolder(const std::string& path) {
    const fs::path folder = fs::path(plat::toNativePath(path)).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) return {};
    return "the folder " + folder.string() + ", which " + (fs::exists(folder, ec) ? "is not a folder" : "does not exist");
}

// Why files[i] cannot be written where it is named, "" when it can: an output that is also an input or
// another output would be replaced by what is written last (the part file saved over the STEP file it was
// opened from, the drilling list over the session script, the costs over the listing), as would the
// plug-in's tables and settings by a file written into its folder; an output that is or names a folder, or
// lies in a folder that is not there, cannot be written at all. A part file saved where a part file was
// opened from is the part saved. The listing and the costs go into a FIFO or a device in place, and a device
// (/dev/null) may take several outputs; any other special file, and a part saved into one, is refused.
// Pictures are named as windows show, so a file in the pictures folder under a name a picture may take is
// refused too; what only the run can tell is checked as each picture is written (pictureGuard).
std::string conflictOf(const std::vector<NamedFile>& files, std::size_t i, const fs::path& pictureDir) {
    const NamedFile& out = files[i];
    if (!pictureDir.empty() && out.kind != NamedFile::Pictures) {
        const fs::path at = resolved(out.path);
        if (at.parent_path() == pictureDir && plat::mayBePictureName(at.filename().string()))
            return out.path + ": " + out.name + " lies in the pictures folder under a name a picture may take";
    }
    if (!out.written()) return {};
    const FileIdentity id = identityOf(out.path);
    const bool device = id.exists && S_ISCHR(id.st.st_mode);
    if (out.kind == NamedFile::Output || out.kind == NamedFile::PartSaved) {
        if (isSpecial(id) && (out.partFile() || !(device || S_ISFIFO(id.st.st_mode))))
            return out.path + ": " + out.name + " cannot write into this special file";
        if ((id.exists && S_ISDIR(id.st.st_mode)) || namesFolder(out.path)) return out.path + ": " + out.name + " names a folder";
        if (const std::string folder = missingFolder(out.path); !folder.empty())
            return out.path + ": " + out.name + " goes into " + folder;
    }
    if (device) return {};
    for (const NamedFile& in : files) {
        if (in.kind == NamedFile::PluginFolder && out.kind != NamedFile::Pictures && liesWithin(resolved(out.path), resolved(in.path)))
            return out.path + ": " + out.name + " lies in " + in.role;
        if (!in.written() && in.kind != NamedFile::PluginFolder && !(out.partFile() && in.partFile()) &&
            identityOf(in.path) == id)
            return out.path + ": " + out.name + " names " + in.role + "; it would be replaced";
    }
    for (std::size_t j = 0; j < files.size(); ++j)
        if (j != i && files[j].written() && !(out.kind == NamedFile::Report && files[j].kind == NamedFile::Report) &&
            identityOf(files[j].path) == id)
            return out.path + ": " + out.name + " and " + files[j].name + " name the same file; one would replace the other";
    return {};
}

fs::path picturesOf(const HostcamOptions& o) { return o.pictures.empty() ? fs::path() : resolved(o.pictures); }

}  // namespace

RunFiles::RunFiles(HostcamOptions options, std::string pluginPath)
    : options_(std::move(options)), pluginPath_(std::move(pluginPath)) {}

std::vector<NamedFile> RunFiles::filesWith(const NamedFile& saved, const std::string& partPath) const {
    const auto option = [](const char* name, const std::string& path, NamedFile::Kind kind) {
        const bool read = kind == NamedFile::Input || kind == NamedFile::PartOpened;
        return NamedFile{name, std::string("the file that ") + name + (read ? " reads" : " writes"), path, kind};
    };
    std::vector<NamedFile> files = {
        option("--open", options_.open, isStepFile(options_.open) ? NamedFile::Input : NamedFile::PartOpened),
        option("--session", options_.session, NamedFile::Input),
        option("--plugin", pluginPath_, NamedFile::Input),
    };
    std::string textFile;
    if (!pluginPath_.empty()) {
        const plat::PathParts module = plat::splitPath(pluginPath_);
        textFile = module.drive + module.dir + module.name + ".txt";
        files.push_back({"the plug-in's texts", "the plug-in's texts", textFile, NamedFile::Input});
        files.push_back({"the plug-in's folder", "the plug-in's folder, whose tables and settings it reads",
                         module.drive + module.dir + module.name, NamedFile::PluginFolder});
    }
    files.push_back(saved);
    files.push_back(option("--nc", options_.nc, NamedFile::Output));
    files.push_back(option("--costs", options_.costs, NamedFile::Output));
    const plat::PathParts part = plat::splitPath(partPath);
    const std::string partBase = part.drive + part.dir + part.name;
    const std::string drillingList = "the drilling list beside the part", timeReport = "the machining-time report beside the part";
    files.push_back({drillingList, drillingList, partBase + ".txt", NamedFile::Report});
    files.push_back({timeReport, timeReport, partBase + timeReportSuffix(textFile) + ".txt", NamedFile::Report});
    files.push_back(option("--pictures", options_.pictures, NamedFile::Pictures));
    files.insert(files.end(), opened_.begin(), opened_.end());
    std::erase_if(files, [](const NamedFile& f) { return f.path.empty(); });
    return files;
}

std::vector<NamedFile> RunFiles::files() const {
    std::string partPath = geo_filename;
    if (plat::equalsNoCase(geo_filename, default_geo_filename))
        partPath = std::string(geo_prefix) + geo_filename + geo_suffix;
    return filesWith({"--save", "the file that --save writes", options_.save, NamedFile::PartSaved}, partPath);
}

std::string RunFiles::conflict() const {
    const std::vector<NamedFile> files = this->files();
    const fs::path pictureDir = picturesOf(options_);
    for (std::size_t i = 0; i < files.size(); ++i)
        if (std::string why = conflictOf(files, i, pictureDir); !why.empty()) return why;
    return {};
}

void RunFiles::opened(const std::string& path, int line) {
    const std::string role = "the file that open read at line " + std::to_string(line);
    opened_.push_back({"open", role, path, isStepFile(path) ? NamedFile::Input : NamedFile::PartOpened});
}

std::string RunFiles::saveRefusal(const std::string& path) const {
    if (path.empty()) return "no file is named";
    const std::vector<NamedFile> files = filesWith({"save", "the file that save writes", path, NamedFile::PartSaved}, path);
    const fs::path pictureDir = picturesOf(options_);
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].kind == NamedFile::PartSaved || files[i].kind == NamedFile::Report)
            if (std::string why = conflictOf(files, i, pictureDir); !why.empty()) return why;
    return {};
}

}  // namespace host
