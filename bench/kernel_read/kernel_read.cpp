// fx_kernel_read FILE: the kernel's own read of a STEP file, as the benchmark of the STEP open sets ours
// beside it (bench/step_open_bench.cpp): the kernel's translator with names and colours into a document,
// its shapes transferred, the document closed; nothing of ours. It asks for what our reader asks: names and
// colours, no layers, properties, tolerances, materials or views. Prints "<CPU seconds> <clock seconds>":
// the CPU of the whole process (its start and libraries counted, as the open's are), the clock from its
// start in main. Exit 1 when the file does not read.
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <chrono>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    const auto begun = std::chrono::steady_clock::now();
    if (argc != 2) {
        std::fputs("usage: fx_kernel_read FILE\n", stderr);
        return 2;
    }
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    const Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    bool read = false;
    {
        Handle(TDocStd_Document) doc;
        app->NewDocument(TCollection_ExtendedString("MDTV-XCAF"), doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        reader.SetLayerMode(false);
        reader.SetPropsMode(false);
        reader.SetGDTMode(false);
        reader.SetMatMode(false);
        reader.SetViewMode(false);
        read = reader.ReadFile(argv[1]) == IFSelect_RetDone && reader.Transfer(doc);
        TDF_LabelSequence free;
        XCAFDoc_DocumentTool::ShapeTool(doc->Main())->GetFreeShapes(free);
        read = read && free.Length() > 0;
        app->Close(doc);
    }
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const std::chrono::duration<double> clock = std::chrono::steady_clock::now() - begun;
    std::printf("%.6f %.6f\n", static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9, clock.count());
    return read ? 0 : 1;
}
