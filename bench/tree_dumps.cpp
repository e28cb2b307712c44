// Writes the recognition dumps of the example parts and plates (tree_dumps.h).
#include "bench/tree_dumps.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "bench/bench_plates.h"
#include "bench/cad_part.h"
#include "host/geom/step_io.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/model/work_records.h"
#include "plugin/recognition/dumps.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

namespace bench {
namespace {

void dumpInto(const std::string& folder) {
    (void)plat::createDirectories(folder);
    g_globals->tmpDir = folder;
    g_globals->debugDumps = 1;
}

}  // namespace

int dumpTrees(const std::string& folder, const std::string& plates) {
    startPlugin();
    int failed = 0;
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(examplesFolder()))
        if (file.path().extension() == ".step") files.push_back(file.path());
    files.push_back(cadPartStep());
    for (const std::filesystem::path& file : files) {
        if (!host::openStepAsPart(file.string()).empty()) {
            ++failed;
            continue;
        }
        dumpInto(folder + "/" + file.stem().string());
        (void)runRecognition(nullptr);
        freeViewsTree(g_records->viewsTree);
        g_records->viewsTree = nullptr;
        g_globals->debugDumps = 0;
    }
    std::istringstream list(plates);
    for (std::string holes; std::getline(list, holes, ',');) {
        if (!openPlate(std::stoi(holes)).empty()) {
            ++failed;
            continue;
        }
        dumpInto(folder + "/plate_" + holes);
        std::int32_t wide = 0, narrow = 0, refused = 0;
        g_nextHoleId = 1;
        VIEW_LIST* tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &refused, 0, 0, nullptr);
        if (checkOpaqueSurfs(tree, 0, nullptr) == 0)
            dumpCylsViews(tree, (folder + "/plate_" + holes + "/21_OpqSurfsGeo.txt").c_str());
        freeViewsTree(tree);
        g_globals->debugDumps = 0;
    }
    return failed;
}

}  // namespace bench
