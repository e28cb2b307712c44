// Fonts by face name, height and weight, looked up through fontconfig (a face the system lacks falls back
// to its nearest match, "Arial" to a metric-compatible face) and measured from the real glyphs: metrics and
// text extents in whole pixels, as the drawing API reports them.
#pragma once
#include <string_view>

#include "platform/ui/canvas.h"

namespace plat {

TextMetrics fontMetrics(const Font& font);
// Texts are Windows-1252 bytes; the extent's height is the font's cell height.
Size fontTextExtent(const Font& font, std::string_view text);

}  // namespace plat
