// A fresh document of the kernel's extended data exchange (shapes with names and colours), closed when
// its holder goes; for the STEP writer and the reader process.
#pragma once
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

}  // namespace host
