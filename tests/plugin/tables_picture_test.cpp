// A table's picture in a dialog: the proportions of its forms (generic and of a row), the drawing commands
// on the window's device context, the PNG a user would look at, and the pictures that draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/ui/dialog.h"
#include "platform/ui/png_image.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/window_picture.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"
#include "plugin/tables/thread_tables.h"

namespace {

using Row = std::vector<std::string>;
constexpr int kDlg = 9301, kPic = 301;
const plat::Color kBackground = plat::rgb(125, 117, 125), kSection = plat::rgb(206, 138, 0),
                  kThreadFill = plat::rgb(156, 88, 0), kMarks = plat::rgb(250, 0, 0), kFrame = plat::rgb(255, 0, 0);

class TablePictureTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        plat::CtlTemplate pic;
        pic.id = kPic;
        pic.kind = plat::Ctl::Picture;
        pic.dlu = {10, 10, 110, 130};
        plat::registerDialog({kDlg, "Configuration", 200, 150, {pic}});
    }
    struct SIZES {
        int bottom, top, height, pitch, tooth;
        bool operator==(const SIZES&) const = default;
    };
    static std::vector<SIZES> sizes(const CTabColsDesc& t) {
        std::vector<SIZES> out;
        for (const TAB_PICTURE_STEP& s : t.pictureSteps)
            out.push_back({s.bottomWidth, s.topWidth, s.height, s.pitch, s.toothDepth});
        return out;
    }
    static int count(const plat::RasterCanvas& c, plat::Rect r, plat::Color colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += c.pixel({x, y}) == colour;
        return n;
    }
    // A dialog whose paint handler runs the caller's drawing, as the configuration dialogs draw their pictures.
    class PictureDialog : public plat::Dialog {
    public:
        explicit PictureDialog(std::function<void(plat::Canvas&)> draw) : plat::Dialog(kDlg) {
            onMessage(plat::Msg::Paint, [draw](plat::MsgArgs& a) { draw(*a.canvas); });
        }
    };
    static bool hasLine(const plat::RasterCanvas& c, const std::string& line) {
        return std::find(c.lines().begin(), c.lines().end(), line) != c.lines().end();
    }
};

TEST_F(TablePictureTest, ProportionsOfGenericFormsAndOfRows) {
    installThreadTable(tablesDir);
    struct GEOMETRY_CASE {
        const char* what;
        std::vector<FORM_ITEM> items;
        std::int16_t tableClass;
        const Row* row;
        int result;
        std::vector<SIZES> expected;
    };
    const Row tenWithoutLength = {"R", "10"}, shortLength = {"S", "10", "0.05"}, zeroDiameter = {"Z", "0", "5"},
              missingThread = {"M", "M99"}, blankName = {"  ", "10"}, thread = {"M10", "10", "1.5", "8.5", "1"};
    const GEOMETRY_CASE cases[] = {
        {"three flat items", {{2, 0, 0, 0, 1}, {3, 0, 0, 0, 1}, {4, 0, 0, 0, 1}}, 0, nullptr, 0,
         {{62, 62, 30, 0, 0}, {42, 42, 30, 0, 0}, {22, 22, 30, 0, 0}}},
        {"one drilled item among three", {{2, 0, 0, 0, 0}, {3, 0, 0, 0, 1}, {4, 0, 0, 0, 1}}, 0, nullptr, 0,
         {{62, 62, 28, 0, 0}, {42, 42, 28, 0, 0}, {22, 22, 28, 0, 0}}},
        {"generic thread and cone", {{2, 0, 0, 1, 1}, {3, 0, 4, 0, 0}}, 0, nullptr, 0,
         {{45, 45, 34, 5, 5}, {23, 34, 50, 0, 0}}},
        {"a blank row name takes the generic form", {{2}}, 0, &blankName, 0, {{32, 32, 72, 0, 0}}},
        {"one item of a row without length", {{2}}, 0, &tenWithoutLength, 0, {{85, 85, 119, 0, 0}}},
        {"a length below 4T is 100 x 4T", {{2, 3}}, 0, &shortLength, 0, {{90, 90, 90, 0, 0}}},
        {"thread table row", {{2, 0, 0, 1}}, kTableThread, &thread, 0, {{68, 68, 114, 13, 10}}},
        {"a first diameter of 0 has no scale", {{2, 3}}, 0, &zeroDiameter, 1, {{0, 0, 0, 0, 0}}},
        {"no kind-1 item", {}, 0, nullptr, 1, {}},
        {"a thread in no table", {{2, 0, 0, 1}}, 0, &missingThread, 2, {{0, 0, 0, 0, 0}}},
    };
    for (const GEOMETRY_CASE& c : cases) {
        FORM_TABLE f;
        f.items = c.items;
        f.tableClass = c.tableClass;
        CTabColsDesc t = makeFormTable(f);
        EXPECT_EQ(t.tablePictureGeometry(c.row, 90, 120), c.result) << c.what;
        EXPECT_EQ(sizes(t), c.expected) << c.what;
    }
}

