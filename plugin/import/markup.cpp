// The XML document: a recursive parse into the element index, navigation over it, and edits that keep the
// index in step with the text. Only elements are indexed; text, comments, processing instructions,
// declarations and CDATA sections are passed over and read back from the text when asked for.
#include "plugin/import/markup.h"

#include <cstdio>
#include <limits>

#include "platform/sys/text_lines.h"

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool endsName(char c) {
    return isSpace(c) || c == '<' || c == '>' || c == '=' || c == '\\' || c == '/' || c == '?' || c == '!';
}

bool isQuote(char c) { return c == '"' || c == '\''; }

std::string withName(const char* format, std::string_view name) {
    const std::string n(name);
    const int size = std::snprintf(nullptr, 0, format, n.c_str());
    std::string out(static_cast<std::size_t>(size), '\0');
    std::snprintf(out.data(), out.size() + 1, format, n.c_str());
    return out;
}

std::size_t skipSpace(const std::string& doc, std::size_t pos) {
    while (pos < doc.size() && isSpace(doc[pos])) ++pos;
    return pos;
}

std::size_t nameEnd(const std::string& doc, std::size_t pos) {
    while (pos < doc.size() && !endsName(doc[pos])) ++pos;
    return pos;
}

bool startsWith(const std::string& doc, std::size_t pos, std::string_view text) {
    return doc.compare(pos, text.size(), text) == 0;
}

// Passes over the markup at `pos` that is no element ("<?", "<!"); false when the text ends inside it.
// Comments and CDATA sections end at their own closing marks, a declaration at the ">" after its
// bracketed internal subset, if any.
bool skipOtherNode(const std::string& doc, std::size_t& pos) {
    auto skipPast = [&](std::size_t from, std::string_view close) {
        const std::size_t at = doc.find(close, from);
        if (at == std::string::npos) return false;
        pos = at + close.size();
        return true;
    };
    if (startsWith(doc, pos, "<!--")) return skipPast(pos + 4, "-->");
    if (startsWith(doc, pos, "<![CDATA[")) return skipPast(pos + 9, "]]>");
    if (doc[pos + 1] == '?') return skipPast(pos + 2, "?>");
    bool inSubset = false;
    for (std::size_t at = pos + 2; at < doc.size(); ++at) {
        const char c = doc[at];
        if (c == '[') inSubset = true;
        else if (c == ']') inSubset = false;
        else if (c == '>' && !inSubset) {
            pos = at + 1;
            return true;
        }
    }
    return false;
}

bool isOtherNode(const std::string& doc, std::size_t pos) {
    return pos + 1 < doc.size() && doc[pos] == '<' && (doc[pos + 1] == '?' || doc[pos + 1] == '!');
}

bool validName(std::string_view name) {
    if (name.empty() || isQuote(name[0])) return false;
    for (char c : name)
        if (endsName(c) || isQuote(c) || c == '\0') return false;
    return true;
}

}  // namespace

CMarkup::CMarkup() { setDoc({}); }

CMarkup::~CMarkup() = default;

bool CMarkup::setDoc(std::string_view text) {
    // A document saved with a byte order mark starts at its first element all the same.
    doc_.assign(plat::withoutByteOrderMark(text));
    elems_.clear();
    elems_.reserve(text.size() / 64 + 8);
    elems_.emplace_back();
    free_ = 1;
    parent_ = main_ = child_ = 0;
    nodeType_ = 0;
    error_.clear();
    if (!parseDoc()) {
        elems_.resize(1);
        elems_[0] = ElemPos{};
        free_ = 1;
        return false;
    }
    return elems_[0].firstChild != 0;
}

bool CMarkup::fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
}

int CMarkup::failElem(std::string message) {
    fail(std::move(message));
    return -1;
}

