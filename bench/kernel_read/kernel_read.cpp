// fx_kernel_read FILE: the kernel's own read of a STEP file, as the benchmark of the STEP open sets ours
// beside it (bench/step_open_bench.cpp): the kernel's translator with names and colours into a document,
// its shapes transferred, the document closed; nothing of ours but the two header-only lines that set the
// translator as our reader sets it (names and colours, no layers, properties, tolerances, materials or
// views) and hold the document, and the header-only stamp of its spawn. Prints "<CPU seconds> <clock
// seconds>": the CPU of the whole process and the clock from its spawn (its start and libraries counted in
// both, as the open's are; from main when not stamped) to the end of the transfer. The document and the
// reader are never torn down: the program leaves by _exit, as a reader process that hands its shapes on
// may, and as ours does. Exit 1 when the file does not read.
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDF_LabelSequence.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <chrono>
#include <cstdio>
#include <ctime>

#include <unistd.h>

#include "host/geom/xde_document.h"
#include "platform/sys/clock.h"

int main(int argc, char** argv) {
    const auto begun = plat::startedAt(std::chrono::steady_clock::now());
    if (argc != 2) {
        std::fputs("usage: fx_kernel_read FILE\n", stderr);
        return 2;
    }
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    // Held to the end, never destroyed: their teardown is no part of a read.
    auto* xde = new host::XdeDocument;
    auto* reader = new STEPCAFControl_Reader;
    host::readNamesAndColoursOnly(*reader);
    bool read = reader->ReadFile(argv[1]) == IFSelect_RetDone && reader->Transfer(xde->doc());
    TDF_LabelSequence free;
    XCAFDoc_DocumentTool::ShapeTool(xde->doc()->Main())->GetFreeShapes(free);
    read = read && free.Length() > 0;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const std::chrono::duration<double> clock = std::chrono::steady_clock::now() - begun;
    std::printf("%.6f %.6f\n", static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9, clock.count());
    std::fflush(stdout);
    _exit(read ? 0 : 1);
}
