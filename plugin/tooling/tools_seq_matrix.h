// The machining order of one toolpath group: holes in rows, each hole's operations in columns, gaps
// inserted until a column holds one tool type, then the columns read left to right, each one sorted.
// Operation column j is matrix column j + 1; column 0 holds the row's hole.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "plugin/services/tooling.h"

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

// Sort order within a column: layer descending, then tool type, diameter, corner radius and cone angle
// ascending (measures within 0.4 T equal), then the view's place in its group. qsort style: -1, 0, 1.
int compareSequenceOperations(const OPE_LIST* a, const OPE_LIST* b);

class ToolSequenceMatrix final : public CToolsSeqMatrix {
public:
    int build(VIEW_LIST* first, std::int16_t selectedOnly) override;
    void print(std::FILE* log, const char* title) const override;
    void alignColumns(std::FILE* log, const char* title) override;
    [[nodiscard]] int mostPopulatedType(std::int16_t column) const;
    std::int16_t toSequence(std::vector<OPE_LIST*>& out, std::int16_t flag) const override;

    [[nodiscard]] bool columnHasSingleType(int column, int firstRow) const;
    [[nodiscard]] bool typeInEarlierColumns(int column, int type) const;
    void insertGap(int row, int column);

    int rows() const { return rows_; }
    int operationColumns() const { return columns_ > 0 ? columns_ - 1 : 0; }
    POINT_LIST* holeAt(int row) const;
    OPE_LIST* operationAt(int row, int column) const;
    int toolTypeAt(int row, int column) const;   // 0 for a gap

    // The views of `first`'s group: those that follow it with its toolpath group number.
    static int groupViewCount(const VIEW_LIST* first);

private:
    void setOperation(int row, int column, OPE_LIST* ope);
    void widen();

    std::vector<void*> cells_;   // row by row: the hole, then the operation columns
    int rows_ = 0;
    int columns_ = 0;
};