bool CMarkup::parseDoc() {
    if (doc_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return fail("Document too large");
    std::size_t pos = 0;
    int last = 0;
    for (;;) {
        pos = skipSpace(doc_, pos);
        if (pos == doc_.size()) return true;
        if (isOtherNode(doc_, pos)) {
            if (!skipOtherNode(doc_, pos)) return fail("End of tag not found");
            continue;
        }
        const int elem = parseElem(0, pos, 1);
        if (elem < 0) return false;
        linkAfter(last, 0, elem);
        last = elem;
    }
}

// `pos` is at the element's "<" (the callers pass over text, comments and the like first) and ends after
// its last ">". Returns the element's entry, or -1 after setting the error.
int CMarkup::parseElem(int parent, std::size_t& pos, int depth) {
    if (pos >= doc_.size() || doc_[pos] != '<') return failElem("Element tag not found");
    const std::size_t begin = pos++;
    if (pos == doc_.size()) return failElem("Abrupt end within tag");
    if (isQuote(doc_[pos])) return failElem("Tag starts with quote");
    const std::size_t nameBegin = pos;
    pos = nameEnd(doc_, pos);
    if (pos == nameBegin) return failElem("Invalid node");
    const std::string_view name(doc_.data() + nameBegin, pos - nameBegin);

    const int elem = free_++;
    elems_.emplace_back();
    elems_[elem].parent = parent;
    elems_[elem].startTagBegin = static_cast<std::int32_t>(begin);
    bool empty = false;
    for (;;) {
        if (pos == doc_.size()) return failElem("Abrupt end within tag");
        const char c = doc_[pos];
        if (c == '>') break;
        if (c == '/' && pos + 1 < doc_.size() && doc_[pos + 1] == '>') {
            empty = true;
            ++pos;
            break;
        }
        if (c == '<') return failElem("End of tag not found");
        if (isQuote(c)) {
            const std::size_t close = doc_.find(c, pos + 1);
            if (close == std::string::npos) return failElem("Abrupt end within tag");
            pos = close;
        }
        ++pos;
    }
    ElemPos& e = elems_[elem];
    e.startTagEnd = static_cast<std::int32_t>(pos);
    ++pos;
    if (empty) {
        e.endTagBegin = e.startTagBegin;
        e.endTagEnd = e.startTagEnd;
        return elem;
    }

    int last = 0;
    for (;;) {
        pos = doc_.find('<', pos);
        if (pos == std::string::npos) return failElem(withName("End tag of %s element not found", name));
        if (pos + 1 < doc_.size() && doc_[pos + 1] == '/') break;
        if (isOtherNode(doc_, pos)) {
            if (!skipOtherNode(doc_, pos)) return failElem("End of tag not found");
            continue;
        }
        if (depth >= kMaxDepth) return failElem("Elements nested deeper than " + std::to_string(kMaxDepth) + " levels");
        const int child = parseElem(elem, pos, depth + 1);
        if (child < 0) return -1;
        linkAfter(last, elem, child);
        last = child;
    }
    const std::size_t endBegin = pos;
    pos += 2;
    const std::size_t endNameBegin = pos;
    pos = nameEnd(doc_, pos);
    if (pos == endNameBegin) return failElem(withName("Expecting end tag of element %s", name));
    if (std::string_view(doc_.data() + endNameBegin, pos - endNameBegin) != name)
        return failElem(withName("End tag does not correspond to %s", name));
    pos = skipSpace(doc_, pos);
    if (pos == doc_.size() || doc_[pos] != '>') return failElem(withName("End tag not completed for element %s", name));
    elems_[elem].endTagBegin = static_cast<std::int32_t>(endBegin);
    elems_[elem].endTagEnd = static_cast<std::int32_t>(pos);
    ++pos;
    return elem;
}

void CMarkup::linkAfter(int sibling, int parent, int elem) {
    elems_[elem].parent = parent;
    if (sibling) {
        elems_[elem].nextSibling = elems_[sibling].nextSibling;
        elems_[sibling].nextSibling = elem;
    } else {
        elems_[elem].nextSibling = elems_[parent].firstChild;
        elems_[parent].firstChild = elem;
    }
}

int CMarkup::lastChild(int parent) const {
    int last = 0;
    for (int i = elems_[parent].firstChild; i; i = elems_[i].nextSibling) last = i;
    return last;
}

// ---- navigation ------------------------------------------------------------------------------------------

std::string_view CMarkup::nameAt(int position) const {
    const std::size_t begin = static_cast<std::size_t>(elems_[position].startTagBegin) + 1;
    return std::string_view(doc_).substr(begin, nameEnd(doc_, begin) - begin);
}

bool CMarkup::findElem(std::string_view name) {
    for (int i = main_ ? elems_[main_].nextSibling : elems_[parent_].firstChild; i; i = elems_[i].nextSibling) {
        if (name.empty() || nameAt(i) == name) {
            main_ = i;
            child_ = 0;
            nodeType_ = 1;
            return true;
        }
    }
    return false;
}

bool CMarkup::findChildElem(std::string_view name) {
    if (!main_ && !findElem()) return false;
    for (int i = child_ ? elems_[child_].nextSibling : elems_[main_].firstChild; i; i = elems_[i].nextSibling) {
        if (name.empty() || nameAt(i) == name) {
            child_ = i;
            return true;
        }
    }
    return false;
}

bool CMarkup::intoElem() {
    if (!main_ || nodeType_ != 1) return false;
    parent_ = main_;
    main_ = child_;
    child_ = 0;
    nodeType_ = main_ ? 1 : 0;
    return true;
}

bool CMarkup::outOfElem() {
    if (!parent_) return false;
    child_ = main_;
    main_ = parent_;
    parent_ = elems_[parent_].parent;
    nodeType_ = 1;
    return true;
}

std::string CMarkup::getTagName() const { return main_ ? std::string(nameAt(main_)) : std::string(); }

// ---- attributes and data ---------------------------------------------------------------------------------

bool CMarkup::findAttrib(int position, std::string_view name, ATTRIB_SPAN& span) const {
    if (!valid(position)) return false;
    const ElemPos& e = elems_[position];
    const std::size_t end = static_cast<std::size_t>(e.startTagEnd);
    // The closing quote at or before the tag's end (the parse matched every quote inside the tag).
    auto closeQuote = [&](std::size_t open) {
        const std::size_t close = doc_.find(doc_[open], open + 1);
        return close == std::string::npos || close > end ? end : close;
    };
    auto endsAttribName = [](char c) { return isSpace(c) || c == '=' || c == '>' || c == '/' || isQuote(c); };
    std::size_t pos = static_cast<std::size_t>(e.startTagBegin) + 1 + nameAt(position).size();
    while (pos < end) {
        const char c = doc_[pos];
        if (isQuote(c)) {   // a quoted text that is no value names nothing
            pos = closeQuote(pos) + 1;
            continue;
        }
        if (endsAttribName(c)) {
            ++pos;
            continue;
        }
        const std::size_t nameBegin = pos;
        while (pos < end && !endsAttribName(doc_[pos])) ++pos;
        ATTRIB_SPAN s;
        s.nameEnd = s.valueBegin = s.valueEnd = pos;
        std::size_t after = skipSpace(doc_, pos);
        if (after < end && doc_[after] == '=') {
            const std::size_t equals = after;
            after = skipSpace(doc_, equals + 1);
            if (after < end && isQuote(doc_[after])) {
                s.valueKind = 2;
                s.valueBegin = after + 1;
                s.valueEnd = closeQuote(after);
                pos = s.valueEnd + 1;
            } else {
                // An unquoted value starts right after the "="; after a blank, what follows is the next
                // attribute ("a= b='1'" holds an empty a and b).
                s.valueKind = 1;
                s.valueBegin = pos = after == equals + 1 ? after : equals + 1;
                // A quote ends it too, so that a new quoted value leaves the tag's quotes paired.
                while (pos < end && !isSpace(doc_[pos]) && !isQuote(doc_[pos]) && !(doc_[pos] == '/' && pos + 1 == end))
                    ++pos;
                s.valueEnd = pos;
            }
        }
        if (std::string_view(doc_.data() + nameBegin, s.nameEnd - nameBegin) == name) {
            span = s;
            return true;
        }
    }
    return false;
}

std::string CMarkup::getAttrib(int position, std::string_view name) const {
    ATTRIB_SPAN span;
    if (!findAttrib(position, name, span)) return {};
    return decodeText(std::string_view(doc_).substr(span.valueBegin, span.valueEnd - span.valueBegin));
}

// The text between the tags: CDATA sections as they stand, the rest with entities decoded; comments and
// processing instructions in it are no data.
std::string CMarkup::getData(int position) const {
    if (!valid(position)) return {};
    const ElemPos& e = elems_[position];
    if (e.firstChild || e.endTagBegin == e.startTagBegin) return {};
    std::string out;
    std::size_t pos = static_cast<std::size_t>(e.startTagEnd) + 1;
    const auto end = static_cast<std::size_t>(e.endTagBegin);
    while (pos < end) {
        std::size_t node = doc_.find('<', pos);
        if (node >= end) node = end;
        out += decodeText(std::string_view(doc_).substr(pos, node - pos));
        if (node == end) break;
        std::size_t after = node;
        skipOtherNode(doc_, after);   // the parse found every such node complete before the end tag
        if (startsWith(doc_, node, "<![CDATA[")) out.append(doc_, node + 9, after - 3 - (node + 9));
        pos = after;
    }
    return out;
}

// ---- edits -----------------------------------------------------------------------------------------------

void CMarkup::replaceText(std::size_t from, std::size_t to, std::string_view with) {
    const auto delta = static_cast<std::int32_t>(with.size()) - static_cast<std::int32_t>(to - from);
    doc_.replace(from, to - from, with);
    const auto limit = static_cast<std::int32_t>(to);
    for (int i = 1; i < free_; ++i) {
        ElemPos& e = elems_[i];
        for (std::int32_t* offset : {&e.startTagBegin, &e.startTagEnd, &e.endTagBegin, &e.endTagEnd})
            if (*offset >= limit) *offset += delta;
    }
}

bool CMarkup::setAttrib(int position, std::string_view name, std::string_view value) {
    if (!valid(position) || !validName(name)) return false;
    const std::string encoded = encodeText(value, true);
    ATTRIB_SPAN span;
    if (findAttrib(position, name, span)) {
        switch (span.valueKind) {
        case 2: replaceText(span.valueBegin, span.valueEnd, encoded); break;
        case 1: replaceText(span.valueBegin, span.valueEnd, "\"" + encoded + "\""); break;
        default: replaceText(span.nameEnd, span.nameEnd, "=\"" + encoded + "\""); break;
        }
        return true;
    }
    const ElemPos& e = elems_[position];
    std::size_t at = static_cast<std::size_t>(e.startTagEnd);
    if (e.endTagBegin == e.startTagBegin && doc_[at - 1] == '/') --at;
    replaceText(at, at, " " + std::string(name) + "=\"" + encoded + "\"");
    return true;
}

// The new element's text starts at `begin`; its entry is added, not yet linked.
int CMarkup::newElem(int parent, std::int32_t begin, std::string_view name, std::string_view encodedData) {
    ElemPos e;
    e.parent = parent;
    e.startTagBegin = begin;
    const auto n = static_cast<std::int32_t>(name.size());
    if (encodedData.empty()) {
        e.startTagEnd = begin + n + 2;
        e.endTagBegin = e.startTagBegin;
        e.endTagEnd = e.startTagEnd;
    } else {
        e.startTagEnd = begin + n + 1;
        e.endTagBegin = e.startTagEnd + 1 + static_cast<std::int32_t>(encodedData.size());
        e.endTagEnd = e.endTagBegin + n + 2;
    }
    elems_.push_back(e);
    return free_++;
}

bool CMarkup::addElem(std::string_view name, std::string_view data, bool child) {
    if (!validName(name)) return false;
    if (child && !main_) return false;
    const std::string encoded = encodeText(data, false);
    const std::string n(name);
    const std::string text = encoded.empty() ? "<" + n + "/>" : "<" + n + ">" + encoded + "</" + n + ">";
    const int parent = child ? main_ : parent_;
    int after = child ? child_ : main_;
    if (!after) after = lastChild(parent);

    int elem = 0;
    if (after) {
        const std::size_t at = static_cast<std::size_t>(elems_[after].endTagEnd) + 1;
        replaceText(at, at, "\r\n" + text);
        elem = newElem(parent, static_cast<std::int32_t>(at + 2), name, encoded);
        linkAfter(after, parent, elem);
    } else if (parent == 0) {
        const std::size_t at = doc_.size();
        const std::string lead = doc_.empty() || doc_.back() == '\n' ? "" : "\r\n";
        replaceText(at, at, lead + text + "\r\n");
        elem = newElem(0, static_cast<std::int32_t>(at + lead.size()), name, encoded);
        linkAfter(0, 0, elem);
    } else if (elems_[parent].endTagBegin == elems_[parent].startTagBegin) {
        // An empty element is opened up: "/>" becomes ">", the new element and the parent's own end tag.
        // A slash before it stays apart from the ">", or the tag would still close itself.
        const std::size_t close = static_cast<std::size_t>(elems_[parent].startTagEnd);
        const std::string parentName(nameAt(parent));
        const std::string open = doc_[close - 2] == '/' ? " >" : ">";
        replaceText(close - 1, close + 1, open + "\r\n" + text + "\r\n</" + parentName + ">");
        ElemPos& p = elems_[parent];
        p.startTagEnd = static_cast<std::int32_t>(close - 2 + open.size());
        p.endTagBegin = p.startTagEnd + 3 + static_cast<std::int32_t>(text.size()) + 2;
        p.endTagEnd = p.endTagBegin + 2 + static_cast<std::int32_t>(parentName.size());
        elem = newElem(parent, p.startTagEnd + 3, name, encoded);
        linkAfter(0, parent, elem);
    } else {
        const std::size_t at = static_cast<std::size_t>(elems_[parent].endTagBegin);
        const std::string lead = doc_[at - 1] == '\n' ? "" : "\r\n";
        replaceText(at, at, lead + text + "\r\n");
        elem = newElem(parent, static_cast<std::int32_t>(at + lead.size()), name, encoded);
        linkAfter(0, parent, elem);
    }
    if (child) {
        child_ = elem;
    } else {
        main_ = elem;
        child_ = 0;
        nodeType_ = 1;
    }
    return true;
}

// ---- entities --------------------------------------------------------------------------------------------

std::string CMarkup::encodeText(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '&': out += "&amp;"; break;
        case '>': out += "&gt;"; break;
        case '\'': out += attribute ? "&apos;" : "'"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string CMarkup::decodeText(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool decoded = false;
        if (text[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.substr(i, entity.size()) == entity) {
                    out += c;
                    i += entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) out += text[i++];
    }
    return out;
}
