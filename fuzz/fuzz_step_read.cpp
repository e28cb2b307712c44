// The STEP reader process's reading of a STEP file (host/step_worker/step_read.h), in-process: a text the
// host's pre-scan lets through is read as the reader reads it (an odd-sized one as after a failed transfer
// with names and colours, root by root), its reply must be one the host reads, and its bodies are made as
// the host makes them. The fuzzer's time and memory limits (scripts/fuzz.sh) stand in for the process's.
#include "fuzz_support.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_reply.h"
#include "host/geom/step_scan.h"
#include "host/step_worker/step_read.h"

// As the reader process allocates (host/step_worker/fxstepread.cpp): zeroed, so that no input's reading
// depends on the inputs before it.
extern "C" const char* __asan_default_options() { return "malloc_fill_byte=0:max_malloc_fill_size=2147483647"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        host::worker::quietKernel();
        return fuzz::installPlugin() + "/fuzz.step";
    }();
    const std::string_view text = fuzz::text(data, size);
    if (!host::stepPreScan(text).empty()) return 0;
    if (!plat::writeFile(path, std::string(text))) std::abort();
    const std::string reply = host::worker::stepFileReply(path.c_str(), size % 2 == 1);
    host::StepReply read;
    if (!host::parseStepReply(reply, read)) __builtin_trap();
    for (const host::StepReplyBody& body : read.bodies)
        if (const std::optional<host::ReadBrep> made = host::readMadeBrep(body.brep)) (void)host::solidFromBrep(*made, &body.faceBoxes);
    return 0;
}
