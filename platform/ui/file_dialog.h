// The common file dialog and the folder picker, answered by the script's `file PATH|cancel` and
// `folder PATH|cancel` steps. A relative PATH is taken in the request's start folder. The process's
// current folder never changes (the window system's dialog may change it; callers saved and restored it).
// Recorded as
//   filedlg open|save dir="..." name="..." ext=txt filter="Text files|*.txt||" idx=1 -> "PATH" | cancel
//   folder title="..." start="..." -> "PATH" | cancel
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

constexpr unsigned OFN_OVERWRITEPROMPT = 0x2, OFN_HIDEREADONLY = 0x4, OFN_ALLOWMULTISELECT = 0x200,
                   OFN_FILEMUSTEXIST = 0x1000, OFN_EXPLORER = 0x80000;

struct FileRequest {
    bool open = true;
    unsigned flags = 0;
    std::string startDir, defaultName;
    std::string defExt;   // without the dot; appended when the chosen name has no '.'
    std::string filter;   // "Text files|*.txt|All files|*.*||"
    int filterIndex = 1;  // 1-based
};
struct FileResult {
    std::vector<std::string> paths;  // one, or several for OFN_ALLOWMULTISELECT ("file a|b" in the script)
    int filterIndex = 1;
};

// nullopt when cancelled. Open with OFN_FILEMUSTEXIST refuses a missing file as a script error; save with
// OFN_OVERWRITEPROMPT on an existing file asks a Yes/No message box, and No waits for the next `file` step.
std::optional<FileResult> fileDialog(const FileRequest& request);
std::optional<std::string> selectFolder(std::string_view title, std::string_view start, unsigned flags);

}  // namespace plat
