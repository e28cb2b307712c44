// Reads an NC listing of hostcam's dialect back as a control would: the work offsets with the planes their
// comments describe, the tools (with the diameters their comments give), every hole a canned cycle drills
// (its X, Y, the Z it goes down to and its R plane) and every straight plunge of a feed move, each in the
// work offset's plane and in world coordinates.
#pragma once
#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

struct NC_PLANE {
    double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};   // rows: the plane's X, Y and Z in the world
    double origin[3] = {};

    // A point of the plane in world coordinates.
    void toWorld(const double p[3], double out[3]) const {
        for (int k = 0; k < 3; ++k) out[k] = origin[k] + p[0] * axes[0][k] + p[1] * axes[1][k] + p[2] * axes[2][k];
    }
};

// A place the tool goes down to: a canned cycle's hole or the end of a feed move straight down.
struct NC_HOLE {
    std::string cycle;        // "G81" ... or "G1" for a plunge
    int tool = 0;
    std::string offset;       // "G54" ...
    double at[3] = {};        // X, Y and the Z reached, in the plane
    double r = 0;             // the R plane of a cycle
    double world[3] = {};     // the point reached, in the world
    double worldR[3] = {};    // the cycle's point on its R plane, in the world
    double worldAxis[3] = {}; // the plane's Z in the world
};

struct NC_TOOL {
    std::string name;
    double diameter = 0;
};

struct NC_PROGRAM {
    std::map<std::string, NC_PLANE> offsets;
    std::map<int, NC_TOOL> tools;   // by tool number
    std::vector<NC_HOLE> holes;
    std::vector<int> toolChanges;
    std::vector<std::string> errors;   // what a control would refuse
};

inline NC_PROGRAM readNcListing(const std::string& text) {
    NC_PROGRAM program;
    static const std::regex planeComment(
        R"(\((G5[4-9](?:\.1 P\d+)?) = PLANE X ([-\d.]+),([-\d.]+),([-\d.]+) Y ([-\d.]+),([-\d.]+),([-\d.]+) Z ([-\d.]+),([-\d.]+),([-\d.]+) ORIGIN ([-\d.]+),([-\d.]+),([-\d.]+)\))");
    static const std::regex word(R"(([A-Z])(-?\d*\.?\d*))");
    static const std::regex toolComment(R"(^\(T(\d+) (.*) D([\d.]+)\)$)");
    std::istringstream in(text);
    std::string line, offset, cycle;
    int tool = 0, motion = 0;
    double pos[3] = {}, r = 0, cycleZ = 0;
    bool cycleOn = false;
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_search(line, m, planeComment)) {
            NC_PLANE plane;
            for (int i = 0; i < 9; ++i) plane.axes[i / 3][i % 3] = std::stod(m[2 + i].str());
            for (int k = 0; k < 3; ++k) plane.origin[k] = std::stod(m[11 + k].str());
            program.offsets[m[1].str()] = plane;
            continue;
        }
        if (std::regex_match(line, m, toolComment)) {
            program.tools[std::stoi(m[1].str())] = {m[2].str(), std::stod(m[3].str())};
            continue;
        }
        if (line.empty() || line[0] != 'N') continue;
        bool hasXY = false, hasZ = false, newCycle = false;
        double next[3] = {pos[0], pos[1], pos[2]};
        for (std::sregex_iterator it(line.begin(), line.end(), word), end; it != end; ++it) {
            const char letter = (*it)[1].str()[0];
            const std::string value = (*it)[2].str();
            if (value.empty()) continue;
            const double v = std::stod(value);
            switch (letter) {
            case 'G': {
                const std::string g = "G" + value;
                if (g == "G0" || g == "G1" || g == "G2" || g == "G3") motion = std::stoi(value);
                else if (g == "G80") cycleOn = false;
                else if (g == "G81" || g == "G82" || g == "G83" || g == "G73" || g == "G84" || g == "G74" ||
                         g == "G85" || g == "G86") {
                    cycle = g;
                    cycleOn = true;
                    newCycle = true;
                } else if (g.rfind("G5", 0) == 0 && v >= 54 && v < 60) {
                    offset = g;
                    if (!program.offsets.count(offset)) program.errors.push_back(line + ": an offset no comment describes");
                }
                break;
            }
            case 'X': next[0] = v; hasXY = true; break;
            case 'Y': next[1] = v; hasXY = true; break;
            case 'Z': next[2] = v; hasZ = true; break;
            case 'R': r = v; break;
            case 'T': tool = static_cast<int>(v); break;
            case 'M': if (v == 6) program.toolChanges.push_back(tool); break;
            default: break;
            }
        }
        const auto record = [&](const std::string& kind, const double at[3]) {
            NC_HOLE h;
            h.cycle = kind;
            h.tool = tool;
            h.offset = offset;
            std::copy(at, at + 3, h.at);
            h.r = r;
            const NC_PLANE& plane = program.offsets[offset];
            plane.toWorld(at, h.world);
            const double atR[3] = {at[0], at[1], r};
            plane.toWorld(atR, h.worldR);
            std::copy(plane.axes[2], plane.axes[2] + 3, h.worldAxis);
            program.holes.push_back(h);
        };
        if (cycleOn) {
            if (hasZ) cycleZ = next[2];
            if (newCycle || hasXY) {
                if (newCycle && r <= cycleZ) program.errors.push_back(line + ": the R plane is not above the depth");
                const double at[3] = {next[0], next[1], cycleZ};
                record(cycle, at);
            }
            pos[0] = next[0];
            pos[1] = next[1];
            continue;
        }
        if (motion == 1 && hasZ && !hasXY && next[2] < pos[2]) record("G1", next);
        std::copy(next, next + 3, pos);
    }
    return program;
}
