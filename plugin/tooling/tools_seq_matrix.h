// The machining order of one toolpath group: holes in rows, each hole's operations in columns, gaps
// inserted until a column holds one tool type, then the columns read left to right, each one sorted.
// Operation column j is matrix column j + 1; column 0 holds the row's hole.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;

class CToolsSeqMatrix {
public:
    CToolsSeqMatrix() = default;
    virtual ~CToolsSeqMatrix() = default;

    // Sizes and fills the matrix from the views of `first`'s toolpath group. 0, or -1 without memory.
    int build(VIEW_LIST* first, std::int16_t selectedOnly);
    void print(std::FILE* log, const char* title) const;
    void alignColumns(std::FILE* log, const char* title);
    [[nodiscard]] int mostPopulatedType(std::int16_t column) const;
    // The operations column by column; returns their count.
    std::int16_t toSequence(std::vector<OPE_LIST*>& out, std::int16_t flag) const;

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

// Sort order within a column: layer descending, then tool type, diameter, corner radius and cone angle
// ascending (measures within 0.4 T equal), then the view's place in its group. qsort style: -1, 0, 1.
int compareSequenceOperations(const OPE_LIST* a, const OPE_LIST* b);
