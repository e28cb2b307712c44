// The STEP pre-scan (step_scan.h), the text made from its spans for the kernel's reader, and the STEP reader's
// reply parsers (step_reply.h: a STEP file's, a part's geometry's). The scan must find the same whatever the
// chunks it is fed in.
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
    // The reader's text made from the scan's spans, and unset strings set in it.
    host::StepReaderText given = host::stepTextForReader(text);
    if (given.text.size() > text.size() + 2 * size + 16) __builtin_trap();
    (void)host::setUnsetStringsEmpty(given.text, {{1, 1}, {2, step}, {5, 3}});
    host::StepReply reply;
    (void)host::parseStepReply(text, reply);
    (void)host::parseGeometryReply(text, step);
    return 0;
}
