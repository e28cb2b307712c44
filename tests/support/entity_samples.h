// Records for tests of the host's database and part files.
#pragma once
#include <bit>
#include <vector>

#include "host/api.h"

namespace test_support {

// One entity of each kind with every field set to something other than its default.
inline std::vector<ent> entitySamples() {
    std::vector<ent> out;
    ent e{};
    e.attrib = {2.0, 1, 3};
    e.color = 14;

    ent p = e;
    p.type = kEntPoint;
    p.pt.pt = {1, -2, 3};
    out.push_back(p);
    ent l = e;
    l.type = kEntLine;
    l.ln.ln = {{1, 2, 3}, {4, 5, 6}};
    out.push_back(l);
    ent a = e;
    a.type = kEntArc;
    a.arc = {7, {1, 2, 3}, 4, 5, std::bit_cast<double>(0x7ff8000000000123ull)};   // a NaN pattern survives too
    out.push_back(a);
    ent s = e;
    s.type = kEntSpline;
    s.spl = {2, 4, 0.0, 1.0, 1, std::vector<std::uint8_t>(64, 0xAB)};
    out.push_back(s);
    ent n = e;
    n.type = kEntNote;
    n.note.subKind = 2;
    n.note.view = 3;
    n.note.height = 2.5;
    n.note.leaderStyle = 5;
    n.note.flags[3] = -1;
    n.note.name = "GD_M6";
    n.note.nodes = {{{1, 1, 1}, 9}, {{2, 2, 2}, 0}};
    out.push_back(n);
    ent d = e;
    d.type = kEntDrafting;
    d.draft.subKind = 2;
    d.draft.text1 = "10H7";
    d.draft.text2 = std::string(254, 'x');
    d.draft.radius = 5;
    out.push_back(d);
    ent f = e;
    f.type = kEntSurface;
    f.surf.typeCode = kSurfTrimmed;
    f.surf.base = 12;
    f.surf.vMax = 6.283185307179586;
    f.surf.trimPoints = {{0, 0}, {1, 0}, {0, 1}};
    f.surf.trimBounds = {{0, 1}};
    out.push_back(f);
    ent o = e;
    o.type = kEntSolid;
    o.solid.flags = kSolidExcluded;
    o.solid.box[5] = {9, 8, 7};
    o.solid.body = "Body";
    o.solid.history = "History";
    out.push_back(o);
    ent r = e;
    r.type = kEntAssoc;
    r.assoc.kind = 2;
    r.assoc.opId = -3;
    r.assoc.target = 5;
    r.assoc.u = r.assoc.v = 0.5;
    r.assoc.data = {1, 2, 3};
    out.push_back(r);
    return out;
}

}  // namespace test_support
