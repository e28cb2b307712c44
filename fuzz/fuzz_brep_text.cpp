// The part file's geometry text: the input as the part loader takes it (the sealed text, db/geometry_seal.h,
// then the BRep text behind it), and the reader behind the seal on its own (brep_text.h: as a solid, as a
// face, and as the face colour list of a small solid).
#include "fuzz_support.h"
#include "host/builder/part_builder.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const host::SolidGeom block = host::builder::PartBuilder::block({10, 10, 10}).build().solid;
    const std::string_view text = fuzz::text(data, size);
    if (const std::optional<std::string_view> sealed = host::db::unsealGeometryText(text))
        (void)host::solidFromBrepText(*sealed);
    (void)host::solidFromBrepText(text);
    (void)host::faceFromBrepText(text);
    (void)host::withFaceColoursFromText(block, text);
    return 0;
}
