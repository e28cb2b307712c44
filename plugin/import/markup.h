// CMarkup: one XML document held as its text with an index of its elements, walked element by element
// and edited in place. Offsets are byte offsets into the text; text is bytes of the system code page, and
// tag and attribute names compare exactly. The reader is lenient where XML is strict (several top-level
// elements, unknown entities kept as they are, any bytes in text) and keeps the document's own error texts.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMarkup {
public:
    // One element; entry 0 is the document, parent of the top-level elements. An empty element ("<a/>")
    // has its end tag where its start tag is. Offsets point at the '<' and '>' of each tag.
    struct ElemPos {
        std::int32_t startTagBegin = 0;
        std::int32_t startTagEnd = 0;
        std::int32_t endTagBegin = 0;
        std::int32_t endTagEnd = 0;
        std::int32_t reserved = 0;
        std::int32_t parent = 0;
        std::int32_t firstChild = 0;
        std::int32_t nextSibling = 0;
    };
    // Deeper nesting is refused as a parse error, so that no document can exhaust the stack.
    static constexpr int kMaxDepth = 256;

    CMarkup();
    CMarkup(const CMarkup&) = default;
    CMarkup& operator=(const CMarkup&) = default;
    virtual ~CMarkup();

    // Replaces the document and parses it; true when it holds at least one element. A parse error leaves
    // no element (getError tells why). The positions go back to the top either way.
    bool setDoc(std::string_view text);
    const std::string& getDoc() const { return doc_; }
    const std::string& getError() const { return error_; }

    // Navigation: an empty name matches any element.
    bool findElem(std::string_view name = {});
    bool findChildElem(std::string_view name = {});
    bool intoElem();
    bool outOfElem();
    std::string getTagName() const;

    // By entry: mainPos(), childPos() or any index below elemCount() + 1.
    std::string getAttrib(int position, std::string_view name) const;
    std::string getData(int position) const;
    bool setAttrib(int position, std::string_view name, std::string_view value);
    // A new element with `data` as its text: after the main one (it becomes the main one) or, with
    // `child`, under it (it becomes the child position). False for a name that is no tag name, or for a
    // child without a main element.
    bool addElem(std::string_view name, std::string_view data = {}, bool child = false);

    int parentPos() const { return parent_; }
    int mainPos() const { return main_; }
    int childPos() const { return child_; }
    int elemCount() const { return free_ - 1; }
    const ElemPos& elemPos(int position) const { return elems_[static_cast<std::size_t>(position)]; }

    // The five entities: "<", "&", ">" in text, and "'" and '"' too in attribute values. Decoding turns
    // those five back and leaves any other "&" sequence as it is.
    static std::string encodeText(std::string_view text, bool attribute);
    static std::string decodeText(std::string_view text);

private:
    struct ATTRIB_SPAN {
        std::size_t nameEnd = 0;
        std::size_t valueBegin = 0, valueEnd = 0;
        int valueKind = 0;   // 0 no "=", 1 unquoted, 2 quoted
    };

    bool parseDoc();
    int parseElem(int parent, std::size_t& pos, int depth);
    bool fail(std::string message);
    int failElem(std::string message);   // fail, as parseElem returns it
    bool valid(int position) const { return position > 0 && position < free_; }
    std::string_view nameAt(int position) const;
    bool findAttrib(int position, std::string_view name, ATTRIB_SPAN& span) const;
    // Replaces [from, to) of the text and moves every offset at or after `to` by the change in length.
    void replaceText(std::size_t from, std::size_t to, std::string_view with);
    int newElem(int parent, std::int32_t begin, std::string_view name, std::string_view encodedData);
    int lastChild(int parent) const;
    void linkAfter(int sibling, int parent, int elem);

    std::string doc_;
    std::string error_;
    std::vector<ElemPos> elems_;
    int parent_ = 0, main_ = 0, child_ = 0;
    int free_ = 1;
    int nodeType_ = 0;   // 1 while the main position is an element
};
