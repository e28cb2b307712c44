// fxstepread: reads STEP files with the kernel and writes their bodies to stdout in the reply format of
// host/geom/step_reply.h. The host's STEP import runs it as a process of its own, so that a file the
// kernel cannot survive (a crash, a hang, memory without end) costs that import and not the host. A part
// file's geometry is made here first when the part is opened, for the same reason.
// Usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE   one file, its reply
//        fxstepread [--memory-mb N] --serve   requests on stdin, each "<flags> <path length>\n<path>" (flag 1:
//                                             fail the names-and-colours transfer; flag 2: part geometry
//                                             texts in place of the path, as step_process.h says; flag 4:
//                                             for tests, no answer until stopped), each
//                                             answered with "<reply length>\n<reply>"; ends at the end of
//                                             its input
#include <BRepBndLib.hxx>
#include <BRepTools.hxx>
#include <Bnd_Box.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_AsciiString.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "host/geom/brep_text.h"
#include "host/geom/xde_document.h"

namespace {

using host::XdeDocument;

constexpr int kNone = -1;
// Request flags (host/geom/step_process.h): geometry texts of a part file rather than a STEP file's path.
constexpr unsigned kGeometry = 2, kStall = 4;
constexpr std::size_t kMaxGeometry = std::size_t{1} << 34;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

struct Body {
    TopoDS_Shape shape;
    std::string name;
    int colour = kNone;             // 0xRRGGBB
    std::vector<int> faceColours;   // in the order of TopExp::MapShapes(shape, TopAbs_FACE)
};

struct Reply {
    std::vector<Body> bodies;
    std::vector<std::string> warnings;
};

int packed(const Quantity_Color& c) {
    double r, g, b;
    c.Values(r, g, b, Quantity_TOC_RGB);
    auto scale = [](double x) { return static_cast<int>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0)); };
    return scale(r) << 16 | scale(g) << 8 | scale(b);
}

int colourOf(const Handle(XCAFDoc_ColorTool)& colours, const TopoDS_Shape& shape) {
    if (colours.IsNull()) return kNone;
    Quantity_Color c;
    if (colours->GetColor(shape, XCAFDoc_ColorSurf, c) || colours->GetColor(shape, XCAFDoc_ColorGen, c))
        return packed(c);
    return kNone;
}

std::string nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return TCollection_AsciiString(name->Get()).ToCString();
}

// The solids of a free shape, each a body; a shape without solids (a shell, a face set) is one body.
void addBodies(const TopoDS_Shape& shape, const std::string& name, const Handle(XCAFDoc_ColorTool)& colours,
               Reply& reply) {
    const int bodyColour = colourOf(colours, shape);
    TopTools_IndexedMapOfShape solids;
    TopExp::MapShapes(shape, TopAbs_SOLID, solids);
    std::vector<TopoDS_Shape> parts;
    for (int k = 1; k <= solids.Extent(); ++k) parts.push_back(solids(k));
    if (parts.empty()) parts.push_back(shape);
    for (const TopoDS_Shape& part : parts) {
        Body body{part, name, colourOf(colours, part), {}};
        if (body.colour == kNone) body.colour = bodyColour;
        TopTools_IndexedMapOfShape faces;
        TopExp::MapShapes(part, TopAbs_FACE, faces);
        for (int i = 1; i <= faces.Extent(); ++i) {
            body.faceColours.push_back(colourOf(colours, faces(i)));
            // The host boxes every face when it takes the solid: a face whose box would take it minutes
            // takes them here, under the time limit, instead.
            Bnd_Box box;
            BRepBndLib::AddOptimal(faces(i), box, false, false);
        }
        reply.bodies.push_back(std::move(body));
    }
}

// With names and colours. "" when read (the bodies may still be none), else why the transfer failed.
std::string readWithNamesAndColours(const char* path, bool injectFault, Reply& reply) {
    try {
        XdeDocument xde;
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        if (reader.ReadFile(path) != IFSelect_RetDone) return "not readable";
        if (injectFault) throw Standard_Failure("a fault injected for a test");
        if (!reader.Transfer(xde.doc())) return "the transfer failed";
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xde.doc()->Main());
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(xde.doc()->Main());
        TDF_LabelSequence free;
        shapes->GetFreeShapes(free);
        for (int i = 1; i <= free.Length(); ++i) {
            TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(free.Value(i));
            if (!shape.IsNull()) addBodies(shape, nameOf(free.Value(i)), colours, reply);
        }
    } catch (const Standard_Failure& e) {
        reply.bodies.clear();
        return e.GetMessageString();
    } catch (const std::exception& e) {
        reply.bodies.clear();
        return e.what();
    }
    return {};
}

// Without names and colours, root by root, so that a root the kernel cannot take costs only itself.
// "" when read, else why not.
std::string readPlain(const char* path, Reply& reply) {
    try {
        STEPControl_Reader reader;
        if (reader.ReadFile(path) != IFSelect_RetDone) return "not a readable STEP file";
        const int roots = reader.NbRootsForTransfer();
        int lost = 0;
        for (int i = 1; i <= roots; ++i) {
            try {
                if (!reader.TransferRoot(i)) ++lost;
            } catch (const Standard_Failure&) {
                ++lost;
            }
        }
        for (int k = 1; k <= reader.NbShapes(); ++k) {
            const TopoDS_Shape shape = reader.Shape(k);
            if (!shape.IsNull()) addBodies(shape, "", Handle(XCAFDoc_ColorTool)(), reply);
        }
        if (lost > 0)
            reply.warnings.push_back(std::to_string(lost) + " of " + std::to_string(roots) +
                                     " shapes of the file could not be read");
    } catch (const Standard_Failure& e) {
        reply.bodies.clear();
        return std::string("the STEP reader failed: ") + e.GetMessageString();
    }
    return {};
}

