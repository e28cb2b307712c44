// Image lists for list and tree views: equal-sized images cut from registered bitmaps (resources.h). No
// pixels are kept; an image is the bitmap it came from and its slice, which is all that snapshots and the
// controls' geometry need. The owner keeps the list alive while a control shows it (as the window system
// expects); controls copy the image size when the list is set.
#pragma once
#include <vector>

#include "platform/ui/dialog.h"

namespace plat {

class ImageList {
public:
    struct Image {
        int bitmapId = 0;
        int slice = 0;   // position in the bitmap, from the left, in images
        Color mask = 0;  // the colour drawn transparent
        bool icon = false;  // an icon (its own transparency), scaled to the list's size
    };

    // `initial` images of room, growing by `grow` (at least 1) when full.
    ImageList(int cx, int cy, int initial, int grow);

    // Adds every whole image of the bitmap (its width / cx, left to right). Returns the index of the first
    // one, or -1 when the bitmap is not registered or narrower than one image.
    int addBitmap(int bitmapId, Color mask);
    // Adds the icon as one image. Returns its index, or -1 when the icon is not registered.
    int addIcon(int iconId);
    bool remove(int index);  // -1 removes every image
    int count() const { return static_cast<int>(images_.size()); }
    int capacity() const { return capacity_; }
    int cx() const { return cx_; }
    int cy() const { return cy_; }
    const Image* image(int index) const;  // null for a bad index

private:
    int cx_, cy_, capacity_, grow_;
    std::vector<Image> images_;
};

}  // namespace plat
