// STEP through the kernel's extended data exchange, which keeps names and colours. Writing runs here;
// reading runs in the reader process, whose reply becomes solids here. Colours are the kernel's RGB values
// (0-1) as the file holds them (sRGB), scaled to 0-255 for the host palette.
#include "host/geom/step_io.h"

#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDataStd_Name.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

#include "host/api.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"
#include "host/geom/occt_impl.h"
#include "host/geom/step_process.h"
#include "host/geom/step_reply.h"
#include "host/geom/step_scan.h"
#include "host/geom/surface_entities.h"
#include "host/geom/xde_document.h"
#include "host/state.h"

namespace host {
namespace {

// The kernel's translators report progress and statistics on the console; the host shows none of it.
void quietKernel() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    });
}

Quantity_Color fromHost(int colour) {
    int r, g, b;
    hostColourRgb(colour, r, g, b);
    return Quantity_Color(r / 255.0, g / 255.0, b / 255.0, Quantity_TOC_sRGB);   // as the file holds it
}

int hostColourOf(int packed) {
    return packed < 0 ? kNoColour : nearestHostColour(packed >> 16 & 255, packed >> 8 & 255, packed & 255);
}

// A body of the reader's reply as a solid with host colours; empty when its BRep text does not read.
StepSolid solidOf(const StepReplyBody& body) {
    StepSolid s;
    s.name = body.name;
    s.colour = hostColourOf(body.colour);
    // The reader boxed every face already (host/geom/step_reply.h).
    const std::optional<ReadBrep> read = readMadeBrep(body.brep);
    std::optional<SolidGeom> geom = read ? solidFromBrep(*read, &body.faceBoxes) : std::nullopt;
    if (!geom) return s;
    // The reader gave the colours in the kernel's face order; the solid may have left out faces it
    // cannot use.
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(occtShape(*geom), TopAbs_FACE, faces);
    std::vector<int> colours;
    for (const FaceGeom& f : geom->faces()) {
        const int i = faces.FindIndex(occtFace(f));
        colours.push_back(i >= 1 && static_cast<std::size_t>(i) <= body.faceColours.size()
                              ? hostColourOf(body.faceColours[static_cast<std::size_t>(i - 1)])
                              : kNoColour);
    }
    s.solid = geom->withFaceColours(std::move(colours));
    return s;
}

constexpr std::uintmax_t kShownFrom = 1 << 20;

// A file of a megabyte and more is opened under the host's wait dialog, with Cancel: the reader's reading,
// whose share cannot be told, asks about Cancel as it works.
class OpeningProgress {
public:
    OpeningProgress(const std::string& path, std::uintmax_t bytes) : shown_(bytes >= kShownFrom) {
        if (shown_) DisplayWaitDialog(&cancel_, 0, 0, 1, "Opening a STEP file", path.c_str(), nullptr);
    }
    ~OpeningProgress() {
        if (shown_) ReleaseWaitDialog();
    }
    OpeningProgress(const OpeningProgress&) = delete;
    OpeningProgress& operator=(const OpeningProgress&) = delete;
    // True when the user cancelled.
    bool at(short percent) {
        if (shown_) SetPercentComplete(percent);
        return cancelled();
    }
    void status(const char* text) {
        if (shown_) ProgMeterSetStatus(text);
    }
    bool cancelled() const { return shown_ && cancel_ == 0; }

private:
    bool shown_;
    char cancel_ = 1;
};

// Why the file at `path` is not given to the reader, "" when it is: it is no plain file, or its first bytes
// are not a STEP file's. A FIFO or a device is not opened for reading (a FIFO would wait for a writer).
std::string notAStepFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return path + (errno == ENOENT || errno == ENOTDIR ? ": no such file" : ": cannot be read: " + std::string(std::strerror(errno)));
    if (S_ISDIR(st.st_mode)) return path + ": is a folder, not a STEP file";
    const auto special = [&path](mode_t mode) {
        const char* kind = S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : S_ISCHR(mode) || S_ISBLK(mode) ? "a device" : "not a plain file";
        return path + ": is a special file (" + kind + "), not a STEP file";
    };
    if (!S_ISREG(st.st_mode)) return special(st.st_mode);
    // Not blocking, and looked at again once open: what the path names may have been replaced meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return path + ": cannot be read: " + std::strerror(errno);
    std::string head(kStepHeadBytes, '\0');
    std::size_t got = 0;
    bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    while (regular && got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!regular) return special(st.st_mode);
    head.resize(got);
    if (!beginsAsStepFile(head)) return path + ": is not a STEP file: it does not begin with the header \"ISO-10303-21;\"";
    return {};
}

}  // namespace

