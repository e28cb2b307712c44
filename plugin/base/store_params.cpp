#include "plugin/base/store_params.h"

#include <cstdio>

#include "platform/sys/clock.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/part_record.h"

namespace {

constexpr std::uint32_t kHeaderLength = 64;
constexpr std::uint32_t kIndexEntryLength = 16;
constexpr std::uint32_t kInteger = 1, kDouble = 2, kText = 3;

// An index entry's fields in stored order (16 bytes); its position in memory is not stored.
template <class IO, class ENTRY>
void indexEntryFields(IO& io, ENTRY& e) {
    io(e.section);
    io(e.key);
    io(e.type);
    io(e.offset);
    io(e.length);
}

}  // namespace

void CStoreParams::init(std::string_view recordName) {
    recordName_ = recordName;
    index_.clear();
    integers_.clear();
    doubles_.clear();
    texts_.clear();
}

int CStoreParams::setInteger(int section, int key, std::int32_t value) {
    integers_.push_back(value);
    index_.push_back({static_cast<std::uint16_t>(section), static_cast<std::uint16_t>(key), kInteger, 0, 4,
                      static_cast<std::uint32_t>(integers_.size() - 1)});
    return 0;
}

int CStoreParams::setDouble(int section, int key, double value) {
    doubles_.push_back(value);
    index_.push_back({static_cast<std::uint16_t>(section), static_cast<std::uint16_t>(key), kDouble, 0, 8,
                      static_cast<std::uint32_t>(doubles_.size() - 1)});
    return 0;
}

int CStoreParams::setString(int section, int key, std::string_view text) {
    texts_.emplace_back(text);
    index_.push_back({static_cast<std::uint16_t>(section), static_cast<std::uint16_t>(key), kText, 0,
                      static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(texts_.size() - 1)});
    return 0;
}

const CStoreParams::INDEX_LIST* CStoreParams::find(int section, int key, std::uint32_t type) const {
    for (const INDEX_LIST& e : index_) {
        if (e.section == section && e.key == key && e.type == type) return &e;
    }
    return nullptr;
}

int CStoreParams::getInteger(int section, int key, std::int32_t& out, std::int32_t defaultValue) const {
    out = defaultValue;
    const INDEX_LIST* e = find(section, key, kInteger);
    if (!e) return 0;
    out = integers_[e->position];
    return 1;
}

int CStoreParams::getBool(int section, int key, bool& out, bool defaultValue) const {
    std::int32_t v = 0;
    const int found = getInteger(section, key, v, defaultValue ? 1 : 0);
    out = v != 0;
    return found;
}

int CStoreParams::getShort(int section, int key, std::int16_t& out, std::int16_t defaultValue) const {
    std::int32_t v = 0;
    const int found = getInteger(section, key, v, defaultValue);
    out = static_cast<std::int16_t>(v);
    return found;
}

int CStoreParams::getLong(int section, int key, std::int32_t& out, std::int32_t defaultValue) const {
    return getInteger(section, key, out, defaultValue);
}

int CStoreParams::getDouble(int section, int key, double& out, double defaultValue) const {
    out = defaultValue;
    const INDEX_LIST* e = find(section, key, kDouble);
    if (!e) return 0;
    out = doubles_[e->position];
    return 1;
}

int CStoreParams::getString(int section, int key, std::string& out, std::string_view defaultValue) const {
    out = defaultValue;
    const INDEX_LIST* e = find(section, key, kText);
    if (!e) return 0;
    out = texts_[e->position];
    return 1;
}

std::vector<std::uint8_t> CStoreParams::encode(std::int64_t timeOfWriting) {
    std::uint32_t dataLength = 0;
    for (const INDEX_LIST& e : index_) dataLength += e.length;
    const auto indexLength = static_cast<std::uint32_t>(index_.size() * kIndexEntryLength);

    std::vector<std::uint8_t> payload;
    payload.reserve(kHeaderLength + indexLength + dataLength);
    ByteWriter w(payload);
    w.put(kHeaderLength);
    w.put(indexLength);
    w.put(dataLength);
    w.put(static_cast<std::int16_t>(storedValue_));
    w.put(unitCode_);
    w.put(timeOfWriting);
    w.putZeros(kHeaderLength - 24);

    std::uint32_t offset = kHeaderLength + indexLength;
    for (INDEX_LIST& e : index_) {
        e.offset = offset;
        offset += e.length;
        FIELDS_OUT io{w};
        indexEntryFields(io, e);
    }
    for (const INDEX_LIST& e : index_) {
        switch (e.type) {
        case kInteger: w.put(integers_[e.position]); break;
        case kDouble: w.put(doubles_[e.position]); break;
        case kText: w.putBytes(texts_[e.position].data(), e.length); break;
        default: w.putZeros(e.length); break;   // an unknown entry a load left in the index
        }
    }
    return payload;
}

bool CStoreParams::decode(const std::vector<std::uint8_t>& payload, std::uint16_t* unitCode, std::int16_t* storedValue) {
    ByteReader header(payload);
    header.get<std::uint32_t>();   // the header length; the index starts at 64 whatever it says
    const std::uint64_t indexLength = header.get<std::uint32_t>();
    const std::uint64_t dataLength = header.get<std::uint32_t>();
    const auto value = header.get<std::int16_t>();
    const auto unit = header.get<std::uint16_t>();
    if (payload.size() < kHeaderLength || payload.size() < kHeaderLength + indexLength + dataLength) return false;

    unitCode_ = unit;
    storedValue_ = value;
    if (unitCode) *unitCode = unit;
    if (storedValue) *storedValue = value;

    index_.clear();
    ByteReader entries(payload);
    entries.seek(kHeaderLength);
    ByteReader data(payload);
    data.seek(kHeaderLength + indexLength);
    for (std::uint64_t i = 0; i < indexLength / kIndexEntryLength; ++i) {
        INDEX_LIST e;
        FIELDS_IN io{entries};
        indexEntryFields(io, e);
        if (!entries.ok() || e.length > data.remaining()) break;   // damaged: keep what was read so far
        if (e.type == kInteger && e.length == 4) {
            integers_.push_back(data.get<std::int32_t>());
            e.position = static_cast<std::uint32_t>(integers_.size() - 1);
        } else if (e.type == kDouble && e.length == 8) {
            doubles_.push_back(data.get<double>());
            e.position = static_cast<std::uint32_t>(doubles_.size() - 1);
        } else if (e.type == kText) {
            texts_.push_back(data.getText(e.length));
            e.position = static_cast<std::uint32_t>(texts_.size() - 1);
        } else {
            // Another type, or a length its type cannot have: kept, never found by a getter.
            e.type = e.type == kInteger || e.type == kDouble ? 0 : e.type;
            e.position = 0;
            data.skip(e.length);
        }
        index_.push_back(e);
    }
    return true;
}

int CStoreParams::save(std::uint16_t unitCode, std::int32_t featuresLevel) {
    if (unitCode != 0) unitCode_ = unitCode;
    const std::vector<std::uint8_t> payload = encode(plat::nowSeconds());
    char header[64];
    std::snprintf(header, sizeof header, "%s%09li", recordName_.c_str(), static_cast<long>(payload.size()));
    writePartRecord(featuresLevel, header, payload);
    return 0;
}

int CStoreParams::load(std::uint16_t* unitCode, std::int16_t* storedValue) {
    std::vector<std::uint8_t> payload;
    if (readPartRecord(recordName_, payload) > 0) decode(payload, unitCode, storedValue);
    return 0;
}
