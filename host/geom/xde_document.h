// A fresh document of the kernel's extended data exchange (shapes with names and colours), closed when
// its holder goes; for the STEP writer and the reader process. And the kernel's STEP reader set to read
// into one what the host takes.
#pragma once
#include <STEPCAFControl_Reader.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>

namespace host {

class XdeDocument {
public:
    XdeDocument() : app_(XCAFApp_Application::GetApplication()) {
        app_->NewDocument(TCollection_ExtendedString("MDTV-XCAF"), doc_);
    }
    ~XdeDocument() {
        if (!doc_.IsNull()) app_->Close(doc_);
    }
    XdeDocument(const XdeDocument&) = delete;
    XdeDocument& operator=(const XdeDocument&) = delete;
    Handle(TDocStd_Document)& doc() { return doc_; }

private:
    Handle(XCAFApp_Application) app_;
    Handle(TDocStd_Document) doc_;
};

// Names and colours: the host takes nothing else of the product data, so layers, properties, tolerances,
// materials and views are not looked for.
inline void readNamesAndColoursOnly(STEPCAFControl_Reader& reader) {
    reader.SetColorMode(true);
    reader.SetNameMode(true);
    reader.SetLayerMode(false);
    reader.SetPropsMode(false);
    reader.SetGDTMode(false);
    reader.SetMatMode(false);
    reader.SetViewMode(false);
}

}  // namespace host