// Drawn on a window's device context: the commands recorded follow from the control's rectangle and the
// font's height, and the pixels follow the commands.
TEST_F(TablePictureTest, AOneStepPictureIsDrawnWhereTheControlsRectangleAndTheFontPutIt) {
    FORM_TABLE f;
    f.items = {{2, 0, 0, 0, 1}};
    CTabColsDesc t = makeFormTable(f);
    plat::Dialog dlg(kDlg);
    ASSERT_TRUE(dlg.create());
    dlg.item(kPic).move({0, 0, 120, 160});
    plat::RasterCanvas dc(200, 200);
    const int g = dc.textMetrics().height * 108 / 100;
    ASSERT_EQ(t.drawTablePicture(dc, 0, 0, dlg.item(kPic), 0, 0, 0, nullptr), 0);
    // Area (1, g)-(118, 159): z = min(117 x 0.9, 159 - g) = 105; the step 32 x 80 units is 33 x 84 pixels.
    ASSERT_GE(159 - g, 105);
    const std::string top = std::to_string(g), bottom = std::to_string(g + 84);
    EXPECT_EQ(dc.lines().front(), "fillrect (1," + top + ",118,159) brush=#7D757D");
    EXPECT_TRUE(hasLine(dc, "line (1," + top + ")-(118," + top + ") pen=solid/1/#000000"));
    EXPECT_TRUE(hasLine(dc, "path fill mode=alternate brush=#CE8A00 {(43," + top + ") (43," + bottom + ") (43," + bottom +
                                ") (75," + bottom + ") (75," + bottom + ") (75," + top + ") (43," + top + ") close}"))
        << testing::PrintToString(dc.lines());
    EXPECT_TRUE(hasLine(dc, "line (43," + top + ")-(43," + bottom + ") pen=solid/1/#000000"));
    EXPECT_TRUE(hasLine(dc, "line (75," + top + ")-(75," + bottom + ") pen=solid/1/#000000"));
    EXPECT_EQ(dc.pixel({59, g + 40}), kSection);
    EXPECT_EQ(dc.pixel({43, g + 40}), 0u);   // the wall
    EXPECT_EQ(dc.pixel({42, g + 40}), kBackground);
    EXPECT_EQ(dc.pixel({76, g + 40}), kBackground);
    EXPECT_EQ(dc.pixel({59, g + 90}), kBackground);
    EXPECT_EQ(dc.pixel({0, g + 40}), plat::Color{0xFFFFFF});   // outside the area
}

// The picture a user sees in the configuration dialog: the title, a threaded step, a cone, the dimension
// marks with the headings and the frame, written as the window's PNG.
TEST_F(TablePictureTest, ALabelledFramedPictureIsWrittenAsTheWindowsPicture) {
    FORM_TABLE f;
    f.name = "TAPPED_CSK";
    f.items = {{2, 3, 0, 0, 1, "Dc", "Lc"}, {4, 5, 0, 1, 0, "Thread", "Lt"}, {6, 0, 7, 0, 0, "Dd", "", "Tip"}};
    CTabColsDesc t = makeFormTable(f);
    plat::setPictureFolder(dir.path() + "/pictures");
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/pictures"));
    std::vector<plat::Point> lengthPoints;
    int result = -1;
    plat::Dialog* window = nullptr;
    PictureDialog dlg([&](plat::Canvas& dc) {
        dc.setBkMode(plat::TRANSPARENT);
        result = t.drawTablePicture(dc, 0, 0, window->item(kPic), 1, 1, 1, nullptr, nullptr, &lengthPoints);
    });
    window = &dlg;
    ASSERT_TRUE(dlg.create());
    dlg.showWindow(true);
    EXPECT_EQ(result, 0);
    const std::string png = dir.path() + "/pictures/Configuration-1.png";
    std::optional<plat::PngImage> image = plat::readPng(png);
    ASSERT_TRUE(image) << png;
    const plat::RasterCanvas* layer = dlg.surface();
    ASSERT_NE(layer, nullptr);
    const plat::Rect r = dlg.item(kPic).rect();
    // The frame: three pixels wide through (left + 2, top + 2).
    EXPECT_EQ(image->pixel({r.left + 2, r.top + 2}), kFrame);
    EXPECT_EQ(image->pixel({(r.left + r.right) / 2, r.top + 2}), kFrame);
    EXPECT_EQ(image->pixel({r.right - 4, (r.top + r.bottom) / 2}), kFrame);
    // Section, thread fill, marks and the title's colour are all there.
    const plat::Rect inside{r.left + 5, r.top + 5, r.right - 6, r.bottom - 6};
    EXPECT_GT(count(*layer, inside, kSection), 200);
    EXPECT_GT(count(*layer, inside, kThreadFill), 20);
    EXPECT_GT(count(*layer, inside, kMarks), 50);
    EXPECT_GT(count(*layer, inside, kBackground), 1000);
    bool title = false, tip = false, thread = false;
    for (const std::string& line : layer->lines()) {
        title = title || line.find("\" TAPPED_CSK \"") != std::string::npos;
        tip = tip || line.find("\"Tip\"") != std::string::npos;
        thread = thread || line.find("\"Thread\"") != std::string::npos;
    }
    EXPECT_TRUE(title && tip && thread);
    // The length headings go to the array instead of the picture; the last item has none.
    ASSERT_EQ(lengthPoints.size(), 3u);
    EXPECT_GT(lengthPoints[1].y, lengthPoints[0].y);
    EXPECT_EQ(lengthPoints[2].x, 0);
    for (const std::string& line : layer->lines()) EXPECT_EQ(line.find("\"Lc\""), std::string::npos);
    dlg.destroyWindow();
    plat::setPictureFolder("");
}

