// The drawing library's side of fonts, for the platform's own drawing code: the scaled font that draws a
// Font at its em size. Fonts live as long as the process; callers never release them.
#pragma once
#include "platform/ui/cairo_calls.h"

#include "platform/ui/canvas.h"

namespace plat {

// The em size (pixels) of a font height as the drawing API takes it: a cell height when positive, a
// character height when negative, a default cell when 0.
double fontEmSize(const Font& font);
cairo_scaled_font_t* scaledFont(const Font& font);

}  // namespace plat
