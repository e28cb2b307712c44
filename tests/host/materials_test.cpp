// Material files and lists as the plug-in reads them: records read back equal, the current list, the
// scripted material pick, the machine group's material file, and damaged files refused with a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/tools/materials.h"
#include "platform/sys/files.h"
#include "plugin/services/tables.h"
#include "support/host_tools_fixture.h"

namespace {

std::vector<material> load(const char* name, int* ok = nullptr) {
    material_node* list = nullptr;
    const int result = list_manager(kListMaterials, name, kListLoad, &list);
    if (ok) *ok = result;
    std::vector<material> out;
    for (material_node* n = list; n; n = n->next) out.push_back(n->matl);
    list_manager(kListMaterials, name, kListFree, &list);
    return out;
}

using Materials = HostTools;

TEST_F(Materials, MaterialsWrittenReadBackEqual) {
    host::tools::MaterialFile file;
    file.units = host::tools::Units::Inch;
    file.materials = {sampleMaterial("STEEL 1045 - INCH", 300, 0.003),
                      sampleMaterial("ALUMINIUM 6061 - INCH", 1000, 0.004)};
    std::string message;
    const std::string p = path("Inch.Materials");
    ASSERT_TRUE(host::tools::writeMaterials(p, file, message)) << message;
    int ok = 0;
    EXPECT_EQ(load(p.c_str(), &ok), file.materials);
    EXPECT_EQ(ok, 1);
    host::tools::MaterialFile back;
    ASSERT_TRUE(host::tools::readMaterials(p, back, message));
    EXPECT_EQ(back.units, host::tools::Units::Inch);
    const std::string dump = host::dumpMaterials(p);
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "materials 2 inch");
    EXPECT_NE(dump.find("\"STEEL 1045 - INCH\" Vc=300 speed%=100 fz=0.003 feed%type=100,99,"), std::string::npos)
        << dump;
}

TEST_F(Materials, TheCurrentListIsTheHostsAndStartsEmpty) {
    EXPECT_TRUE(load("").empty());
    host::setCurrentMaterials({sampleMaterial("CAST IRON GG25", 90, 0.12)});
    const std::vector<material> current = load("");
    ASSERT_EQ(current.size(), 1u);
    EXPECT_STREQ(current[0].name, "CAST IRON GG25");
}

TEST_F(Materials, TheUserPicksAMaterialByItsName) {
    host::tools::MaterialFile file;
    file.materials = {sampleMaterial("STEEL 1045", 180, 0.08), sampleMaterial("ALUMINIUM 6061", 300, 0.1)};
    std::string message;
    const std::string p = path("Mill_mm.Materials");
    ASSERT_TRUE(host::tools::writeMaterials(p, file, message));
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%s", p.c_str());
    plat::driver().script().libraryPick("aluminium 6061").libraryPick("");
    material picked;
    EXPECT_EQ(library_manager(kLibraryPickMaterial, buf, &picked), 1);
    EXPECT_EQ(picked, file.materials[1]);
    material none = sampleMaterial("UNCHANGED", 1, 1);
    EXPECT_EQ(library_manager(kLibraryPickMaterial, buf, &none), 0);
    EXPECT_STREQ(none.name, "UNCHANGED");
    EXPECT_TRUE(plat::driver().transcript().contains("host.library picked \"ALUMINIUM 6061\""));
    EXPECT_TRUE(plat::driver().errors().empty());
}

TEST_F(Materials, TheMaterialFileFollowsTheMachineGroupFolderAndUnits) {
    host::setHostDir("/opt/cam");
    EXPECT_STREQ(MatlLibrary(), "/opt/cam/Materials/Mill_mm.Materials");
    host::setMetric(false);
    EXPECT_STREQ(MatlLibrary(), "/opt/cam/Materials/Mill_Inch.Materials");
    host::setMaterialLibrary("/m/shop.Materials");
    EXPECT_STREQ(MatlLibrary(), "/m/shop.Materials");
    host::setMachineGroup(false);
    EXPECT_STREQ(MatlLibrary(), "");
}

TEST_F(Materials, DamagedMaterialFilesAreRefusedWithAMessage) {
    host::tools::MaterialFile file;
    file.materials = {sampleMaterial("STEEL 1045", 180, 0.08)};
    const std::string good = host::tools::encodeMaterials(file);
    struct Case {
        const char* what;
        std::string bytes;
        const char* says;
    };
    std::vector<Case> cases;
    cases.push_back({"a tool library", std::string("FXTOOLS") + std::string(40, '\0'), "not a file of this kind"});
    cases.push_back({"cut", good.substr(0, good.size() - 8), "cut short"});
    cases.push_back({"flipped", good, "checksum"});
    cases.back().bytes[32 + 85] ^= 0x40;
    cases.push_back({"units unknown", good, "units byte is 7"});
    cases.back().bytes[20] = 7;
    cases.push_back({"newer", good, "material format 2; this host reads material formats up to 1"});
    host::tools::putU16(cases.back().bytes, 8, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("bad.Materials");
        ASSERT_TRUE(plat::writeFile(p, c.bytes));
        int ok = 1;
        EXPECT_TRUE(load(p.c_str(), &ok).empty());
        EXPECT_EQ(ok, 0);
        EXPECT_NE(host::lastLibraryMessage().find(c.says), std::string::npos) << host::lastLibraryMessage();
        EXPECT_NE(host::lastLibraryMessage().find(p), std::string::npos);
    }
}

}  // namespace
