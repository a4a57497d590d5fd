// Mail style read as CSS: escapes, comments and strings resolved first, then only known
// properties with plain values written back.
#include <gtest/gtest.h>

#include "css_sanitizer.h"

namespace dbx::test {
namespace {

std::string Attribute(std::string_view style, int* remote = nullptr) {
    return SanitizeStyleAttribute(style, remote);
}

TEST(CssSanitizer, EscapesAndCommentsAreResolvedBeforeNamesAreChecked) {
    EXPECT_EQ(Attribute("col\\6f r:red"), "color: red;");
    EXPECT_EQ(Attribute("c/**/olor:red"), "");  // two words, no property
    EXPECT_EQ(Attribute("COLOR : Red ; FONT-weight:700"), "color: Red; font-weight: 700;");
    EXPECT_EQ(Attribute("color:r\\65 d"), "color: red;");
    EXPECT_EQ(Attribute("background:\\75\\72\\6c(x)"), "");
    // An unfinished string runs to the end: what it holds stays a plain name.
    EXPECT_EQ(Attribute("color:re'd;background:u\\72l(http://x)"),
              "color: re\"dbackgroundurlhttp//x\";");
    EXPECT_EQ(Attribute("font-family:'Arial\\\nBlack', \"x\\\"y\""),
              "font-family: \"ArialBlack\", \"xy\";");
}

TEST(CssSanitizer, ValuesKeepColoursAndDropEverythingThatCouldFetchOrCompute) {
    int remote = 0;
    EXPECT_EQ(Attribute("color:rgb(1, 2, 3);background-color:hsla(1,2%,3%,.5)"),
              "color: rgb(1, 2, 3); background-color: hsla(1,2%,3%,.5);");
    EXPECT_EQ(Attribute("width:var(--w);height:attr(x);color:env(x);margin:calc(1px)"), "");
    EXPECT_EQ(Attribute("background:url(  http://a/b  )", &remote), "");
    EXPECT_EQ(Attribute("background:url(\"//a/c\")", &remote), "");
    EXPECT_EQ(Attribute("background:url(broken address)", &remote), "");
    EXPECT_EQ(remote, 2);
    EXPECT_EQ(Attribute("width:10px!ie;height:5px"), "height: 5px;");
    EXPECT_EQ(Attribute("-webkit-user-modify:read-write;position:absolute;color:red"),
              "color: red;");
    // A value that holds a block or an unbalanced bracket is dropped on its own.
    EXPECT_EQ(Attribute("color:{red};margin:0;padding:1px)"), "margin: 0;");
}

TEST(CssSanitizer, SheetsKeepRulesAndMediaAndDropOtherAtRulesWhole) {
    int remote = 0;
    const std::string sheet = SanitizeStyleSheet(
        "@charset 'utf-8'; @namespace x url(http://a/ns);"
        "@font-face { font-family: x; src: url(http://a/font) }"
        "@keyframes k { from { color: red } }"
        "p.note > a:hover, td[align=\"left\"] { color: red; behavior: url(x.htc) }"
        "@media print { @media screen { @media all { @media x { @media y { p { color: blue } } } } "
        "} }"
        "@supports (display:grid) { p { display: grid } }"
        "} stray { color: green } p\\{ { color: red } .ok { margin: 0 }",
        &remote);
    EXPECT_EQ(sheet,
              "p.note > a:hover, td[align=\"left\"]{color: red;}\n"
              "@media print{@media screen{@media all{@media x{}\n}\n}\n}\n"
              ".ok{margin: 0;}\n");
    EXPECT_EQ(remote, 2);
}

}  // namespace
}  // namespace dbx::test
