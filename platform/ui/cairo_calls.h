// The drawing library, loaded when a window is first drawn or a picture first read or written rather than
// bound at every start of a program (it brings the pixel and X rendering libraries with it). The calls keep
// its names in a namespace of their own (cairo::paint for cairo_paint).
#pragma once
#include <cairo.h>

#include "platform/sys/library_calls.h"

namespace plat::cairo {

#define FX_CAIRO_CALLS(X) X(arc) X(arc_negative) X(clip) X(close_path) X(create) X(destroy) X(fill) X(fill_preserve)  \
    X(font_options_create) X(font_options_destroy) X(font_options_set_antialias)  \
    X(font_options_set_hint_metrics) X(image_surface_create) X(image_surface_create_from_png)  \
    X(image_surface_get_data) X(image_surface_get_height) X(image_surface_get_stride)  \
    X(image_surface_get_width) X(line_to) X(matrix_init_identity) X(matrix_init_scale) X(move_to)  \
    X(new_path) X(new_sub_path) X(paint) X(rectangle) X(restore) X(save) X(scale) X(scaled_font_create)  \
    X(scaled_font_destroy) X(scaled_font_extents) X(scaled_font_status) X(scaled_font_text_extents)  \
    X(set_antialias) X(set_dash) X(set_fill_rule) X(set_line_cap) X(set_line_join) X(set_line_width)  \
    X(set_operator) X(set_scaled_font) X(set_source_rgb) X(set_source_rgba) X(set_source_surface)  \
    X(show_text) X(stroke) X(stroke_preserve) X(surface_destroy) X(surface_flush) X(surface_status)  \
    X(surface_write_to_png_stream) X(toy_font_face_create) X(translate) 

struct CALLS {
#define FX_CAIRO_MEMBER(name) decltype(&::cairo_##name) name = nullptr;
    FX_CAIRO_CALLS(FX_CAIRO_MEMBER)
#undef FX_CAIRO_MEMBER
};

// The library's calls, loaded on the first. A program that cannot load it ends, saying so, as it would
// have at its start when it was bound then.
const CALLS& calls();

FX_CAIRO_CALLS(FX_FORWARD_LIBRARY_CALL)

}  // namespace plat::cairo