StepImport importStep(const std::string& path, const StepImportOptions& options) {
    StepImport result;
    result.error = notAStepFile(path);
    if (!result.error.empty()) return result;
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
    OpeningProgress progress(path, ec ? 0 : bytes);
    auto cancelled = [&] {
        result.error = path + ": the open was cancelled";
        return result;
    };
    // The reader looks the file over first (step_scan.h's pre-scan, on the pass that makes the text its
    // kernel reads) and refuses what the kernel would not survive before the kernel reads it.
    progress.status("Reading the solids");
    const double megabytes = static_cast<double>(ec ? 0 : bytes) / (1 << 20);
    const double seconds = options.timeLimitSeconds > 0 ? options.timeLimitSeconds : 60 + 4 * megabytes;
    const long memoryMb = options.memoryLimitMb > 0 ? options.memoryLimitMb : 4096 + std::lround(64 * megabytes);
    const std::size_t maxOutput = static_cast<std::size_t>(memoryMb) << 20;
    // One reader answers a burst of imports: its start costs more than reading a small file. A file that
    // fails in a reader that read others is tried once more in a fresh one.
    StepReply reply;
    ProcessRun run;
    bool parsed = false;
    const unsigned faults = (options.failNamesAndColours ? kReaderFailNamesAndColours : 0u) |
                            (options.crashNamesAndColours ? kReaderCrashNamesAndColours : 0u) |
                            (options.skipPreScan ? kReaderSkipPreScan : 0u);
    for (bool fresh : {false, true}) {
        run = askStepReader(path, memoryMb, options.memoryLimitMb > 0, fresh, faults, seconds, maxOutput,
                            [&progress] { return progress.at(0); });
        reply = StepReply{};
        parsed = run.failure.empty() && parseStepReply(run.output, reply);
        if (!run.reused || run.stopped || (parsed && reply.error.empty())) break;
    }
    // A reader that crashed (in the kernel's reading of colours, names or layers, where a malformed style
    // brings it down) is asked once more for the solids alone.
    if (!run.failure.empty() && !run.stopped) {
        const ProcessRun plain = askStepReader(path, memoryMb, options.memoryLimitMb > 0, true, faults | kReaderPlain,
                                               seconds, maxOutput);
        StepReply solidsAlone;
        if (plain.failure.empty() && parseStepReply(plain.output, solidsAlone) && solidsAlone.error.empty()) {
            solidsAlone.warnings.insert(solidsAlone.warnings.begin(), "names and colours could not be read (" +
                                                                          run.failure +
                                                                          "); the solids are read without them");
            run = plain;
            reply = std::move(solidsAlone);
            parsed = true;
        }
    }
    if (run.cancelled) return cancelled();
    if (!run.failure.empty()) {
        result.error = path + ": " + run.failure;
        return result;
    }
    if (!parsed) {
        result.error = path + ": the STEP reader's reply is damaged";
        return result;
    }
    if (!reply.error.empty()) {
        result.error = path + ": " + reply.error;
        return result;
    }
    result.warnings = std::move(reply.warnings);
    progress.status("Making the solids");
    progress.at(90);
    // The texts are packed as a part file keeps them while the solids are made from them: saving the part
    // then writes them as they came instead of making them again.
    auto packing = std::async(std::launch::async, [&reply] {
        std::vector<std::shared_ptr<const std::string>> packed;
        for (const StepReplyBody& body : reply.bodies)
            packed.push_back(std::make_shared<const std::string>(db::packSealedGeometry(body.brep)));
        return packed;
    });
    std::vector<StepSolid> solids;
    for (const StepReplyBody& body : reply.bodies) solids.push_back(solidOf(body));
    const std::vector<std::shared_ptr<const std::string>> texts = packing.get();
    for (std::size_t i = 0; i < solids.size(); ++i) {
        if (solids[i].solid.empty()) continue;
        solids[i].solid.keepFileText(texts[i]);
        result.solids.push_back(std::move(solids[i]));
    }
    if (result.solids.empty()) {
        // Why, where the reader said: an assembly that holds itself, links it left aside, other files.
        result.error = path + ": the file holds no solids";
        for (std::size_t i = 0; i < result.warnings.size(); ++i)
            result.error += (i ? "; " : " (") + result.warnings[i] + (i + 1 == result.warnings.size() ? ")" : "");
    }
    return result;
}

std::string exportStep(const std::vector<StepSolid>& solids, const std::string& path) {
    quietKernel();
    if (solids.empty()) return "no solids to write";
    try {
        XdeDocument xde;
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xde.doc()->Main());
        Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(xde.doc()->Main());
        for (const StepSolid& s : solids) {
            if (s.solid.empty()) return "an empty solid cannot be written";
            TDF_Label label = shapes->AddShape(occtShape(s.solid), false);
            if (!s.name.empty()) TDataStd_Name::Set(label, TCollection_ExtendedString(s.name.c_str()));
            if (s.colour != kNoColour) colours->SetColor(label, fromHost(s.colour), XCAFDoc_ColorSurf);
            const std::vector<FaceGeom>& faces = s.solid.faces();
            for (std::size_t i = 0; i < faces.size(); ++i) {
                int c = s.solid.faceColours()[i];
                if (c == kNoColour) continue;
                TDF_Label sub = shapes->AddSubShape(label, occtFace(faces[i]));
                if (!sub.IsNull()) colours->SetColor(sub, fromHost(c), XCAFDoc_ColorSurf);
            }
        }
        STEPCAFControl_Writer writer;
        writer.SetColorMode(true);
        writer.SetNameMode(true);
        if (!writer.Transfer(xde.doc(), STEPControl_AsIs)) return "the solids cannot be put into STEP";
        if (writer.Write(path.c_str()) != IFSelect_RetDone) return path + ": cannot be written";
    } catch (const Standard_Failure& e) {
        return std::string("the STEP writer failed: ") + e.GetMessageString();
    }
    return {};
}

std::string openStepAsPart(const std::string& path, const StepImportOptions& options) {
    StepImport imported = importStep(path, options);
    if (!imported.ok()) return imported.error;
    newPart();
    for (const StepSolid& s : imported.solids)
        storeSolidEntity(s.solid, s.colour == kNoColour ? main_color : s.colour, main_level, s.name);
    for (const std::string& w : imported.warnings) mprintf((path + ": " + w + "\n").c_str());
    return {};
}

}  // namespace host
