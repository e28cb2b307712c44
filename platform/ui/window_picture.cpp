// Composing a window's picture and writing it into the picture folder.
#include "platform/ui/window_picture.h"

#include <map>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

struct Pictures {
    std::string folder;
    PictureGuard guard;
    std::map<std::string, int> counts;
    std::vector<std::string> failed;
};

Pictures& pictures() {
    static Pictures* p = new Pictures;
    return *p;
}

bool keptInName(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '-' || b == '_' ||
           b == '.';
}

std::string fileStem(const Dialog& dlg) {
    std::string stem;
    for (char ch : dlg.windowText()) stem += keptInName(ch) ? ch : '_';
    // A caption of blanks and signs alone names nothing; nor may a name start with a dot.
    if (stem.find_first_not_of("_.") == std::string::npos) return std::to_string(dlg.templateId());
    if (stem[0] == '.') stem[0] = '_';
    return stem;
}

}  // namespace

bool writeWindowPicture(const Dialog& dlg, const std::string& path) {
    Rect client = dlg.clientRect();
    RasterCanvas picture(client.width(), client.height(), kDialogFace);
    // Child windows paint themselves after their parent: what the window drew lies over its statics only.
    const RasterCanvas* layer = dlg.surface();
    drawControls(picture, dlg, layer ? ControlLayer::UnderPainting : ControlLayer::All);
    if (layer) {
        layer->drawOnto(picture);
        drawControls(picture, dlg, ControlLayer::OverPainting);
    }
    return picture.writePng(path);
}

void setPictureFolder(std::string dir, PictureGuard guard) {
    Pictures& p = pictures();
    p.folder = std::move(dir);
    p.guard = p.folder.empty() ? PictureGuard() : std::move(guard);
    p.counts.clear();
    p.failed.clear();
}

const std::string& pictureFolder() { return pictures().folder; }

std::string nextPicturePath(const Dialog& dlg) {
    Pictures& p = pictures();
    std::string stem = fileStem(dlg);
    int n = ++p.counts[stem];
    return p.folder + "/" + stem + "-" + std::to_string(n) + ".png";
}

bool mayBePictureName(std::string_view name) {
    constexpr std::string_view kExt = ".png";
    if (name.size() <= kExt.size() || name.substr(name.size() - kExt.size()) != kExt) return false;
    name.remove_suffix(kExt.size());
    const std::size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == name.size() || name[0] == '.') return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (i > dash ? name[i] < '0' || name[i] > '9' : !keptInName(name[i])) return false;
    return true;
}

std::string savePicture(const Dialog& dlg) {
    if (pictureFolder().empty()) return "";
    std::string path = nextPicturePath(dlg);
    if (const std::string why = pictures().guard ? pictures().guard(path) : std::string(); !why.empty()) {
        driver().record("dialog.picture " + std::to_string(dlg.templateId()) + " skipped " + quoteText(path) + ": " + why);
        pictures().failed.push_back(path);
        return "";
    }
    bool ok = writeWindowPicture(dlg, path);
    driver().record("dialog.picture " + std::to_string(dlg.templateId()) + (ok ? " " : " failed ") + quoteText(path));
    if (!ok) pictures().failed.push_back(path);
    return ok ? path : std::string();
}

const std::vector<std::string>& failedPictures() { return pictures().failed; }

}  // namespace plat
