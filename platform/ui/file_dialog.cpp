// File and folder dialogs answered by script steps.
#include "platform/ui/file_dialog.h"

#include <algorithm>
#include <mutex>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/driver.h"
#include "platform/ui/message_box.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

bool isAbsolute(std::string_view p) {
    return (!p.empty() && (p.front() == '/' || p.front() == '\\')) ||
           (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')));
}

std::string completePath(std::string_view chosen, const FileRequest& r) {
    std::string path = isAbsolute(chosen) || r.startDir.empty() ? std::string(chosen) : joinPath(r.startDir, chosen);
    std::size_t sep = path.find_last_of("/\\");
    std::string_view name = std::string_view(path).substr(sep == std::string::npos ? 0 : sep + 1);
    if (!r.defExt.empty() && name.find('.') == std::string_view::npos) path += "." + r.defExt;
    return path;
}

std::vector<std::string> splitChoices(const std::string& text, bool multi) {
    std::vector<std::string> out;
    if (!multi) return {text};
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t bar = text.find('|', start);
        std::string part = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (!part.empty()) out.push_back(part);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return out;
}

// "name|pattern|name|pattern||": the number of name-pattern pairs.
int filterCount(std::string_view filter) {
    int parts = 0;
    std::size_t start = 0;
    while (start < filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string_view::npos) bar = filter.size();
        if (bar > start) ++parts;
        start = bar + 1;
    }
    return parts / 2;
}

std::string requestText(const FileRequest& r) {
    return std::string("filedlg ") + (r.open ? "open" : "save") + " dir=" + quoteText(r.startDir) +
           " name=" + quoteText(r.defaultName) + " ext=" + r.defExt + " filter=" + quoteText(r.filter) +
           " idx=" + std::to_string(r.filterIndex);
}

}  // namespace

std::optional<FileResult> fileDialog(const FileRequest& request) {
    UiDriver& d = driver();
    std::lock_guard lock(d.mutex());
    std::string what = requestText(request);
    // The dialog stays open until a choice passes its checks, as the real one does.
    for (;;) {
        std::optional<Step> step = d.expect({"file"}, "file dialog");
        if (!step || step->args.empty() || step->args[0] == "cancel") {
            d.record(what + " -> cancel");
            return std::nullopt;
        }
        FileResult result;
        int filters = filterCount(request.filter);
        result.filterIndex = filters > 0 ? std::min(std::max(request.filterIndex, 1), filters) : request.filterIndex;
        for (const std::string& chosen : splitChoices(step->restFrom(0), (request.flags & OFN_ALLOWMULTISELECT) != 0))
            result.paths.push_back(completePath(chosen, request));
        if (result.paths.empty()) {
            d.scriptError(&*step, "no file named");
            d.record(what + " -> cancel");
            return std::nullopt;
        }
        std::string shown;
        for (const std::string& p : result.paths) shown += (shown.empty() ? "" : " ") + quoteText(p);
        if (request.open && (request.flags & OFN_FILEMUSTEXIST) != 0) {
            for (const std::string& p : result.paths) {
                if (!fileExists(p)) {
                    d.scriptError(&*step, "the file dialog needs an existing file: " + p);
                    d.record(what + " -> cancel");
                    return std::nullopt;
                }
            }
        }
        d.record(what + " -> " + shown);
        if (!request.open && (request.flags & OFN_OVERWRITEPROMPT) != 0 && fileExists(result.paths.front())) {
            std::string name = result.paths.front();
            int answer = messageBox(nullptr, name + " already exists.\nDo you want to replace it?", "Save As",
                                    MB_YESNO | MB_ICONWARNING);
            if (answer != IDYES) {
                if (d.aborted()) return std::nullopt;
                continue;
            }
        }
        return result;
    }
}

std::optional<std::string> selectFolder(std::string_view title, std::string_view start, unsigned /*flags*/) {
    UiDriver& d = driver();
    std::lock_guard lock(d.mutex());
    std::string what = "folder title=" + quoteText(title) + " start=" + quoteText(start);
    std::optional<Step> step = d.expect({"folder"}, "folder picker " + quoteText(title));
    if (!step || step->args.empty() || step->args[0] == "cancel") {
        d.record(what + " -> cancel");
        return std::nullopt;
    }
    std::string chosen = step->restFrom(0);
    if (!isAbsolute(chosen) && !start.empty()) chosen = joinPath(start, chosen);
    d.record(what + " -> " + quoteText(chosen));
    return chosen;
}

}  // namespace plat
