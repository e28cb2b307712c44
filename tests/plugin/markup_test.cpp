// The XML document: each parse error with its text, the nesting limit, navigation, entities, and edits
// that keep the element index in step with the text (checked against a fresh parse of the edited text).
#include <gtest/gtest.h>

#include <string>

#include "plugin/import/markup.h"

namespace {

// The edited document's index, walked in document order, against a fresh parse of its text: the same
// elements with the same tag offsets.
void expectSameTree(const CMarkup& edited, int e, const CMarkup& fresh, int f) {
    for (e = edited.elemPos(e).firstChild, f = fresh.elemPos(f).firstChild; e && f;
         e = edited.elemPos(e).nextSibling, f = fresh.elemPos(f).nextSibling) {
        const CMarkup::ElemPos& a = edited.elemPos(e);
        const CMarkup::ElemPos& b = fresh.elemPos(f);
        EXPECT_EQ(a.startTagBegin, b.startTagBegin) << "entry " << e;
        EXPECT_EQ(a.startTagEnd, b.startTagEnd) << "entry " << e;
        EXPECT_EQ(a.endTagBegin, b.endTagBegin) << "entry " << e;
        EXPECT_EQ(a.endTagEnd, b.endTagEnd) << "entry " << e;
        EXPECT_EQ(a.parent ? edited.elemPos(a.parent).startTagBegin : -1,
                  b.parent ? fresh.elemPos(b.parent).startTagBegin : -1) << "entry " << e;
        expectSameTree(edited, e, fresh, f);
    }
    EXPECT_EQ(e, 0) << "an element the text does not hold";
    EXPECT_EQ(f, 0) << "an element the index lacks";
}

void expectIndexMatchesText(const CMarkup& xml) {
    CMarkup fresh;
    ASSERT_TRUE(fresh.setDoc(xml.getDoc())) << fresh.getError() << "\n" << xml.getDoc();
    ASSERT_EQ(fresh.elemCount(), xml.elemCount()) << xml.getDoc();
    expectSameTree(xml, 0, fresh, 0);
}

std::string nested(int depth) {
    std::string text;
    for (int k = 0; k < depth; ++k) text += "<e>";
    for (int k = 0; k < depth; ++k) text += "</e>";
    return text;
}

TEST(MarkupTest, EachMalformedDocumentGivesItsErrorAndNoElement) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"plain text", "Element tag not found"},
        {"<a/> and text after it", "Element tag not found"},
        {"<\"a\"/>", "Tag starts with quote"},
        {"< a/>", "Invalid node"},
        {"<a><>text</></a>", "Invalid node"},
        {"</a>", "Invalid node"},
        {"<a b='1' <c/>", "End of tag not found"},
        {"<a><!-- never closed</a>", "End of tag not found"},
        {"<a b=\"1", "Abrupt end within tag"},
        {"<a b=\"1>", "Abrupt end within tag"},
        {"<", "Abrupt end within tag"},
        {"<a><b/>", "End tag of a element not found"},
        {"<a>text", "End tag of a element not found"},
        {"<a></>", "Expecting end tag of element a"},
        {"<a></b>", "End tag does not correspond to a"},
        {"<a><b></a></b>", "End tag does not correspond to b"},
        {"<a></a", "End tag not completed for element a"},
        {"<a></a x>", "End tag not completed for element a"},
    };
    for (const Case& c : cases) {
        CMarkup xml;
        EXPECT_FALSE(xml.setDoc(c.text)) << c.text;
        EXPECT_EQ(xml.getError(), c.error) << c.text;
        EXPECT_EQ(xml.elemCount(), 0) << c.text;
        EXPECT_FALSE(xml.findElem()) << c.text;
    }
}

TEST(MarkupTest, EmptyTextAndMarkupWithoutElementsAreNoError) {
    for (const char* text : {"", " \r\n\t", "<?xml version=\"1.0\"?>\r\n<!-- nothing -->\r\n"}) {
        CMarkup xml;
        EXPECT_FALSE(xml.setDoc(text)) << text;
        EXPECT_EQ(xml.getError(), "") << text;
        EXPECT_EQ(xml.elemCount(), 0);
    }
}

