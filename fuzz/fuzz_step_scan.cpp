// The STEP pre-scan (step_scan.h) and the STEP reader's reply parsers (step_reply.h: a STEP file's, a part's
// geometry's). The scan must find the same whatever the chunks it is fed in.
#include "fuzz_support.h"
#include "host/geom/step_reply.h"
#include "host/geom/step_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    const std::string whole = host::stepPreScan(text);
    host::StepPreScan chunked;
    const std::size_t step = 1 + (size > 0 ? data[0] % 7 : 0);
    for (std::size_t at = 0; at < size; at += step) chunked.feed(text.substr(at, step));
    if (chunked.finish() != whole) __builtin_trap();
    host::StepReply reply;
    (void)host::parseStepReply(text, reply);
    (void)host::parseGeometryReply(text, step);
    return 0;
}
