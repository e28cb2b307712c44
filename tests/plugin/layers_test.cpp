// The plug-in's layering: every include of plugin/ follows the allowed dependencies of layers.txt (beside
// this file), and those dependencies themselves run one way, so the include graph has no circle across
// folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Rules = std::map<std::string, std::set<std::string>>;   // folder -> folders it may include

// Calls visit(line number, included path) for each quoted include of the file.
template <class Visit>
void forEachInclude(const fs::path& file, Visit visit) {
    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::ifstream in(file);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        std::smatch m;
        if (std::regex_search(line, m, include)) visit(n, m[1].str());
    }
}

Rules parseRules(std::istream& in) {
    Rules rules;
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::istringstream folder(line.substr(0, colon)), allowed(line.substr(colon + 1));
        std::string name, other;
        folder >> name;
        std::set<std::string>& to = rules[name];
        while (allowed >> other) to.insert(other);
    }
    return rules;
}

// One message per include that runs against the rules, per folder the rules do not know, and per circle
// that the rules themselves allow.
std::vector<std::string> layerViolations(const fs::path& pluginDir, const Rules& rules) {
    std::vector<std::string> found;
    for (const auto& [folder, allowed] : rules)
        for (const std::string& other : allowed)
            if (!rules.count(other)) found.push_back("layers.txt: " + folder + " names an unknown folder " + other);

    // The allowed dependencies must admit an order: drop folders that depend on nothing left until none is.
    Rules left = rules;
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (auto it = left.begin(); it != left.end();) {
            const bool free = std::none_of(it->second.begin(), it->second.end(),
                                           [&](const std::string& o) { return o != it->first && left.count(o); });
            if (free) {
                it = left.erase(it);
                dropped = true;
            } else {
                ++it;
            }
        }
    }
    if (!left.empty()) {
        std::string names;
        for (const auto& [folder, allowed] : left) names += (names.empty() ? "" : ", ") + folder;
        found.push_back("layers.txt: " + names + ": on a circle of dependencies or above one");
    }

    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(pluginDir))
        if (e.is_regular_file() && (e.path().extension() == ".h" || e.path().extension() == ".cpp"))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const fs::path rel = fs::relative(file, pluginDir);
        const std::string folder = rel.begin()->string();
        if (std::distance(rel.begin(), rel.end()) < 2) {
            found.push_back(rel.string() + ": a file outside every layer's folder");
            continue;
        }
        const auto rule = rules.find(folder);
        if (rule == rules.end()) {
            found.push_back(rel.string() + ": folder " + folder + " is not in layers.txt");
            continue;
        }
        forEachInclude(file, [&](int n, const std::string& target) {
            const std::string where = rel.string() + ":" + std::to_string(n) + " includes " + target;
            if (target.rfind("platform/", 0) == 0) return;
            if (target.rfind("host/", 0) == 0) {
                if (target.rfind("host/api", 0) != 0 || target.find('/', 5) != std::string::npos)
                    found.push_back(where + ": the plug-in uses only the host's API");
                return;
            }
            if (target.rfind("plugin/", 0) != 0) {
                found.push_back(where + ": not a file of the plug-in, the platform or the host's API");
                return;
            }
            const std::string to = target.substr(7, target.find('/', 7) - 7);
            if (to != folder && !rule->second.count(to)) found.push_back(where + ": " + folder + " may not use " + to);
        });
    }
    return found;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

// The files of a folder, in name order.
std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The includes of services/ other than the standard library, base/ and model/: what one subsystem offers
// another is declared over the records alone, so a dialog's members never reach the other subsystems.
std::vector<std::string> servicesBeyondBaseAndModel(const fs::path& servicesDir) {
    std::vector<std::string> found;
    for (const fs::path& file : filesIn(servicesDir))
        forEachInclude(file, [&](int n, const std::string& target) {
            const bool allowed = target.rfind("plugin/base/", 0) == 0 || target.rfind("plugin/model/", 0) == 0 ||
                                 target.rfind("host/api", 0) == 0 ||
                                 (target.rfind("platform/", 0) == 0 && target != "platform/ui/dialog.h");
            if (!allowed) found.push_back(file.filename().string() + ":" + std::to_string(n) + " includes " + target);
        });
    return found;
}

// The services headers' classes with state of their own ("private:"): an interface offered to another
// subsystem holds none, its implementation lives in its subsystem.
std::vector<std::string> servicesWithHiddenState(const fs::path& servicesDir) {
    std::vector<std::string> found;
    for (const fs::path& file : filesIn(servicesDir)) {
        std::ifstream in(file);
        int n = 0;
        for (std::string line; std::getline(in, line);) {
            ++n;
            const std::size_t at = line.find_first_not_of(' ');
            if (at != std::string::npos && line.compare(at, 8, "private:") == 0)
                found.push_back(file.filename().string() + ":" + std::to_string(n) + " holds a private section");
        }
    }
    return found;
}

