// A typed store of numbered values (integers, doubles, texts keyed by section and key) that travels as one
// part record. Stored form, little-endian:
//   0  u32 header length (64)      4  u32 index length (16 per entry)   8  u32 data length
//   12 i16 stored value            14 u16 unit code (1 metric, 2 inch)   16 i64 time of writing   24-63 zero
//   64 index: per entry u16 section, u16 key, u32 type (1 int, 2 double, 3 text), u32 offset, u32 length
//   then the entries' data back to back in index order.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CStoreParams {
public:
    struct INDEX_LIST {
        std::uint16_t section = 0;
        std::uint16_t key = 0;
        std::uint32_t type = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t position = 0;   // in memory only: index into the array of its type
    };

    void init(std::string_view recordName);
    void clear() { init(""); }

    int setBool(int section, int key, std::uint8_t value) { return setInteger(section, key, value); }
    int setShort(int section, int key, std::int16_t value) { return setInteger(section, key, value); }
    int setLong(int section, int key, std::int32_t value) { return setInteger(section, key, value); }
    int setInteger(int section, int key, std::int32_t value);
    int setDouble(int section, int key, double value);
    int setString(int section, int key, std::string_view text);

    int getInteger(int section, int key, std::int32_t& out, std::int32_t defaultValue) const;
    int getBool(int section, int key, bool& out, bool defaultValue) const;
    int getShort(int section, int key, std::int16_t& out, std::int16_t defaultValue) const;
    int getLong(int section, int key, std::int32_t& out, std::int32_t defaultValue) const;
    int getDouble(int section, int key, double& out, double defaultValue) const;
    int getString(int section, int key, std::string& out, std::string_view defaultValue) const;

    // Builds the payload and writes it as the record; a non-zero unit code replaces the store's first.
    int save(std::uint16_t unitCode, std::int32_t featuresLevel);
    // Reads and decodes the record; a missing or short record leaves the store as it was.
    int load(std::uint16_t* unitCode = nullptr, std::int16_t* storedValue = nullptr);

    // The payload as save writes it, and its decoding as load does it (false: too short, store unchanged).
    std::vector<std::uint8_t> encode(std::int64_t timeOfWriting);
    bool decode(const std::vector<std::uint8_t>& payload, std::uint16_t* unitCode, std::int16_t* storedValue);

    const std::string& recordName() const { return recordName_; }
    const std::vector<INDEX_LIST>& index() const { return index_; }
    std::uint16_t unitCode() const { return unitCode_; }
    std::int32_t storedValue() const { return storedValue_; }

private:
    const INDEX_LIST* find(int section, int key, std::uint32_t type) const;

    std::string recordName_;
    std::int32_t storedValue_ = 0;
    std::uint16_t unitCode_ = 0;
    std::vector<INDEX_LIST> index_;
    std::vector<std::int32_t> integers_;
    std::vector<double> doubles_;
    std::vector<std::string> texts_;
};
