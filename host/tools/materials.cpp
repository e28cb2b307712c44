// Material files: their 360-byte records (layout in materials.h) inside the shared record-file container.
#include "host/tools/materials.h"

#include <cstdio>
#include <cstring>

#include "platform/sys/files.h"

namespace host::tools {

namespace {

constexpr std::size_t kName = 0, kVc = 80, kSpeed = 88, kFz = 96, kFeedByType = 104, kSpeedByMatl = 264,
                      kFeedByMatl = 312;
static_assert(kFeedByMatl + 8 * kMaterialToolMaterials == kMaterialRecordSize);
static_assert(kSpeedByMatl == kFeedByType + 8 * kMaterialToolTypes);

std::string encodeRecord(const material& m) {
    std::string r(kMaterialRecordSize, '\0');
    std::memcpy(r.data() + kName, m.name, strnlen(m.name, sizeof m.name - 1));
    putF64(r, kVc, m.cuttingSpeed);
    putF64(r, kSpeed, m.speedPercent);
    putF64(r, kFz, m.feedPerTooth);
    for (int i = 0; i < kMaterialToolTypes; ++i) putF64(r, kFeedByType + 8 * i, m.feedPercentByType[i]);
    for (int i = 0; i < kMaterialToolMaterials; ++i) {
        putF64(r, kSpeedByMatl + 8 * i, m.speedPercentByMaterial[i]);
        putF64(r, kFeedByMatl + 8 * i, m.feedPercentByMaterial[i]);
    }
    return r;
}

material decodeRecord(std::string_view r) {
    material m;
    std::snprintf(m.name, sizeof m.name, "%s", r.data() + kName);
    m.cuttingSpeed = getF64(r, kVc);
    m.speedPercent = getF64(r, kSpeed);
    m.feedPerTooth = getF64(r, kFz);
    for (int i = 0; i < kMaterialToolTypes; ++i) m.feedPercentByType[i] = getF64(r, kFeedByType + 8 * i);
    for (int i = 0; i < kMaterialToolMaterials; ++i) {
        m.speedPercentByMaterial[i] = getF64(r, kSpeedByMatl + 8 * i);
        m.feedPercentByMaterial[i] = getF64(r, kFeedByMatl + 8 * i);
    }
    return m;
}

}  // namespace

bool decodeMaterials(std::string_view bytes, MaterialFile& out, std::string& why) {
    out = MaterialFile{};
    RecordFileHeader h;
    if (!readRecordFileHeader(bytes, kMaterialMagic, h, why)) return false;
    if (h.format != kMaterialFormat) {
        why = h.format > kMaterialFormat
                  ? "it was written in material format " + std::to_string(h.format) +
                        "; this host reads material formats up to " + std::to_string(kMaterialFormat)
                  : "its material format " + std::to_string(h.format) + " is unknown";
        return false;
    }
    if (h.headerSize != kRecordFileHeader || h.recordSize != kMaterialRecordSize) {
        why = "its header gives records of " + std::to_string(h.recordSize) + " bytes";
        return false;
    }
    if (h.units != Units::Metric && h.units != Units::Inch) {
        why = "its units byte is " + std::to_string(static_cast<int>(h.units));
        return false;
    }
    std::vector<std::string_view> records;
    if (!readRecords(bytes, h, true, records, why)) return false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!textTerminated(records[i], kName, sizeof(material::name))) {
            why = "the name of material " + std::to_string(i + 1) + " runs past its field";
            out.materials.clear();
            return false;
        }
        out.materials.push_back(decodeRecord(records[i]));
    }
    out.units = h.units;
    return true;
}

std::string encodeMaterials(const MaterialFile& file) {
    RecordFile rf;
    rf.format = kMaterialFormat;
    rf.units = file.units;
    rf.recordSize = kMaterialRecordSize;
    for (const material& m : file.materials) rf.records.push_back(encodeRecord(m));
    return encodeRecordFile(kMaterialMagic, rf);
}

bool readMaterials(const std::string& path, MaterialFile& out, std::string& message) {
    const std::optional<std::string> bytes = plat::readFile(hostFile(path));
    if (!bytes) {
        out = MaterialFile{};
        message = "The material file " + path + " does not exist.";
        return false;
    }
    std::string why;
    if (decodeMaterials(*bytes, out, why)) return true;
    message = "The material file " + path + " cannot be read: " + why + ".";
    return false;
}

bool writeMaterials(const std::string& path, const MaterialFile& file, std::string& message) {
    if (file.materials.size() <= kMaxRecords && plat::writeFile(hostFile(path), encodeMaterials(file))) return true;
    message = "The material file " + path + " cannot be written.";
    return false;
}

}  // namespace host::tools
