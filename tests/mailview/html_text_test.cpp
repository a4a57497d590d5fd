// A mail's plain text as page content: escaped, links clickable.
#include <gtest/gtest.h>

#include "html_text.h"

namespace dbx::test {
namespace {

TEST(PlainText, IsEscapedAndItsAddressesBecomeLinks) {
    EXPECT_EQ(PlainTextToHtml("a <b> & \"c\""),
              "<div class=\"dbxr-text\">a &lt;b&gt; &amp; &quot;c&quot;</div>");
    EXPECT_EQ(PlainTextToHtml("See https://example.org/a?b=1&c=2. Or www.example.net!"),
              "<div class=\"dbxr-text\">See <a href=\"https://example.org/a?b=1&amp;c=2\">"
              "https://example.org/a?b=1&amp;c=2</a>. Or <a href=\"http://www.example.net\">"
              "www.example.net</a>!</div>");
    EXPECT_EQ(PlainTextToHtml("(mailto:a@example.org)"),
              "<div class=\"dbxr-text\">(<a href=\"mailto:a@example.org\">mailto:a@example.org"
              "</a>)</div>");
    // Only at the start of a word, and never a script address.
    EXPECT_EQ(PlainTextToHtml("xhttp://a javascript:alert(1) http://"),
              "<div class=\"dbxr-text\">xhttp://a javascript:alert(1) http://</div>");
    EXPECT_EQ(PlainTextToHtml("<http://a.example/\"onmouseover=x>"),
              "<div class=\"dbxr-text\">&lt;<a href=\"http://a.example/\">http://a.example/</a>"
              "&quot;onmouseover=x&gt;</div>");
}

}  // namespace
}  // namespace dbx::test
