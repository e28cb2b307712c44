// The hole form of a row drawn into the part as a section in a host view: axis, faces, walls, step
// bottoms, drill-point cones, pick points at the wall ends and notes with the measures. Every entity made
// is recorded in the preview list, which holds at most 100.
#include <cmath>
#include <cstdio>

#include "host/api.h"
#include "host/api_chains.h"
#include "plugin/base/globals.h"
#include "plugin/services/tables.h"
#include "plugin/tables/form_cells.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr int kThinColour = 12, kOutlineColour = 14;
const attr_block kThin{1.0, 3, 0}, kOutline{2.0, 1, 0}, kPickPoint{2.0, 1, 2};

struct V2 {
    double x = 0, y = 0;
};

class PreviewDrawer {
public:
    explicit PreviewDrawer(int viewNumber) : view_(viewNumber) {
        if (!get_view_matrix(viewNumber, matrix_)) get_view_matrix(1, matrix_);
    }
    const double (*matrix() const)[3] { return matrix_; }

    p_3d world(V2 v) const {
        const double in[3] = {v.x, v.y, 0};
        double out[3];
        mul_mat_vector(matrix_, in, out);
        return {out[0], out[1], out[2]};
    }
    bool full() const { return g_globals->previewEntityCount >= kCapacity; }

    // Stored and recorded; false (nothing stored) once the list is full.
    bool point(V2 at, const attr_block& style, int colour) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = world(at);
        return store(e, colour, g_globals->settings.featuresLevel, style);
    }
    bool line(V2 a, V2 b, int level, const attr_block& style, int colour) {
        ent e{};
        e.type = kEntLine;
        e.ln.ln = {world(a), world(b)};
        return store(e, colour, level, style);
    }
    bool outline(V2 a, V2 b) { return line(a, b, g_globals->settings.isolationLevel, kOutline, kOutlineColour); }
    // A wall and its two pick points, top end first.
    bool wall(V2 top, V2 bottom) {
        return outline(top, bottom) && point(top, kPickPoint, kOutlineColour) && point(bottom, kPickPoint, kOutlineColour);
    }
    bool store(ent& e, int colour, std::int32_t level, const attr_block& style) {
        if (full()) return false;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, colour, level, style, &ok);
        if (!ok) return true;
        g_globals->previewEntities[static_cast<std::size_t>(g_globals->previewEntityCount++)] = entry;
        return true;
    }
    int view() const { return view_; }

    static constexpr int kCapacity = 100;

private:
    int view_;
    double matrix_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// ß and º of Windows-1252 as the graphics' code page shows them.
std::string toGraphicsCodePage(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) == 0xDF) c = static_cast<char>(0xE1);
        else if (static_cast<unsigned char>(c) == 0xBA) c = static_cast<char>(0xF8);
    }
    return text;
}

std::string measure(const char* format, const std::string& heading, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, heading.c_str(), value);
    return buffer;
}

}  // namespace

