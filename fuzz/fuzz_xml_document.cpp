// The XML document: the input as the document text. A document that parses is walked whole (every tag
// name, attribute and text read), edited (an attribute set, elements added) and parsed again, which must
// give back the elements the edited index holds; the tree import reads it too.
#include <cstdlib>

#include "fuzz_support.h"
#include "plugin/import/markup.h"
#include "plugin/import/verta_tree_import.h"

namespace {

void walk(CMarkup& xml, int depth) {
    while (xml.findElem()) {
        (void)xml.getTagName();
        (void)xml.getAttrib(xml.mainPos(), "id");
        (void)xml.getData(xml.mainPos());
        if (depth < CMarkup::kMaxDepth && xml.intoElem()) {
            walk(xml, depth + 1);
            if (!xml.outOfElem()) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    CMarkup xml;
    const bool parsed = xml.setDoc(text);
    if (parsed != (xml.elemCount() > 0)) std::abort();
    VERTA_TREE tree;
    (void)parseTreeXml(text, tree);
    if (!parsed) return 0;
    walk(xml, 1);

    CMarkup edited;
    (void)edited.setDoc(text);
    if (!edited.findElem() || !edited.setAttrib(edited.mainPos(), "id", "a<&\"'>b")) std::abort();
    if (edited.getAttrib(edited.mainPos(), "id") != "a<&\"'>b") std::abort();
    if (!edited.addElem("child", "x & y", true) || !edited.addElem("next", "")) std::abort();
    CMarkup again;
    if (!again.setDoc(edited.getDoc()) || again.elemCount() != edited.elemCount()) std::abort();
    return 0;
}
