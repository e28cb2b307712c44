// Drawing on a window: its layer image, the paint when it is shown or was invalidated, and its pictures.
#include <memory>

#include "platform/ui/dialog.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/window_picture.h"

namespace plat {

RasterCanvas& Dialog::ensureSurface() {
    // A window that changed size starts a new image; it is repainted whole anyway.
    if (!surface_ || surface_->width() != std::max(1, cxPx_) || surface_->height() != std::max(1, cyPx_))
        surface_ = std::make_unique<RasterCanvas>(cxPx_, cyPx_, std::nullopt);
    return *surface_;
}

Canvas& Dialog::clientDC() {
    RasterCanvas& s = ensureSurface();
    s.resetState();
    return s;
}

void Dialog::updateWindow() {
    if (!paintPending_ || !created_ || !visible_ || updatesHeld()) return;
    repaint();
}

void Dialog::repaint() {
    paintPending_ = false;
    bool painted = messages_.count(Msg::Paint) != 0;
    if (!painted && !surface_) return;  // nothing was ever drawn and nothing will be
    RasterCanvas& s = ensureSurface();
    s.clearImage(std::nullopt);
    s.clear();
    s.resetState();
    if (painted) paint(s);
}

void Dialog::notePicture(bool shown) {
    if (pictureFolder().empty() || !created_ || !visible_) return;
    if (!shown && (surface_ ? surface_->drawCount() : 0) == pictureAt_) return;
    (void)savePicture(*this);
    pictureAt_ = surface_ ? surface_->drawCount() : 0;
}

}  // namespace plat
