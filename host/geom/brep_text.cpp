// BRep text of faces and solids. The kernel's reader reports damage by throwing or by leaving the shape
// null, and on text cut short it can spin at the end of the stream re-reading nothing; so the stream
// throws on the first extraction that fails and gives up once the reader keeps peeking past the end, and
// every way out of the reader but success is nullopt.
#include "host/geom/brep_text.h"

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BinTools.hxx>
#include <Standard_Failure.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Shape.hxx>

#include <charconv>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "host/geom/brep_scan.h"
#include "host/geom/occt_impl.h"

namespace host {
namespace {

// A read-only buffer over the text that throws once the end has been asked for too often: a reader
// that finishes asks a few times, one spinning on cut-off text asks without end.
class EndGuardBuffer : public std::streambuf {
public:
    explicit EndGuardBuffer(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (++endHits_ > kMaxEndHits) throw std::runtime_error("BRep text ends too early");
        return traits_type::eof();
    }

private:
    static constexpr int kMaxEndHits = 64;
    int endHits_ = 0;
};

// What the kernel's writer `put` puts out, "" where it fails.
template <class PUT>
std::string written(PUT put) {
    std::ostringstream out;
    try {
        put(out);
    } catch (const Standard_Failure&) {
        return {};
    }
    return std::move(out).str();   // megabytes for a solid: taken, not copied
}

std::string write(const TopoDS_Shape& shape) {
    return written([&](std::ostream& out) { BRepTools::Write(shape, out, false, false, TopTools_FormatVersion_CURRENT); });
}

std::optional<TopoDS_Shape> read(std::string_view text) {
    // The kernel's writer begins with its format line; anything else is not looked into.
    std::size_t start = text.find_first_not_of(" \r\n");
    if (start == std::string_view::npos || text.substr(start).rfind("CASCADE Topology V", 0) != 0) return std::nullopt;
    if (!brepGeometryReadable(text)) return std::nullopt;
    std::string copy(text);
    EndGuardBuffer buffer(copy);
    std::istream in(&buffer);
    in.exceptions(std::ios::failbit | std::ios::badbit);
    TopoDS_Shape shape;
    try {
        BRep_Builder builder;
        BRepTools::Read(shape, in, builder);
    } catch (const Standard_Failure&) {
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    if (shape.IsNull()) return std::nullopt;
    return shape;
}

// The binary form read in place; nullopt where the kernel fails or reads nothing.
std::optional<TopoDS_Shape> readBinary(std::string_view bytes) {
    // The kernel's reader asks where it is in the stream.
    class Bytes : public std::streambuf {
    public:
        explicit Bytes(std::string_view b) {
            char* p = const_cast<char*>(b.data());   // read only: the get area is never written
            setg(p, p, p + b.size());
        }

    protected:
        pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
            if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
            const off_type from = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : egptr() - eback();
            const off_type to = from + off;
            if (to < 0 || to > egptr() - eback()) return pos_type(off_type(-1));
            setg(eback(), eback() + to, egptr());
            return pos_type(to);
        }
        pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
            return seekoff(off_type(pos), std::ios_base::beg, which);
        }
    };
    Bytes buffer(bytes);
    std::istream in(&buffer);
    TopoDS_Shape shape;
    try {
        BinTools::Read(shape, in);
    } catch (...) {
        return std::nullopt;
    }
    if (shape.IsNull() || in.bad()) return std::nullopt;
    return shape;
}

// The binary form begins with its format line, as the text with its own.
constexpr std::string_view kBinaryHead = "Open CASCADE Topology V";

}  // namespace

bool isBinaryBrep(std::string_view bytes) {
    const std::size_t start = bytes.find_first_not_of(" \r\n");
    return start != std::string_view::npos && bytes.substr(start).starts_with(kBinaryHead);
}

std::string shapeToBinary(const TopoDS_Shape& shape) {
    return written([&](std::ostream& out) { BinTools::Write(shape, out, false, false, BinTools_FormatVersion_CURRENT); });
}

std::string solidToBinary(const SolidGeom& solid) { return solid.empty() ? std::string() : shapeToBinary(occtShape(solid)); }

std::optional<ReadBrep> readMadeBrep(std::string_view bytes) {
    if (!isBinaryBrep(bytes)) return readBrepText(bytes);
    std::optional<TopoDS_Shape> shape = readBinary(bytes);
    if (!shape) return std::nullopt;
    // An assembly places a solid by a chain of placements, one a level, which the kernel composes afresh
    // each time it relates an edge to a face: a third of making the solid of a part placed two levels
    // down. One placement of the chain's own transformation places it alike.
    if (!shape->Location().IsIdentity() && !shape->Location().NextLocation().IsIdentity())
        shape->Location(TopLoc_Location(shape->Location().Transformation()), false);
    return ReadBrep(std::make_shared<const TopoDS_Shape>(std::move(*shape)));
}

std::string faceToBrepText(const FaceGeom& face) { return face.empty() ? std::string() : write(occtFace(face)); }

std::optional<FaceGeom> faceFromBrepText(std::string_view text) {
    std::optional<ReadBrep> shape = readBrepText(text);
    return shape ? faceFromBrep(*shape) : std::nullopt;
}

std::optional<ReadBrep> readBrepText(std::string_view text) {
    std::optional<TopoDS_Shape> shape = read(text);
    if (!shape) return std::nullopt;
    return ReadBrep(std::make_shared<const TopoDS_Shape>(std::move(*shape)));
}

std::optional<FaceGeom> faceFromBrep(const ReadBrep& read, const Box3* box) {
    if (!read.shape() || read.shape()->ShapeType() != TopAbs_FACE) return std::nullopt;
    FaceGeom face = makeFaceGeom(*read.shape(), box);
    if (face.empty()) return std::nullopt;
    return face;
}

std::optional<SolidGeom> solidFromBrep(const ReadBrep& read, const std::vector<Box3>* faceBoxes) {
    if (!read.shape()) return std::nullopt;
    SolidGeom solid = makeSolidGeom(*read.shape(), {}, faceBoxes);
    if (solid.empty()) return std::nullopt;
    return solid;
}

std::string solidToBrepText(const SolidGeom& solid) { return solid.empty() ? std::string() : write(occtShape(solid)); }

std::optional<SolidGeom> solidFromBrepText(std::string_view text, const std::vector<Box3>* faceBoxes) {
    std::optional<ReadBrep> shape = readBrepText(text);
    return shape ? solidFromBrep(*shape, faceBoxes) : std::nullopt;
}

std::string faceColoursToText(const SolidGeom& solid) {
    std::string text;
    for (int c : solid.faceColours()) {
        if (!text.empty()) text += ' ';
        text += std::to_string(c);
    }
    return text;
}

std::optional<SolidGeom> withFaceColoursFromText(const SolidGeom& solid, std::string_view text) {
    std::vector<int> colours;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        int value = 0;
        auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || (next < end && *next != ' ')) return std::nullopt;
        if (value < kNoColour) return std::nullopt;
        colours.push_back(value);
        p = next;
    }
    if (colours.size() != solid.faces().size()) return std::nullopt;
    return solid.withFaceColours(std::move(colours));
}

}  // namespace host