class ReplyText {
public:
    void put(const std::string& bytes) { out_ += bytes; }
    void putText(char tag, const std::string& text) {
        put(std::string(1, tag) + ' ' + std::to_string(text.size()) + '\n' + text + '\n');
    }
    std::string& bytes() { return out_; }

private:
    std::string out_;
};

std::string brepText(const TopoDS_Shape& shape) {
    std::ostringstream out;
    BRepTools::Write(shape, out, false, false, TopTools_FormatVersion_CURRENT);
    return out.str();
}

std::string replyOf(const Reply& reply, const std::string& error) {
    ReplyText out;
    auto put = [&](const std::string& bytes) { out.put(bytes); };
    put("FXSTEP 1\n");
    for (const std::string& w : reply.warnings) out.putText('W', w);
    if (!error.empty()) {
        out.putText('X', error);
    } else {
        for (const Body& b : reply.bodies) {
            std::string brep;
            try {
                brep = brepText(b.shape);
            } catch (const Standard_Failure&) {
                continue;
            }
            put("S " + std::to_string(b.name.size()) + ' ' + std::to_string(b.colour) + ' ' +
                std::to_string(brep.size()) + ' ' + std::to_string(b.faceColours.size()) + '\n');
            put(b.name);
            put(brep);
            std::string colours;
            for (int c : b.faceColours) colours += std::to_string(c) + ' ';
            put(colours + '\n');
        }
    }
    put("E\n");
    return std::move(out.bytes());
}

// The reply for one file.
std::string readFile(const char* path, bool injectFault) {
    Reply reply;
    const std::string why = readWithNamesAndColours(path, injectFault, reply);
    if (why.empty()) return replyOf(reply, {});
    if (why == "not readable") return replyOf(reply, "not a readable STEP file");
    reply.warnings.push_back("names and colours could not be read (" + why + "); the solids are read without them");
    const std::string error = readPlain(path, reply);
    return replyOf(reply, error);
}

bool write(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// The reply to geometry texts of a part file: each made as the host makes it when it opens the part, so
// that a text whose making would not end, or would take the host's memory, ends this process instead.
std::string makeGeometry(std::string_view payload) {
    std::string made;
    while (!payload.empty()) {
        const char kind = payload[0];
        std::size_t length = 0;
        const std::size_t eol = payload.find('\n');
        if ((kind != 'S' && kind != 'F') || payload.size() < 3 || payload[1] != ' ' || eol == std::string_view::npos ||
            std::from_chars(payload.data() + 2, payload.data() + eol, length).ptr != payload.data() + eol ||
            payload.size() - eol - 1 < length)
            return "FXGEOM 1\nX\n";
        const std::string_view text = payload.substr(eol + 1, length);
        payload.remove_prefix(eol + 1 + length);
        made += (kind == 'S' ? host::solidFromBrepText(text).has_value() : host::faceFromBrepText(text).has_value())
                    ? '1'
                    : '0';
    }
    return "FXGEOM 1\n" + made + "\nE\n";
}

// Requests until the input ends; a request that does not read ends the reader.
[[noreturn]] void serve() {
    for (;;) {
        unsigned flags = 0;
        std::size_t length = 0;
        if (std::scanf("%u %zu", &flags, &length) != 2 || std::getchar() != '\n' || length == 0 ||
            length > ((flags & kGeometry) ? kMaxGeometry : 65536))
            std::_Exit(0);
        std::string path(length, '\0');
        if (std::fread(path.data(), 1, length, stdin) != length) std::_Exit(0);
        while (flags & kStall) pause();
        const std::string reply = (flags & kGeometry) ? makeGeometry(path) : readFile(path.c_str(), (flags & 1) != 0);
        if (!write(std::to_string(reply.size()) + '\n' + reply)) std::_Exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    bool injectFault = false, serving = false;
    long memoryMb = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--serve") == 0) {
            serving = true;
        } else if (std::strcmp(argv[i], "--fail-names-colours") == 0) {
            injectFault = true;
        } else if (std::strcmp(argv[i], "--memory-mb") == 0 && i + 1 < argc) {
            memoryMb = std::atol(argv[++i]);
        } else {
            path = argv[i];
        }
    }
    if (!path && !serving) {
        std::fputs("usage: fxstepread [--memory-mb N] [--fail-names-colours] FILE | [--memory-mb N] --serve\n", stderr);
        return 2;
    }
    // The address sanitizer reserves far more address space than it uses: no limit under it.
    if (memoryMb > 0 && !kAddressSanitizer) {
        const rlim_t bytes = static_cast<rlim_t>(memoryMb) << 20;
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
    }
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    if (serving) serve();
    // Straight out: the kernel's tables need no tearing down, and a leak check of them says nothing.
    std::_Exit(write(readFile(path, injectFault)) ? 0 : 1);
}
