// What the STEP reader process (host/step_worker/fxstepread) hands back, and its parser. The reply is
// bytes with explicit lengths:
//   "FXSTEP 1\n"  then any of
//   "W <n>\n<n bytes>\n"                          a warning
//   "X <n>\n<n bytes>\n"                          the import failed, and why
//   "S <nameLen> <colour> <brepLen> <faces>\n<name><the solid in the kernel's binary form><faces colours, each
//    followed by ' '>\n
//    <faces boxes, each six numbers followed by ' '>\n"
//                                                 a body; colours are 0xRRGGBB or -1 for none, boxes the
//                                                 tight box of each face (face_box.h; min x y z, max x y z,
//                                                 all 0 for a void box) as hexadecimal floating point, so
//                                                 that they come back bit for bit; the faces in the order
//                                                 the kernel maps them
//   and "E\n" last. Anything else, or a reply cut short, is refused.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/geom/face_geom.h"

namespace host {

struct StepReplyBody {
    std::string name;
    int colour = -1;
    std::string brep;
    std::vector<int> faceColours;
    std::vector<Box3> faceBoxes;   // one for each face colour
};

struct StepReply {
    std::vector<StepReplyBody> bodies;
    std::vector<std::string> warnings;
    std::string error;   // the reader's own "X" text
};

// False when the reply is not whole or not of this form; `out` then holds what was read before.
[[nodiscard]] bool parseStepReply(std::string_view reply, StepReply& out);

// The reader's answer to a part file's geometry texts (step_process.h, kReaderGeometry):
//   "FXGEOM 2\n", one '1' (made) or '0' (refused) per text, "\n", then for each text made
//   "<faces>\n<faces boxes, each six numbers followed by ' '>\n" (as above: a solid's faces in the order
//   the kernel maps them, none when the reader could not make every one; a face text's one face),
//   and "E\n" last.
struct GeometryReplyText {
    bool made = false;
    std::vector<Box3> faceBoxes;
};
// nullopt when the reply is not whole, not of this form, or not for `texts` texts.
std::optional<std::vector<GeometryReplyText>> parseGeometryReply(std::string_view reply, std::size_t texts);

}  // namespace host
