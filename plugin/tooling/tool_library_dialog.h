// The tool library dialog: the tools of one library file that fit an operation, one row each, the nearest
// preselected; the user picks one, or edits one in the host's tool editor and the library. In create mode it
// makes a new tool from the nearest library tool instead and hands it to the editor. When the library holds
// nothing that fits, the host's big library of the units stands in. T is the base tolerance.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

namespace plat {
class ImageList;
}

class CDlgToolsMgr : public plat::Dialog {
public:
    static constexpr int kTemplate = 18061, kList = 18063, kRowIcon = 18062;
    static constexpr int kColumnSlots = 16;

    CDlgToolsMgr();
    ~CDlgToolsMgr() override;

    // Set by the caller, in this order.
    std::string libraryPath;
    std::int32_t typeFilter = 0;        // low 16 bits a tool type, or 0 with a type mask in the high 16 bits
    std::int32_t wantedType = 0, wantedNumber = 0;
    double wantedDiameter = 0, wantedLength = 0;
    const tp_tool* currentTool = nullptr;
    std::int16_t createMode = 0;

    // The result: the chosen row (-1 none) and a copy of its tool, or the tool made in create mode.
    std::int16_t chosenIndex = -1;
    tp_tool chosenTool;

    // Whether the tool's type passes the filter.
    static bool fits(std::int32_t typeFilter, std::int16_t type);
    // Appends the tools of the library file that pass the filter.
    static void readLibraryTools(const std::string& path, std::int32_t typeFilter, std::vector<tp_tool>& tools);
    // By type, then diameter, then first length (0.04 T makes two values equal).
    static void sortTools(std::vector<tp_tool>& tools);
    // The row nearest the wanted diameter among the tools of the wanted type (a tie keeps the larger), or the
    // row of a tool equal to `current` in the whole record; -1 when none.
    static int preselect(const std::vector<tp_tool>& tools, std::int32_t wantedType, double wantedDiameter,
                         const tp_tool* current);

    // The lines of the columns in which `currentTool` and `chosenTool` differ, under a header; "" when none.
    std::string compareWithCurrent() const;

protected:
    bool onInitDialog() override;

private:
    struct COLUMN_SLOT {
        bool used = false;
        std::int16_t kind = 0;
        std::string title;
    };

    void readColumnSlots();
    void insertColumns();
    std::string cellText(const tp_tool& tool, std::int16_t kind) const;
    void updateRow(int row, const tp_tool& tool);
    // 1 when a tool was accepted in the editor (and, editing, written into the library), else 0.
    int editTool(int row, bool create);
    void takeSelection();
    void onListEdit();

    CTextSection texts_;
    std::array<COLUMN_SLOT, kColumnSlots> columns_;
    std::vector<tp_tool> tools_;
    int preselected_ = -1;
    std::unique_ptr<plat::ImageList> images_;
};
