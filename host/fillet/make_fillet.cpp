// The fillet library's one function (make_fillet.h).
#include "host/fillet/make_fillet.h"

#include <BRepFilletAPI_MakeFillet.hxx>

#include <memory>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) BRepBuilderAPI_MakeShape* fxMakeFillet(const TopoDS_Shape& body,
                                                                                        const TopoDS_Edge* edges,
                                                                                        std::size_t count,
                                                                                        double radius) {
    auto fillet = std::make_unique<BRepFilletAPI_MakeFillet>(body);
    for (std::size_t i = 0; i < count; ++i) fillet->Add(radius, edges[i]);
    fillet->Build();
    return fillet.release();
}

// The type the host asks for is the one defined here.
static_assert(std::is_same_v<decltype(&fxMakeFillet), MakeFilletFn>);
