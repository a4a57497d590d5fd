// Mail HTML is hostile: what survives the sanitizer cannot run, fetch, submit or redirect.
#include <gtest/gtest.h>

#include <string>

#include "html_sanitizer.h"

namespace dbx::test {
namespace {

std::string Clean(std::string_view html, int* remote = nullptr) {
    SanitizedHtml out = SanitizeMailHtml(html, [](std::string_view cid) {
        return cid == "pic1@here" ? std::string("file:///private/MailView-1-1.png") : std::string();
    });
    if (remote) *remote = out.remoteImages;
    return out.html;
}

bool HasNoCase(const std::string& haystack, std::string needle) {
    std::string lower = haystack;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(needle) != std::string::npos;
}

int Count(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

TEST(HtmlSanitizer, ScriptsAndTheirContentGoWhateverTheirSpelling) {
    const std::string out = Clean(
        "a<script>alert(1)</script>b<SCRIPT type=x>document.write('<p>')</SCRIPT >c"
        "<script>never closed");
    EXPECT_EQ(out, "abc");
    // A tag name that hides another is not a script tag, and is not passed on either.
    EXPECT_FALSE(HasNoCase(Clean("<scr<script>ipt>alert(1)</script>"), "<script"));
    EXPECT_EQ(Clean("<script:x>a</script:x><x.script>b"), "ab");
}

TEST(HtmlSanitizer, EventHandlersAndScriptAddressesAreDropped) {
    const std::string out = Clean(
        "<body onload=\"x()\" bgcolor=#ffffff><a href=\"javascript:alert(1)\" onclick=y>l</a>"
        "<a href=\"&#106;avascript:alert(1)\">m</a><a href=\" JAVASCRIPT:x\">n</a>"
        "<a href='https://example.org/?a=1&amp;b=2' target=_blank>ok</a>"
        "<a href=\"mailto:a@example.org\">mail</a><img src=x onerror=alert(1)>");
    EXPECT_FALSE(HasNoCase(out, "onload"));
    EXPECT_FALSE(HasNoCase(out, "onclick"));
    EXPECT_FALSE(HasNoCase(out, "onerror"));
    EXPECT_FALSE(HasNoCase(out, "javascript"));
    EXPECT_FALSE(HasNoCase(out, "target"));
    EXPECT_NE(out.find("<body bgcolor=\"#ffffff\">"), std::string::npos);
    EXPECT_NE(out.find("href=\"https://example.org/?a=1&amp;b=2\""), std::string::npos);
    EXPECT_NE(out.find("href=\"mailto:a@example.org\""), std::string::npos);
}

TEST(HtmlSanitizer, RedirectsBaseAddressesFormsAndFramesGo) {
    const std::string out = Clean(
        "<html><head><meta http-equiv=refresh content=\"0;url=http://evil/\">"
        "<base href=\"http://evil/\"><link rel=stylesheet href=http://evil/s.css></head>"
        "<body><form action=http://evil/ method=post><input name=q><button formaction=http://e/>"
        "go</button></form><iframe src=http://evil/></iframe><object data=x><p>in</p></object>"
        "<svg><image href=http://evil/i.png /></svg><embed src=http://evil/></body></html>");
    for (const char* gone : {"<meta", "<base", "<link", "<form", "action", "<iframe", "<object",
                             "<svg", "<embed", "evil", "<html", "<head"}) {
        EXPECT_FALSE(HasNoCase(out, gone)) << gone << " in " << out;
    }
    // Form controls go; their text stays.
    EXPECT_FALSE(HasNoCase(out, "<input"));
    EXPECT_FALSE(HasNoCase(out, "<button"));
    EXPECT_NE(out.find("go"), std::string::npos);
}

TEST(HtmlSanitizer, RemotePicturesAreCountedAndLeftOutLocalOnesResolved) {
    int remote = 0;
    const std::string out = Clean(
        "<img src=\"http://tracker.example/p.gif\"><img src='//cdn.example/x.png'>"
        "<table><tr><td background=\"https://x.example/bg.jpg\"></table>"
        "<div "
        "style=\"background:url(http://x/y)\"></div><style>p{background:url('https://x/z.png')} "
        "@import 'http://x/s.css';</style>"
        "<img src=\"cid:pic1@here\" alt=\"logo\"><img src=\"cid:unknown@here\">"
        "<img src=\"data:image/png;base64,AAAA\"><img src=\"data:image/svg+xml,<svg/>\">",
        &remote);
    EXPECT_EQ(remote, 6);
    EXPECT_FALSE(HasNoCase(out, "tracker"));
    EXPECT_FALSE(HasNoCase(out, "cdn.example"));
    // What stays of the style sheet cannot fetch: the declarations with addresses go.
    EXPECT_EQ(Count(out, "url("), 0);
    EXPECT_FALSE(HasNoCase(out, "z.png"));
    EXPECT_EQ(Count(out, "@import"), 0);
    EXPECT_NE(out.find("<style>p{}"), std::string::npos) << out;
    EXPECT_NE(out.find("<img src=\"file:///private/MailView-1-1.png\" alt=\"logo\">"),
              std::string::npos);
    EXPECT_NE(out.find("src=\"data:image/png;base64,AAAA\""), std::string::npos);
    EXPECT_FALSE(HasNoCase(out, "unknown@here"));
    EXPECT_FALSE(HasNoCase(out, "svg+xml"));
}

TEST(HtmlSanitizer, TextAndCommentsCannotSmuggleTags) {
    EXPECT_EQ(Clean("1 < 2 and 3 > 2"), "1 &lt; 2 and 3 &gt; 2");
    EXPECT_EQ(Clean("a<!-- <script>x</script> -->b<!--->c<!---->d"), "abcd");
    EXPECT_EQ(Clean("<p title=\"a\">x</p><p title='\"><script>'>y</p>"),
              "<p title=\"a\">x</p><p title=\"&quot;&gt;&lt;script&gt;\">y</p>");
    // An unfinished tag or attribute swallows the rest, as in a browser.
    EXPECT_EQ(Clean("ok<img src=\"x onerror=alert(1)>rest"), "ok");
    EXPECT_EQ(Clean("ok<textarea><script>x</script></textarea>"),
              "ok<textarea readonly>&lt;script&gt;x&lt;/script&gt;</textarea>");
    EXPECT_EQ(Clean(std::string("a\0b", 3)), "ab");
    // A tag inside a raw-text element is text, and stays so after the element.
    EXPECT_EQ(Clean("<title><img src=x></title>a<xmp><b>b</b></xmp>"), "a&lt;b&gt;b&lt;/b&gt;");
}

TEST(HtmlSanitizer, OutlookExpressPagesKeepTheirLook) {
    const std::string out = Clean(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n<HTML><HEAD>\r\n"
        "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
        "<STYLE></STYLE>\r\n</HEAD>\r\n<BODY bgColor=#ffffff>\r\n<DIV><FONT face=Arial "
        "size=2>Ol&aacute;</FONT></DIV></BODY></HTML>");
    EXPECT_NE(out.find("<body bgcolor=\"#ffffff\">"), std::string::npos);
    EXPECT_NE(out.find("<font face=\"Arial\" size=\"2\">Ol\xC3\xA1</font>"), std::string::npos)
        << out;
    EXPECT_FALSE(HasNoCase(out, "<meta"));
}

TEST(HtmlSanitizer, OnlyListedElementsAndAttributesStay) {
    const std::string out = Clean(
        "<fencedframe src=\"https://evil/\">a</fencedframe><portal src=x>b</portal>"
        "<x-widget data-x=1 onclick=go()>c</x-widget><p id=dbxr-head lang=en data-q=1 "
        "formaction=x xmlns:x=y>d</p><table background=\"cid:pic1@here\" width=5><tr>"
        "<td nowrap>e</td></tr></table><marquee>f</marquee><dialog open>g</dialog>");
    for (const char* gone : {"fencedframe", "portal", "x-widget", "data-", "onclick",
                             "id=", "formaction", "xmlns", "marquee", "dialog", "evil"}) {
        EXPECT_FALSE(HasNoCase(out, gone)) << gone << " in " << out;
    }
    for (const char* text : {"a", "b", "c", "d", "e", "f", "g"}) {
        EXPECT_NE(out.find(text), std::string::npos) << text;
    }
    EXPECT_NE(out.find("<p lang=\"en\">d</p>"), std::string::npos) << out;
    EXPECT_NE(out.find("<table background=\"file:///private/MailView-1-1.png\" width=\"5\">"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("<td nowrap=\"\">e</td>"), std::string::npos) << out;
}

TEST(HtmlSanitizer, CharacterReferencesAreReadOnceAndWrittenOnce) {
    // Every named reference, as the parser knows them; values escaped once on the way out.
    EXPECT_EQ(Clean("&hellip;&eacute;&notin;&ThickSpace;&amp;lt;"),
              "\xE2\x80\xA6\xC3\xA9\xE2\x88\x89\xE2\x81\x9F\xE2\x80\x8A&amp;lt;");
    EXPECT_EQ(Clean("<p title=\"Tom &amp; Jerry &eacute;\">x</p>"),
              "<p title=\"Tom &amp; Jerry \xC3\xA9\">x</p>");
    EXPECT_EQ(Clean("<a href=\"https://e.org/?a=1&amp;b=2&copy=3\">x</a>"),
              "<a href=\"https://e.org/?a=1&amp;b=2&amp;copy=3\">x</a>");
}

TEST(HtmlSanitizer, LinksKeepOnlyWebAndMailAddresses) {
    const std::string out = Clean(
        "<a href=\"java&#x09;script:alert(1)\">1</a><a href=\"jav&#x0A;ascript:x\">2</a>"
        "<a href=\"&#0;javascript:x\">3</a><a href=\"vbscript:x\">4</a><a href=\"data:text/html,x"
        "\">5</a><a href=\"file:///etc/passwd\">6</a><a href=\"ftp://e.org/\">7</a>"
        "<a href=\"  HTTPS://e.org/a\">8</a><a href=\"ht&#x09;tp://e.org/b\">9</a>"
        "<a href=\"cid:pic1@here\">10</a><a href=\"#top\">11</a><img src=\"file:///etc/x.png\">"
        "<img src=\"cid:pic1@here\" alt=\"p\"><img src=\" CID:pic1@here\">");
    for (const char* gone : {"script", "data:", "file:///etc", "ftp:", "#top", "href=\"cid"}) {
        EXPECT_FALSE(HasNoCase(out, gone)) << gone << " in " << out;
    }
    EXPECT_NE(out.find("<a href=\"HTTPS://e.org/a\">8</a>"), std::string::npos) << out;
    EXPECT_NE(out.find("<a href=\"http://e.org/b\">9</a>"), std::string::npos) << out;
    EXPECT_EQ(Count(out, "src=\"file:///private/MailView-1-1.png\""), 2);
    EXPECT_EQ(Count(out, "<a"), 11);  // the links stay, as text
}

TEST(HtmlSanitizer, StyleIsReadAsCssBeforeItIsChecked) {
    int remote = 0;
    // Escapes, comments and case spell what a browser would fetch.
    const std::string out = Clean(
        "<p style=\"background:u\\rl(http://a/1);color:red\">1</p>"
        "<p style=\"background:u\\72 l(http://a/2); font-weight:bold\">2</p>"
        "<p style=\"background:u/**/rl(x);background-image:URL(//a/3)\">3</p>"
        "<p style=\"width:expression(alert(1));behavior:url(x.htc);-moz-binding:url(y)\">4</p>"
        "<p style=\"color:red;position:fixed;top:0;content:'x'\">5</p>"
        "<p style=\"width:calc(1px//**/*2);margin:1px//**/*2px\">6</p>"
        "<style>@im\\port 'http://a/4.css'; p{color:blue}\n@import url(http://a/5.css);"
        "@x-blocked-import 'y'; div{margin:0}\n@font-face{src:url(http://a/f.woff)} "
        "a{background:image-set('http://a/6.png' 1x)} b{color:#f00 !important} "
        "@media screen and (max-width: 600px){td{width:100%}}</style>",
        &remote);
    for (const char* gone :
         {"url", "\\", "expression", "behavior", "binding", "@import", "font-face", "image-set",
          "position", "content", "http", "/*", "calc"}) {
        EXPECT_FALSE(HasNoCase(out, gone)) << gone << " in " << out;
    }
    EXPECT_NE(out.find("<p style=\"color: red;\">1</p>"), std::string::npos) << out;
    EXPECT_NE(out.find("<p style=\"font-weight: bold;\">2</p>"), std::string::npos) << out;
    EXPECT_NE(out.find("<p>3</p>"), std::string::npos) << out;
    // Delimiters brought together by a removed comment do not open a new one.
    EXPECT_NE(out.find("<p style=\"margin: 1px/ *2px;\">6</p>"), std::string::npos) << out;
    // A dropped at-rule takes nothing after it along.
    EXPECT_NE(out.find("p{color: blue;}"), std::string::npos) << out;
    EXPECT_NE(out.find("div{margin: 0;}"), std::string::npos) << out;
    EXPECT_NE(out.find("b{color: #f00 !important;}"), std::string::npos) << out;
    EXPECT_NE(out.find("@media screen and (max-width: 600px){td{width: 100%;}"), std::string::npos)
        << out;
    EXPECT_EQ(remote, 7);
}

TEST(HtmlSanitizer, StyleCannotLeaveItsElement) {
    const std::string out = Clean(
        "<style>p{font-family:\"</style><script>x()</script>\"}</style>"
        "<p style='font-family:\"a\\\"><b>\"'>t</p>");
    EXPECT_EQ(Count(out, "<style>"), 1);
    EXPECT_EQ(Count(out, "</style>"), 1);
    EXPECT_FALSE(HasNoCase(out, "<script"));
    EXPECT_EQ(out.find('<', out.find("<style>") + 1), out.find("</style>")) << out;
}

TEST(HtmlSanitizer, DeepNestingIsFlattenedAndManyTagsCut) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<div><font>";
    deep += "bottom";
    const SanitizedHtml out = SanitizeMailHtml(deep, {});
    EXPECT_TRUE(out.cut);
    EXPECT_NE(out.html.find("bottom"), std::string::npos);
    EXPECT_LE(Count(out.html, "<div>") + Count(out.html, "<font>"), 130);
    // Shallow pages with many paragraphs and rows are left whole.
    std::string wide = "<table>";
    for (int i = 0; i < 3000; ++i) wide += "<tr><td><p>cell<li>item";
    wide += "</table>end";
    const SanitizedHtml flat = SanitizeMailHtml(wide, {});
    EXPECT_FALSE(flat.cut);
    EXPECT_EQ(Count(flat.html, "<td>"), 3000);
    EXPECT_NE(flat.html.find("end"), std::string::npos);
}

}  // namespace
}  // namespace dbx::test
