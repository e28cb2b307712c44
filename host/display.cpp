// Graphics as far as the plug-in drives them: rebuild and repaint counts, temporary 3D lines, level mask.
#include "host/internal.h"
#include "host/state.h"

int mask_level = 0;

namespace host {
namespace {

struct Display {
    int rebuilds = 0, repaints = 0;
    std::vector<DrawnLine> lines;
};
Display display;

}  // namespace

namespace detail {
void resetDisplay() {
    display = Display{};
    mask_level = 0;
}
}  // namespace detail

int rebuildCount() { return display.rebuilds; }
int repaintCount() { return display.repaints; }
const std::vector<DrawnLine>& drawnLines() { return display.lines; }

}  // namespace host

void rebuild_graphics() {
    ++host::display.rebuilds;
    host::detail::record("host.graphics rebuild");
}

void repaint_graphics() {
    ++host::display.repaints;
    host::detail::record("host.graphics repaint");
}

void drw_3d_line(const l_3d* line, int colour) {
    if (!line) return;
    host::display.lines.push_back({*line, colour});
    using host::detail::number;
    host::detail::record("host.draw line (" + number(line->e1.x) + "," + number(line->e1.y) + "," + number(line->e1.z) +
                         ")-(" + number(line->e2.x) + "," + number(line->e2.y) + "," + number(line->e2.z) +
                         ") colour=" + std::to_string(colour));
}
