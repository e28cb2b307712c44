// The hole form of a row as steps: one TAB_FORM_STEP per measured kind-1 item, stacked from the entry
// downwards. Shared by the preview, the operation editor, the drawing of forms and the process trial.
#include <cmath>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/services/tables.h"
#include "plugin/tables/form_cells.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"
#include "plugin/tables/thread_tables.h"

namespace {

constexpr int kMsgThreadNotFound = 70, kMsgThreadNotFoundHint = 71;

void showThreadNotFound(const CTabColsDesc& table, const std::vector<std::string>& rowCells, std::int16_t column) {
    std::string heading;
    table.getColumnInfo(column, &heading, nullptr, nullptr, nullptr);
    const std::string text = withArguments(errorMessage(kMsgThreadNotFound), {table.name, rowCell(rowCells, 1), heading}) +
                             "\n" + errorMessage(kMsgThreadNotFoundHint);
    plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OK);
}

}  // namespace

int CTabColsDesc::buildFormSteps(const std::vector<std::string>& rowCells) {
    stepCount = 0;
    double depth = 0, previousDiameter = 0;
    const double tol04 = g_tolerances.tol04T;
    for (int i = 0; i < itemCount && stepCount < stepCapacity; ++i) {
        const TAB_DESC_ITEM& item = items[static_cast<std::size_t>(i)];
        if (item.kind != kItemCylinder || (item.colId1 == 0 && item.colId2 == 0)) continue;
        double diameter = 0, length = 0, threadDiameter = 0, threadPitch = 0;
        std::int16_t threadColumn = 0;
        if (item.colId1 != 0) {
            diameter = cellNumber(rowCells, item.colId1);
            if (item.a == 1) {
                threadColumn = tableClass == kTableThread ? 1 : item.colId1;
                double nominal = 0, pitch = 0, drilled = 0;
                if (!findThreadRow(rowCell(rowCells, threadColumn), -1, &nominal, &pitch, &drilled, nullptr, nullptr,
                                   nullptr)) {
                    showThreadNotFound(*this, rowCells, threadColumn);
                    return 1;
                }
                threadDiameter = nominal;
                threadPitch = pitch;
                diameter = drilled;
            }
            length = diameter < tol04 ? 20.0 + previousDiameter / 2 : 2 * diameter + previousDiameter / 2;
        }
        if (item.colId2 != 0) {
            length = cellNumber(rowCells, item.colId2);
            if (item.colId1 == 0) diameter = length;
        }
        double half = 0;
        if (item.colId3 != 0) {
            half = cellNumber(rowCells, item.colId3) * M_PI / 180.0 / 2;
            if (item.colId2 == 0 && stepCount > 0) {
                const double above = formSteps[static_cast<std::size_t>(stepCount - 1)].startDiameter;
                const double x = ((above + diameter) / 2 - diameter) / 4 / std::tan(half);
                if (x < length) length = x;
            }
        }
        TAB_FORM_STEP& step = formSteps[static_cast<std::size_t>(stepCount)];
        step = TAB_FORM_STEP{};
        step.startDiameter = diameter;
        step.endDiameter = diameter + 2 * length * std::tan(half);
        step.diameterColumn = step.diameterColumn2 = item.colId1;
        step.length = length;
        step.lengthColumn = step.lengthColumn2 = item.colId2;
        step.angleColumn = item.colId3;
        step.topDepth = -depth;
        step.bottomDepth = step.bottomDepth2 = -(depth + length);
        step.threadDiameter = threadDiameter;
        step.threadPitch = threadPitch;
        step.threaded = item.a;
        step.flat = item.b;
        step.threadColumn = threadColumn;
        ++stepCount;
        depth += length;
        previousDiameter = diameter;
    }
    return stepCount == 0 ? 1 : 0;
}
