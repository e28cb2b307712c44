// The user's choice of drilling views, kept in the part.
//  - COnlySelViewsListEx, record "OSVSd01": one item per host named view with a selected flag and up to
//    two angle windows (radians); the list in force.
//  - COnlySelViewsList, records "DOSV" and "DOSW" (version "d02"): named views with their matrices. "DOSV"
//    is the older form of the choice, converted once; "DOSW" is the snapshot of the last recognition.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct view_ent;

struct SEL_VIEW_ITEM {
    std::string name;
    std::uint16_t viewNumber = 0;
    std::uint16_t viewKey = 0;     // low 16 bits of the host view's id; 0 from the older views dialog
    double matrix[3][3] = {};
};

class COnlySelViewsList {
public:
    explicit COnlySelViewsList(int flag) : prefix_(flag ? "DOSW" : "DOSV") {}
    ~COnlySelViewsList() { clear(); }

    void clear() { items_.clear(); }
    void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }
    void add(const std::string& name, std::uint16_t viewNumber, std::uint16_t viewKey, const double matrix[3][3]);
    // The item's name with its number, key and matrix; "" and number 0 for an index outside the list.
    std::string getItem(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey, double matrix[3][3]) const;
    void copyFrom(const COnlySelViewsList& other);
    int readFromPart();
    int writeToPart(std::int32_t featuresLevel) const;

    std::int16_t count() const { return static_cast<std::int16_t>(items_.size()); }
    const std::vector<SEL_VIEW_ITEM>& items() const { return items_; }
    const std::string& prefix() const { return prefix_; }

    std::vector<std::uint8_t> encode() const;
    // False (list empty) when the payload does not hold the items its count announces.
    bool decode(const std::vector<std::uint8_t>& payload);

private:
    std::string prefix_;
    std::string version_ = "d02";
    std::vector<SEL_VIEW_ITEM> items_;
};

class COnlySelViewsListEx {
public:
    // 88 bytes as stored: selected @0, view id @4, view index @8, X window on @12 from @16 to @24,
    // Y window on @32 from @40 to @48, third window on @56 from @64 to @72, focus @80.
    struct ONLY_SEL_VIEWS_ITEM {
        std::uint8_t selected = 0;
        std::int32_t viewId = 0;
        std::int32_t viewIndex = 0;
        std::uint8_t xOn = 0;
        double xFrom = 0, xTo = 0;
        std::uint8_t yOn = 0;
        double yFrom = 0, yTo = 0;
        std::uint8_t thirdOn = 0;
        double thirdFrom = 0, thirdTo = 0;
        std::uint8_t focus = 0;
    };
    static constexpr std::uint16_t kItemSize = 88;

    virtual ~COnlySelViewsListEx() = default;

    int getCount() const { return static_cast<int>(items_.size()); }
    ONLY_SEL_VIEWS_ITEM getItem(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    void setItem(int index, const ONLY_SEL_VIEWS_ITEM& item) { items_.at(static_cast<std::size_t>(index)) = item; }
    const view_ent* getNamedView(int index) const;
    std::string getItemInfo(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey, std::uint8_t* selected,
                            double matrix[3][3]) const;
    std::string getItemText(int index, std::uint16_t* viewNumber, std::uint16_t* viewKey, std::uint8_t* selected,
                            double matrix[3][3]) const;
    int copyFrom(const COnlySelViewsListEx& other);
    int fillFromNamedViews();
    int syncWithNamedViews();
    int readFromPart();
    void writeToPart(std::int32_t featuresLevel) const;

    std::vector<std::uint8_t> encode() const;
    int decode(const std::vector<std::uint8_t>& payload);   // the stored count; 0 for a malformed payload

private:
    std::string recordName_ = "OSVSd01";
    std::vector<ONLY_SEL_VIEWS_ITEM> items_;
};

// Converts an old "DOSV" choice into "OSVSd01" when the part has no usable "OSVSd01" record; both records
// are written on `featuresLevel`.
void convertOldViewsList(std::int32_t featuresLevel);
// The "DOSW" snapshot: the selected views of the list in force, with their display texts.
void takeViewsSnapshot();
