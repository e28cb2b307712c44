// Rounding edges with the kernel's fillets, from a library of its own (libfxfillet.so, beside the host
// library) that the host loads when it first rounds an edge. The fillet library and the boolean one it
// needs bind some ten thousand symbols as they load: every hostcam start would pay for them, and only the
// part builder rounds.
#pragma once
#include <cstddef>

class BRepBuilderAPI_MakeShape;
class TopoDS_Edge;
class TopoDS_Shape;

// The fillet of radius `radius` on `edges` of `body`, built (the caller asks IsDone and deletes it); the
// library's one symbol.
using MakeFilletFn = BRepBuilderAPI_MakeShape* (*)(const TopoDS_Shape& body, const TopoDS_Edge* edges,
                                                    std::size_t count, double radius);
inline constexpr const char* kMakeFilletSymbol = "fxMakeFillet";
inline constexpr const char* kFilletLibrary = "libfxfillet.so";
