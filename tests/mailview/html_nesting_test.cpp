// Mail HTML bounded before the tree is built: depth told from the tags as a browser closes
// elements, so that ordinary pages pass whole and deep ones are flattened.
#include <gtest/gtest.h>

#include "html_nesting.h"

namespace dbx::test {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(HtmlNesting, ElementsABrowserClosesDoNotCount) {
    // Paragraphs, list items, rows and cells left open, closed elements, void elements and
    // raw text: none of it is deep.
    for (const std::string& html :
         {Repeat("<p>text", 500), Repeat("<ul><li>a<li>b</ul>", 500),
          "<table>" + Repeat("<tr><td>a<td>b", 500) + "</table>",
          Repeat("<div><span>x</span></div>", 500), Repeat("<br><img src=x><hr>", 500),
          "<script>" + Repeat("<div>", 500) + "</script>",
          "<textarea>" + Repeat("<div>", 500) + "</textarea>",
          Repeat("<div title='<div><div>'>x</div>", 500), Repeat("<!-- <div> -->", 500),
          Repeat("<p><b>x</b><div>y</div>", 500)}) {
        const BoundedHtml bounded = BoundHtmlNesting(html, 16, 100000);
        EXPECT_FALSE(bounded.cut) << html.substr(0, 60);
        EXPECT_EQ(bounded.html, html);
    }
}

TEST(HtmlNesting, DeepStartTagsAreLeftOutAndTheirTextKept) {
    const BoundedHtml bounded = BoundHtmlNesting(Repeat("<div>a", 20) + "</div>", 5, 100000);
    EXPECT_TRUE(bounded.cut);
    EXPECT_EQ(bounded.html, Repeat("<div>a", 5) + Repeat("a", 15) + "</div>");
    // An end tag does not reach out of a table cell, so a div left open in it stays counted.
    const BoundedHtml cells =
        BoundHtmlNesting(Repeat("<div><table><tr><td></div>", 10), 12, 100000);
    EXPECT_TRUE(cells.cut);
    // Inside SVG and MathML, inside <noscript> and after comments that end early, tags are
    // markup: they count.
    for (const char* start : {"<noscript>", "<svg><style>", "<math><title>", "<svg><script>",
                              "<head><noscript>", "<!-->", "<!--->", "<!-- --!>"}) {
        EXPECT_TRUE(BoundHtmlNesting(start + Repeat("<div>", 40) + "-->", 20, 100000).cut) << start;
    }
    EXPECT_FALSE(BoundHtmlNesting("<style>" + Repeat("<div>", 40), 20, 100000).cut);
    // Formatting closed by another element's tag is opened again by the browser: it counts.
    const BoundedHtml formatting = BoundHtmlNesting(Repeat("<p><b id=1>x<div>", 30), 10, 100000);
    EXPECT_TRUE(formatting.cut);
}

TEST(HtmlNesting, TooManyTagsCutTheRest) {
    const BoundedHtml bounded = BoundHtmlNesting(Repeat("<b>x</b>", 100), 16, 51);
    EXPECT_TRUE(bounded.cut);
    EXPECT_EQ(bounded.html, Repeat("<b>x</b>", 25) + "<b>x");
}

}  // namespace
}  // namespace dbx::test
