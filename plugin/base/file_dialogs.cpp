// File and folder dialogs over the platform's, and the host's editor.
#include "plugin/base/file_dialogs.h"

#include <optional>

#include "host/api.h"
#include "platform/sys/paths.h"
#include "platform/ui/file_dialog.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/utilities.h"

namespace {

std::string_view withoutLeadingDots(std::string_view ext) {
    while (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
    return ext;
}

std::string fileNameOf(std::string_view path) {
    const plat::PathParts parts = plat::splitPath(path);
    return parts.name + parts.ext;
}

}  // namespace

std::string openFileDialog(bool open, bool askOverwrite, std::string_view startPath, std::string_view defaultExt,
                           std::string_view filter, std::int16_t* filterIndex) {
    CResourceSwitch resources(g_pluginInstance);
    const plat::PathParts start = plat::splitPath(startPath);

    plat::FileRequest request;
    request.open = open;
    request.flags = plat::OFN_HIDEREADONLY | plat::OFN_FILEMUSTEXIST | plat::OFN_EXPLORER |
                    (askOverwrite ? plat::OFN_OVERWRITEPROMPT : 0u);
    request.startDir = fitText(plat::removeTrailingSeparator(start.drive + start.dir), 1024);
    request.defaultName = start.name + start.ext;
    request.defExt = std::string(withoutLeadingDots(defaultExt));
    request.filter = std::string(filter);
    request.filterIndex = filterIndex ? *filterIndex : 0;

    const std::optional<plat::FileResult> chosen = plat::fileDialog(request);
    if (!chosen || chosen->paths.empty()) return {};
    std::string path = chosen->paths.front();
    // The file name decides, not the whole path: a folder like "Parts.2024" must not stop the extension.
    if (fileNameOf(path).find('.') == std::string::npos && !request.defExt.empty()) path += "." + request.defExt;
    if (filterIndex) *filterIndex = static_cast<std::int16_t>(chosen->filterIndex);
    return path;
}

void openFileInEditor(std::string_view path, std::string_view fileName, std::string_view ext,
                      std::string_view filterName) {
    plat::PathParts parts = plat::splitPath(path);
    const std::string name = trimReplaceBlanksStr(fileName, 0);
    if (!name.empty()) parts.name = name;
    const std::string extension = trimReplaceBlanksStr(ext, 0);
    // A blank extension keeps the path's own instead of leaving a lone dot.
    if (!extension.empty()) parts.ext = extension.front() == '.' ? extension : "." + extension;
    const std::string startPath = parts.drive + parts.dir + parts.name + parts.ext;
    const std::string filter = std::string(filterName) + "|*." + std::string(withoutLeadingDots(parts.ext)) + "||";
    const std::string chosen = openFileDialog(true, true, startPath, parts.ext, filter, nullptr);
    if (!chosen.empty()) edit_filename(chosen.c_str(), 0);
}

// ---- CFileDialogST --------------------------------------------------------------------------------------

CFileDialogST::CFileDialogST() : CFileDialogST(1, "", nullptr, 0, "", nullptr) {}

CFileDialogST::CFileDialogST(int mode, std::string_view defaultExt, std::string* fileNameBuffer, unsigned flags,
                             std::string_view filter, plat::Dialog* parent)
    : openMode(mode) {
    ofn.flags = flags | plat::OFN_EXPLORER;
    ofn.defExt = std::string(withoutLeadingDots(defaultExt));
    ofn.file = fileNameBuffer ? fileNameBuffer : &fileName;
    ofn.fileTitle = &fileTitle;
    ofn.filter = std::string(filter);
    ofn.owner = parent;
}

int CFileDialogST::DoModal() {
    ofn.structSize = 100;
    std::string& buf = *ofn.file;
    const std::string startName = buf.substr(0, buf.find('\0'));
    const plat::PathParts start = plat::splitPath(startName);

    plat::FileRequest request;
    request.open = openMode == 1;
    request.flags = ofn.flags;
    request.startDir = ofn.initialDir.empty() ? plat::removeTrailingSeparator(start.drive + start.dir) : ofn.initialDir;
    request.defaultName = start.name + start.ext;
    request.defExt = ofn.defExt;
    request.filter = ofn.filter;
    request.filterIndex = ofn.filterIndex;
    const std::optional<plat::FileResult> chosen = plat::fileDialog(request);
    if (!chosen || chosen->paths.empty()) return 2;

    const char separator = (ofn.flags & plat::OFN_EXPLORER) != 0 ? '\0' : ' ';
    std::string result;
    if (chosen->paths.size() == 1) {
        result = chosen->paths.front();
    } else {
        const plat::PathParts first = plat::splitPath(chosen->paths.front());
        result = plat::removeTrailingSeparator(first.drive + first.dir);
        for (const std::string& p : chosen->paths) result += separator + fileNameOf(p);
    }
    // The window system refuses a choice that its buffer cannot hold.
    if (ofn.file == &fileName && result.size() >= kPathSize) return 2;
    buf = result;
    *ofn.fileTitle = fitText(fileNameOf(chosen->paths.front()), kPathSize);
    ofn.filterIndex = chosen->filterIndex;
    return 1;
}

std::string CFileDialogST::getPathName() const {
    const std::string& buf = buffer();
    return buf.substr(0, buf.find('\0'));
}

std::string CFileDialogST::getFileName() const { return fileTitle; }
std::string CFileDialogST::getFileTitle() const { return plat::splitPath(fileTitle).name; }
std::string CFileDialogST::getFileExt() const { return std::string(withoutLeadingDots(plat::splitPath(fileTitle).ext)); }

std::string CFileDialogST::getFileDir() const {
    const plat::PathParts parts = plat::splitPath(getPathName());
    return parts.drive + parts.dir;
}

std::string CFileDialogST::getFileDrive() const { return plat::splitPath(getPathName()).drive; }

std::size_t CFileDialogST::getStartPosition() const { return buffer().empty() ? kNoPosition : 0; }

std::string CFileDialogST::getNextPathName(std::size_t& position) const {
    const std::string& buf = buffer();
    if (position == kNoPosition || position >= buf.size()) {
        position = kNoPosition;
        return {};
    }
    const char separator = (ofn.flags & plat::OFN_EXPLORER) != 0 ? '\0' : ' ';
    const auto entryAt = [&](std::size_t at) { return buf.substr(at, buf.find(separator, at) - at); };
    const auto nextEntry = [&](std::size_t at) {
        const std::size_t end = buf.find(separator, at);
        return end == std::string::npos || end + 1 >= buf.size() ? kNoPosition : end + 1;
    };
    if (position == 0) {
        const std::size_t firstName = nextEntry(0);
        // One file chosen: the buffer is that path, with or without multiple selection.
        if ((ofn.flags & plat::OFN_ALLOWMULTISELECT) == 0 || firstName == kNoPosition) {
            position = kNoPosition;
            return entryAt(0);
        }
        position = firstName;
    }
    std::string folder = entryAt(0);
    // Joined with '/', as every path of the plug-in is; a folder ending in either separator takes none.
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '/';
    const std::string path = folder + entryAt(position);
    position = nextEntry(position);
    return path;
}

int CFileDialogST::SelectFolder(std::string_view title, std::string_view startFolder, unsigned browseFlags,
                                plat::Dialog* /*owner*/) {
    const std::optional<std::string> chosen = plat::selectFolder(title, startFolder, browseFlags);
    if (!chosen || chosen->empty() || chosen->size() >= kPathSize) return 2;
    folder = *chosen;
    return 1;
}
