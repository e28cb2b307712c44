// Image lists: slicing registered bitmaps into images of one size, and icons taken whole.
#include "platform/ui/image_list.h"

#include <algorithm>

#include "platform/ui/resources.h"

namespace plat {

ImageList::ImageList(int cx, int cy, int initial, int grow)
    : cx_(std::max(cx, 0)), cy_(std::max(cy, 0)), capacity_(std::max(initial, 0)), grow_(std::max(grow, 1)) {}

int ImageList::addBitmap(int bitmapId, Color mask) {
    const Bitmap* b = findBitmap(bitmapId);
    if (!b || cx_ <= 0 || b->width < cx_) return -1;
    int first = count();
    int n = b->width / cx_;
    for (int i = 0; i < n; ++i) images_.push_back(Image{bitmapId, i, mask});
    while (capacity_ < count()) capacity_ += grow_;
    return first;
}

int ImageList::addIcon(int iconId) {
    if (!findIcon(iconId) || cx_ <= 0) return -1;
    images_.push_back(Image{iconId, 0, 0, true});
    while (capacity_ < count()) capacity_ += grow_;
    return count() - 1;
}

bool ImageList::remove(int index) {
    if (index == -1) {
        images_.clear();
        return true;
    }
    if (index < 0 || index >= count()) return false;
    images_.erase(images_.begin() + index);
    return true;
}

const ImageList::Image* ImageList::image(int index) const {
    return index >= 0 && index < count() ? &images_[static_cast<std::size_t>(index)] : nullptr;
}

}  // namespace plat