TEST_F(TablePictureTest, APictureWithoutScaleShowsOnlyItsTitle) {
    FORM_TABLE f;
    f.name = "ZERO";
    f.items = {{2, 3}};
    CTabColsDesc t = makeFormTable(f);
    plat::Dialog dlg(kDlg);
    ASSERT_TRUE(dlg.create());
    for (const Row& row : {Row{"Z", "0", "5"}, Row{"Z", "abc", "5"}, Row{"Z", "", "5"}}) {
        plat::RasterCanvas dc(400, 400);
        const int result = t.drawTablePicture(dc, 0, 0, dlg.item(kPic), 1, 1, 0, &row);
        EXPECT_EQ(result, 1) << row[1] << " " << row[2];
        ASSERT_EQ(dc.lines().size(), 1u) << testing::PrintToString(dc.lines());
        EXPECT_NE(dc.lines()[0].find("\" ZERO \""), std::string::npos);
    }
    plat::RasterCanvas dc(400, 400);
    t.clearTablePicture(dc, 7, 7, dlg.item(kPic));
    const plat::Rect r = dlg.item(kPic).rect();
    EXPECT_EQ(dc.lines()[0], "fillrect (" + std::to_string(r.left + 1) + "," + std::to_string(r.top + 1) + "," +
                                 std::to_string(r.right - 2) + "," + std::to_string(r.bottom - 2) + ") brush=#D6D3CE");
}

}  // namespace

namespace {

// Every table the installation ships, as the configuration dialog shows it: the generic form with its
// marks and the form of its first row, both written as PNG files that a user can look at.
TEST_F(TablePictureTest, TheShippedTablesArePictured) {
    const std::string library = std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard";
    g_globals->tablesDir = library;
    g_threadTables->count = 0;
    loadThreadTables();
    plat::Dialog dlg(kDlg);
    ASSERT_TRUE(dlg.create());
    const plat::Rect r = dlg.item(kPic).rect();
    int pictured = 0;
    for (const std::string& path : listTableFiles(library)) {
        CTabColsDesc t;
        ASSERT_EQ(t.read(path), 0) << path;
        t.readRows();
        if (t.cylinderItemCount < 1) continue;
        std::vector<std::string> first;
        ASSERT_EQ(t.getRow(0, first), 0) << path;
        const std::vector<std::string>* rows[] = {nullptr, &first};
        for (const std::vector<std::string>* row : rows) {
            plat::RasterCanvas dc(dlg.clientRect().width(), dlg.clientRect().height(), plat::kDialogFace);
            dc.setBkMode(plat::TRANSPARENT);
            const int result = t.drawTablePicture(dc, 0, 0, dlg.item(kPic), 1, row == nullptr, 0, row);
            if (result == 2) {
                // The shipped tapped rows hold the drill diameter where the designation is looked up.
                EXPECT_TRUE(row && t.items[static_cast<std::size_t>(t.nthNumericItem(0))].a == 1) << path;
                continue;
            }
            ASSERT_EQ(result, 0) << path;
            EXPECT_GT(count(dc, r, kSection), 100) << path;
            ASSERT_TRUE(dc.writePng(dir.path() + "/" + t.name + (row ? "-row" : "-generic") + ".png"));
        }
        ++pictured;
    }
    EXPECT_GE(pictured, 5);
    dlg.destroyWindow();
}

}  // namespace
