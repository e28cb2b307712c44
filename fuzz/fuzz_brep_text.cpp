// The part file's geometry text (brep_text.h): the input read as a solid and as a face, and as the face
// colour list of a small solid.
#include "fuzz_support.h"
#include "host/builder/part_builder.h"
#include "host/geom/brep_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const host::SolidGeom block = host::builder::PartBuilder::block({10, 10, 10}).build().solid;
    const std::string_view text = fuzz::text(data, size);
    (void)host::solidFromBrepText(text);
    (void)host::faceFromBrepText(text);
    (void)host::withFaceColoursFromText(block, text);
    return 0;
}
