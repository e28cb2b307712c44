// Material files (".Materials"): the record-file container of record_file.h with magic "FXMATLS",
// format 1, one 360-byte record per material in file order, the header's units byte telling whether Vc
// is in m/min and fz in mm (metric) or ft/min and inch (inch). A record, little-endian:
//   0 name (80 bytes, ends inside)   80 f64 Vc   88 f64 speed %   96 f64 fz
//   104 f64 x 20 feed % by tool type   264 f64 x 6 speed % by tool material   312 f64 x 6 feed % by material
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "host/api.h"
#include "host/tools/record_file.h"

namespace host::tools {

constexpr const char* kMaterialMagic = "FXMATLS";
constexpr std::uint16_t kMaterialFormat = 1;
constexpr std::size_t kMaterialRecordSize = 360;

struct MaterialFile {
    Units units = Units::Metric;
    std::vector<material> materials;
};

[[nodiscard]] bool decodeMaterials(std::string_view bytes, MaterialFile& out, std::string& why);
std::string encodeMaterials(const MaterialFile& file);
// `message` names the file.
[[nodiscard]] bool readMaterials(const std::string& path, MaterialFile& out, std::string& message);
[[nodiscard]] bool writeMaterials(const std::string& path, const MaterialFile& file, std::string& message);

}  // namespace host::tools
