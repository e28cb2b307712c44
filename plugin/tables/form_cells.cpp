// Row cells as texts and numbers, and message texts filled from them.
#include "plugin/tables/form_cells.h"

#include "plugin/services/tables.h"
#include "plugin/tables/table_text.h"

const std::string& rowCell(const std::vector<std::string>& rowCells, int colId) {
    static const std::string kEmpty;
    if (colId < 1 || static_cast<std::size_t>(colId) > rowCells.size()) return kEmpty;
    return rowCells[static_cast<std::size_t>(colId - 1)];
}

double cellNumber(const std::vector<std::string>& rowCells, int colId) {
    return tokenDouble(rowCell(rowCells, colId));
}

std::string withArguments(std::string text, std::initializer_list<std::string_view> arguments) {
    std::size_t from = 0;
    for (std::string_view argument : arguments) {
        const std::size_t at = text.find("%s", from);
        if (at == std::string::npos) break;
        text.replace(at, 2, argument);
        from = at + argument.size();
    }
    return text;
}