TEST(MarkupTest, NestingBeyondTheLimitIsRefusedNotRecursedInto) {
    CMarkup xml;
    EXPECT_TRUE(xml.setDoc(nested(CMarkup::kMaxDepth))) << xml.getError();
    EXPECT_EQ(xml.elemCount(), CMarkup::kMaxDepth);
    EXPECT_FALSE(xml.setDoc(nested(CMarkup::kMaxDepth + 1)));
    EXPECT_EQ(xml.getError(), "Elements nested deeper than 256 levels");
    // Deep enough to exhaust the stack of a parse that recursed without a limit.
    EXPECT_FALSE(xml.setDoc(nested(500000)));
    EXPECT_EQ(xml.elemCount(), 0);
}

TEST(MarkupTest, ElementsAreFoundByLevelAndName) {
    CMarkup xml;
    ASSERT_TRUE(xml.setDoc("<a><b/></a>"));
    EXPECT_EQ(xml.elemCount(), 2);
    EXPECT_TRUE(xml.findElem("a"));
    EXPECT_TRUE(xml.intoElem());
    EXPECT_TRUE(xml.findElem("b"));
    EXPECT_EQ(xml.getTagName(), "b");

    const char* doc =
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE r [ <!ENTITY x \"<y>\"> ]>\r\n<!-- a > b -->\r\n"
        "<r>\r\n  <p id=\"1\"/>\r\n  <q>one<![CDATA[ <p/> ]]></q>\r\n  <p id=\"2\"><s/><t/><s/></p>\r\n</r>\r\n"
        "<r2/>\r\n";
    ASSERT_TRUE(xml.setDoc(doc)) << xml.getError();
    EXPECT_EQ(xml.elemCount(), 8);
    EXPECT_EQ(xml.getTagName(), "");
    EXPECT_FALSE(xml.intoElem()) << "no main position";
    EXPECT_FALSE(xml.outOfElem()) << "at the top";
    EXPECT_TRUE(xml.findElem("r"));
    EXPECT_TRUE(xml.findChildElem("p"));
    EXPECT_EQ(xml.getAttrib(xml.childPos(), "id"), "1");
    EXPECT_TRUE(xml.findChildElem("p"));
    EXPECT_EQ(xml.getAttrib(xml.childPos(), "id"), "2");
    EXPECT_FALSE(xml.findChildElem("p"));
    EXPECT_TRUE(xml.intoElem());   // into r: the second p is the main position
    EXPECT_EQ(xml.getTagName(), "p");
    EXPECT_EQ(xml.getAttrib(xml.mainPos(), "id"), "2");
    EXPECT_TRUE(xml.intoElem());
    EXPECT_TRUE(xml.findElem("s"));
    EXPECT_TRUE(xml.findElem("s"));
    EXPECT_FALSE(xml.findElem("t")) << "t lies before the main position";
    EXPECT_TRUE(xml.outOfElem());
    EXPECT_EQ(xml.getTagName(), "p");
    EXPECT_EQ(xml.getTagName(), "p");
    EXPECT_TRUE(xml.outOfElem());
    EXPECT_EQ(xml.getTagName(), "r");
    EXPECT_TRUE(xml.findElem());
    EXPECT_EQ(xml.getTagName(), "r2");
    EXPECT_FALSE(xml.findElem());
    EXPECT_FALSE(xml.outOfElem());

    // findChildElem without a main position takes the first element first.
    ASSERT_TRUE(xml.setDoc(doc));
    EXPECT_TRUE(xml.findChildElem("q"));
    EXPECT_EQ(xml.getTagName(), "r");
    EXPECT_EQ(xml.getData(xml.childPos()), "one <p/> ");
}

TEST(MarkupTest, PositionsPointAtTheTagsOfEachElement) {
    CMarkup xml;
    const std::string doc = "<a x='>'>\n <b/>\n</a>";
    ASSERT_TRUE(xml.setDoc(doc));
    const CMarkup::ElemPos a = xml.elemPos(1), b = xml.elemPos(2);
    EXPECT_EQ(a.startTagBegin, 0);
    EXPECT_EQ(a.startTagEnd, 8);
    EXPECT_EQ(a.endTagBegin, 16);
    EXPECT_EQ(a.endTagEnd, 19);
    EXPECT_EQ(a.firstChild, 2);
    EXPECT_EQ(b.startTagBegin, 11);
    EXPECT_EQ(b.startTagEnd, 14);
    EXPECT_EQ(b.endTagBegin, b.startTagBegin);
    EXPECT_EQ(b.endTagEnd, b.startTagEnd);
    EXPECT_EQ(b.parent, 1);
    EXPECT_EQ(xml.getAttrib(1, "x"), ">");
}

TEST(MarkupTest, EntitiesAreDecodedAndOthersKept) {
    CMarkup xml;
    ASSERT_TRUE(xml.setDoc("<e a=\"x &amp; y\" b='&lt;&gt;&apos;&quot;' c=\"&nbsp;&amp\" ab=plain d>"
                           "1 &lt; 2 &amp;&amp; &copy; &gt;</e>"));
    EXPECT_EQ(xml.getAttrib(1, "a"), "x & y");
    EXPECT_EQ(xml.getAttrib(1, "b"), "<>'\"");
    EXPECT_EQ(xml.getAttrib(1, "c"), "&nbsp;&amp");
    EXPECT_EQ(xml.getAttrib(1, "ab"), "plain");
    EXPECT_EQ(xml.getAttrib(1, "d"), "");
    EXPECT_EQ(xml.getAttrib(1, "A"), "") << "names compare exactly";
    EXPECT_EQ(xml.getAttrib(1, "missing"), "");
    EXPECT_EQ(xml.getAttrib(7, "a"), "") << "no such entry";
    EXPECT_EQ(xml.getData(1), "1 < 2 && &copy; >");

    ASSERT_TRUE(xml.setDoc("<e><![CDATA[a &amp; <b>]]></e><f><g>x</g></f><h/>"));
    EXPECT_EQ(xml.getData(1), "a &amp; <b>") << "a CDATA section comes back unchanged";
    EXPECT_EQ(xml.getData(2), "") << "an element with children has no data";
    EXPECT_EQ(xml.getData(3), "x");
    EXPECT_EQ(xml.getData(4), "");

    const std::string raw = "a<b>&c'd\"e";
    EXPECT_EQ(CMarkup::encodeText(raw, false), "a&lt;b&gt;&amp;c'd\"e");
    EXPECT_EQ(CMarkup::encodeText(raw, true), "a&lt;b&gt;&amp;c&apos;d&quot;e");
    EXPECT_EQ(CMarkup::decodeText(CMarkup::encodeText(raw, true)), raw);
}

TEST(MarkupTest, SetAttribReplacesOrAddsAndMovesTheElementsAfter) {
    CMarkup xml;
    ASSERT_TRUE(xml.setDoc("<r>\r\n<a k=\"1\" m=two/>\r\n<b n><c/></b>\r\n<d></d>\r\n</r>"));
    EXPECT_TRUE(xml.setAttrib(2, "k", "longer & \"quoted\""));
    EXPECT_EQ(xml.getAttrib(2, "k"), "longer & \"quoted\"");
    EXPECT_TRUE(xml.setAttrib(2, "m", "3"));
    EXPECT_TRUE(xml.setAttrib(2, "new", "<x>"));
    EXPECT_TRUE(xml.setAttrib(3, "n", "v"));
    EXPECT_TRUE(xml.setAttrib(5, "e", "5"));
    EXPECT_TRUE(xml.setAttrib(4, "k", ""));
    EXPECT_EQ(xml.getDoc(),
              "<r>\r\n<a k=\"longer &amp; &quot;quoted&quot;\" m=\"3\" new=\"&lt;x&gt;\"/>\r\n<b n=\"v\"><c k=\"\"/></b>"
              "\r\n<d e=\"5\"></d>\r\n</r>");
    EXPECT_EQ(xml.getAttrib(2, "new"), "<x>");
    EXPECT_EQ(xml.getAttrib(2, "m"), "3");
    EXPECT_EQ(xml.getAttrib(5, "e"), "5");
    expectIndexMatchesText(xml);
    EXPECT_FALSE(xml.setAttrib(2, "bad name", "x"));

    // A bare "=" followed by a blank holds an empty value; the name after it is an attribute of its own.
    ASSERT_TRUE(xml.setDoc("<r a= id='1' b=2/>"));
    EXPECT_EQ(xml.getAttrib(1, "a"), "");
    EXPECT_EQ(xml.getAttrib(1, "id"), "1");
    EXPECT_TRUE(xml.setAttrib(1, "a", "x"));
    EXPECT_EQ(xml.getDoc(), "<r a=\"x\" id='1' b=2/>");
    ASSERT_TRUE(xml.setDoc("<r a=>t</r>"));
    EXPECT_TRUE(xml.setAttrib(1, "id", "v"));
    EXPECT_EQ(xml.getAttrib(1, "id"), "v");
    EXPECT_EQ(xml.getAttrib(1, "a"), "");
    EXPECT_FALSE(xml.setAttrib(0, "k", "x")) << "the document has no attributes";
}

TEST(MarkupTest, AddElemPlacesEachElementOnItsOwnLine) {
    CMarkup xml;
    EXPECT_TRUE(xml.addElem("Root"));
    EXPECT_TRUE(xml.addElem("Version", "3", true));
    EXPECT_TRUE(xml.addElem("Note", "a < b", true));
    EXPECT_EQ(xml.getDoc(), "<Root>\r\n<Version>3</Version>\r\n<Note>a &lt; b</Note>\r\n</Root>\r\n");
    EXPECT_EQ(xml.getData(xml.childPos()), "a < b");
    expectIndexMatchesText(xml);

    EXPECT_TRUE(xml.intoElem());   // the main position is Note, the last child made
    EXPECT_EQ(xml.getTagName(), "Note");
    EXPECT_TRUE(xml.addElem("Between"));
    EXPECT_TRUE(xml.addElem("Last", "", false));
    EXPECT_TRUE(xml.addElem("Inner", "x", true));
    EXPECT_TRUE(xml.outOfElem());
    EXPECT_TRUE(xml.addElem("Second"));
    EXPECT_EQ(xml.getDoc(),
              "<Root>\r\n<Version>3</Version>\r\n<Note>a &lt; b</Note>\r\n<Between/>\r\n<Last>\r\n<Inner>x</Inner>\r\n"
              "</Last>\r\n</Root>\r\n<Second/>\r\n");
    expectIndexMatchesText(xml);

    // A child goes after the child position, and an element with text but no child takes one before
    // its end tag.
    ASSERT_TRUE(xml.setDoc("<r><a/><c/></r><t>text</t>"));
    ASSERT_TRUE(xml.findElem("r"));
    ASSERT_TRUE(xml.findChildElem("a"));
    EXPECT_TRUE(xml.addElem("b", "", true));
    ASSERT_TRUE(xml.findElem("t"));
    EXPECT_TRUE(xml.addElem("u", "1", true));
    EXPECT_EQ(xml.getDoc(), "<r><a/>\r\n<b/><c/></r><t>text\r\n<u>1</u>\r\n</t>");
    expectIndexMatchesText(xml);

    // An empty element whose tag ends in two slashes is opened up without closing itself again.
    ASSERT_TRUE(xml.setDoc("<r x//>"));
    ASSERT_TRUE(xml.findElem());
    EXPECT_TRUE(xml.addElem("c", "", true));
    EXPECT_EQ(xml.getDoc(), "<r x/ >\r\n<c/>\r\n</r>");
    expectIndexMatchesText(xml);

    EXPECT_FALSE(xml.addElem("", "x"));
    EXPECT_FALSE(xml.addElem("a b"));
    CMarkup empty;
    EXPECT_FALSE(empty.addElem("c", "", true)) << "a child needs a main element";
}

TEST(MarkupTest, ACopyIsIndependent) {
    CMarkup xml;
    ASSERT_TRUE(xml.setDoc("<a><b/></a>"));
    ASSERT_TRUE(xml.findElem("a"));
    CMarkup copy;
    copy = xml;
    EXPECT_TRUE(copy.addElem("c", "", true));
    EXPECT_EQ(xml.getDoc(), "<a><b/></a>");
    EXPECT_EQ(xml.elemCount(), 2);
    EXPECT_EQ(copy.elemCount(), 3);
    EXPECT_EQ(copy.getTagName(), "a");
    expectIndexMatchesText(copy);
}

}  // namespace