Rules projectRules() {
    std::ifstream in(FX_SOURCE_DIR "/tests/plugin/layers.txt");
    return parseRules(in);
}

}  // namespace

TEST(Layers, EveryIncludeOfThePluginFollowsTheLayers) {
    const Rules rules = projectRules();
    ASSERT_GE(rules.size(), 10u) << "layers.txt was not read";
    EXPECT_EQ(joined(layerViolations(FX_SOURCE_DIR "/plugin", rules)), "");
}

TEST(Layers, AnIncludeAgainstTheLayersOrACircleIsFound) {
    const TempDir dir;
    const fs::path plugin = fs::path(dir.path()) / "plugin";
    auto write = [&](const std::string& rel, const std::string& text) {
        fs::create_directories((plugin / rel).parent_path());
        std::ofstream(plugin / rel) << text;
    };
    // A model record that reaches up into a subsystem, a subsystem that reaches into its neighbour, the host's
    // internals, and a folder nobody placed.
    write("model/tree.h", "#pragma once\n#include \"plugin/base/utilities.h\"\n#include \"plugin/engine/ope.h\"\n");
    write("engine/ope.h", "#include \"plugin/services/tables.h\"\n#include \"plugin/tables/rows.h\"\n");
    write("tables/rows.h", "  #  include \"host/db/database.h\"\n#include \"host/api_db.h\"\n");
    write("stray/x.cpp", "");
    // A service that hands out a subsystem's dialog, and one that reaches for the dialog templates.
    write("services/tooling.h", "#include \"plugin/model/tree.h\"\n#include \"plugin/tooling/tool_dialogs.h\"\n");
    write("services/tables.h", "#include \"plugin/resources/templates.h\"\n");

    const std::vector<std::string> found = layerViolations(plugin, projectRules());
    EXPECT_EQ(joined(found),
              "engine/ope.h:2 includes plugin/tables/rows.h: engine may not use tables\n"
              "model/tree.h:3 includes plugin/engine/ope.h: model may not use engine\n"
              "services/tables.h:1 includes plugin/resources/templates.h: services may not use resources\n"
              "services/tooling.h:2 includes plugin/tooling/tool_dialogs.h: services may not use tooling\n"
              "stray/x.cpp: folder stray is not in layers.txt\n"
              "tables/rows.h:1 includes host/db/database.h: the plug-in uses only the host's API\n");

    std::istringstream circle("base:\nmodel: base engine\nengine: model base\ncycle: engine\n");
    fs::create_directories(fs::path(dir.path()) / "empty");
    EXPECT_EQ(joined(layerViolations(fs::path(dir.path()) / "empty", parseRules(circle))),
              "layers.txt: cycle, engine, model: on a circle of dependencies or above one\n");
}

// A services folder of crafted headers, named with their texts, in `dir`.
fs::path craftedServices(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& headers) {
    const fs::path services = fs::path(dir.path()) / "services";
    fs::create_directories(services);
    for (const auto& [name, text] : headers) std::ofstream(services / name) << text;
    return services;
}

TEST(Layers, ServicesIncludeNothingButBaseAndModel) {
    EXPECT_EQ(joined(servicesBeyondBaseAndModel(FX_SOURCE_DIR "/plugin/services")), "");

    const TempDir dir;
    const fs::path services = craftedServices(
        dir, {{"configuration.h", "#include \"platform/ui/dialog.h\"\n#include \"plugin/model/tree.h\"\n"},
              {"engine.h", "#include <string>\n#include \"plugin/services/configuration.h\"\n"}});
    EXPECT_EQ(joined(servicesBeyondBaseAndModel(services)),
              "configuration.h:1 includes platform/ui/dialog.h\n"
              "engine.h:2 includes plugin/services/configuration.h\n");
}

TEST(Layers, ServicesOfferInterfacesNotClassesWithState) {
    EXPECT_EQ(joined(servicesWithHiddenState(FX_SOURCE_DIR "/plugin/services")), "");

    const TempDir dir;
    const fs::path services = craftedServices(
        dir, {{"tooling.h", "class Layout {\npublic:\n    virtual ~Layout() = default;\n    virtual int run() = 0;\n};\n"
                            "class Matrix {\n    int rows() const;\n\n  private:\n    int rows_ = 0;\n};\n"}});
    EXPECT_EQ(joined(servicesWithHiddenState(services)), "tooling.h:9 holds a private section\n");
}