int CTabColsDesc::drawFormPreview(const std::vector<std::string>& rowCells, std::int16_t viewNumber,
                                  std::uint8_t withNotes) {
    if (const int result = buildFormSteps(rowCells)) return result;
    const int n = stepCount;
    PreviewDrawer draw(viewNumber);
    if (draw.full()) {
        repaint_graphics();
        return 0;
    }
    double total = 0;
    for (int i = 0; i < n; ++i) total += formSteps[static_cast<std::size_t>(i)].length;
    const double e0 = formSteps[0].endDiameter;
    const double k = total < e0 ? 0.8 : 2.0;

    {   // Zoom on the form: two points framed, then gone again.
        ent top{}, bottom{};
        top.type = bottom.type = kEntPoint;
        top.pt.pt = draw.world({0, total / k});
        bottom.pt.pt = draw.world({0, -(total + total / k)});
        db_ptr topEntry = 0, bottomEntry = 0;
        char ok = 0;
        store_ent(&top, &topEntry, 0, kThinColour, g_globals->settings.featuresLevel, kThin, &ok);
        store_ent(&bottom, &bottomEntry, 0, kThinColour, g_globals->settings.featuresLevel, kThin, &ok);
        set_gr_view(draw.matrix());
        rebuild_graphics();
        fit();
        if (topEntry) delete_ent(topEntry, 0, 0, 0, nullptr, 0);
        if (bottomEntry) delete_ent(bottomEntry, 0, 0, 0, nullptr, 0);
    }
    DraftGlobalsSave();
    dim_rec dim{};
    InitDIM(&dim);
    dim.textHeight = 1.6;
    DraftGlobalsFromDim(&dim);

    // Each drawing call returns false once the list is full; the rest is then skipped.
    [&] {
        const double tol04 = g_tolerances.tol04T;
        if (!draw.line({0, 0}, {0, -total}, g_globals->settings.isolationLevel, kThin, kThinColour)) return;
        if (!draw.outline({-e0, 0}, {e0, 0})) return;
        const TAB_FORM_STEP& last = formSteps[static_cast<std::size_t>(n - 1)];
        if (last.startDiameter > tol04) {
            const double half = last.flat == 1 ? last.startDiameter / 2 : e0;
            if (!draw.outline({-half, -total}, {half, -total})) return;
        }
        const double tip = g_globals->settings.defaultTipAngle;
        const std::string numberFormat = std::string("%s =") + g_fmtMedium;
        bool haveCarried = false;
        double carried = 0;
        double shift = 0;
        for (int i = 0; i < n; ++i) {
            TAB_FORM_STEP& step = formSteps[static_cast<std::size_t>(i)];
            const double s = step.startDiameter;
            const double e = haveCarried ? carried : step.endDiameter;
            haveCarried = false;
            const double length = step.length;
            const double yt = step.topDepth - shift, yb = step.bottomDepth;
            const double angle = step.flat != 0 ? 90.0 : 90.0 - tip / 2;
            if (!draw.wall({-e / 2, yt}, {-s / 2, yb})) return;
            if (!draw.wall({e / 2, yt}, {s / 2, yb})) return;
            const p_3d rightTop = draw.world({e / 2, yt}), rightBottom = draw.world({s / 2, yb});
            if (i + 1 < n) {
                if (!draw.outline({-s / 2, yb}, {s / 2, yb})) return;
                shift = 0;
                if (std::fabs(angle - 90.0) > 0.05) {
                    const TAB_FORM_STEP& next = formSteps[static_cast<std::size_t>(i + 1)];
                    const double a = angle * M_PI / 180.0;
                    const l_2d cone{{s / 2, yb}, {s / 2 - 10 * std::cos(a), yb - 10 * std::sin(a)}};
                    const l_2d wall{{next.endDiameter / 2, next.topDepth}, {next.startDiameter / 2, next.bottomDepth}};
                    p_2d meet;
                    double topDiameter = next.endDiameter;
                    if (l_ints(&cone, &wall, &meet)) {
                        topDiameter = 2 * meet.x;
                        shift = yb - meet.y;
                    }
                    carried = topDiameter;
                    haveCarried = true;
                    step.bottomDepth2 = yb - shift;
                    const double w = topDiameter;
                    if (std::hypot(-s / 2 + w / 2, shift) > tol04) {
                        if (!draw.outline({-s / 2, yb}, {-w / 2, yb - shift})) return;
                        if (!draw.outline({s / 2, yb}, {w / 2, yb - shift})) return;
                        if (!draw.outline({-w / 2, yb - shift}, {w / 2, yb - shift})) return;
                    }
                }
            }
            if (!withNotes) continue;
            std::string heading;
            std::string text;
            if (step.threaded == 1) {
                getColumnInfo(step.threadColumn, &heading, nullptr, nullptr, nullptr);
                text = heading + " =" + rowCell(rowCells, step.threadColumn);
            } else {
                getColumnInfo(step.diameterColumn2, &heading, nullptr, nullptr, nullptr);
                text = measure(numberFormat.c_str(), heading, s);
            }
            if (i + 1 < n) {
                heading.clear();
                getColumnInfo(step.lengthColumn, &heading, nullptr, nullptr, nullptr);
                text += " " + measure(numberFormat.c_str(), heading, length);
            }
            if (step.angleColumn != 0) {
                heading.clear();
                getColumnInfo(step.angleColumn, &heading, nullptr, nullptr, nullptr);
                text += " " + heading + " =" + rowCell(rowCells, step.angleColumn);
            }
            text = toGraphicsCodePage(text);
            const double h = total / 2;
            const p_3d leaderPoint = step.angleColumn != 0
                                         ? p_3d{rightBottom.x, rightBottom.y, 0}
                                         : p_3d{rightTop.x, (rightTop.y + rightBottom.y) / 2, 0};
            const p_3d elbow{rightTop.x + 0.3 * h, (rightTop.y + rightBottom.y) / 2, 0};
            const p_3d at{elbow.x + 0.04 * h * static_cast<double>(text.size()), elbow.y, 0};
            if (draw.full()) return;
            ent note{};
            calc_note(&note, draw.view(), at, text);
            note.note.pos = at;
            note.note.height = 0.12 * h;
            note.note.width = 0.06 * h;
            note.note.leaderStyle = 5;
            note.note.leader = {leaderPoint, elbow};
            for (std::int16_t& flag : note.note.flags) flag = 1;
            if (!draw.store(note, kThinColour, g_globals->settings.featuresLevel, kThin)) return;
        }
    }();
    DraftGlobalsRestore();
    repaint_graphics();
    return 0;
}
