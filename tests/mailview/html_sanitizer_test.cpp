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
    EXPECT_NE(out.find("<input name=\"q\">"), std::string::npos);
    EXPECT_NE(out.find("go</button>"), std::string::npos);
}

TEST(HtmlSanitizer, RemotePicturesAreCountedAndLeftOutLocalOnesResolved) {
    int remote = 0;
    const std::string out = Clean(
        "<img src=\"http://tracker.example/p.gif\"><img src='//cdn.example/x.png'>"
        "<td background=\"https://x.example/bg.jpg\"><div style=\"background:url(http://x/y)\">"
        "</div><style>p{background:url('https://x/z.png')} @import 'http://x/s.css';</style>"
        "<img src=\"cid:pic1@here\" alt=\"logo\"><img src=\"cid:unknown@here\">"
        "<img src=\"data:image/png;base64,AAAA\"><img src=\"data:image/svg+xml,<svg/>\">",
        &remote);
    EXPECT_EQ(remote, 5);
    EXPECT_FALSE(HasNoCase(out, "tracker"));
    EXPECT_FALSE(HasNoCase(out, "cdn.example"));
    // What stays of the style sheet cannot fetch: each address is made invalid.
    EXPECT_EQ(Count(out, "url("), 1);
    EXPECT_EQ(Count(out, "x-blocked-url()"), 1);
    EXPECT_FALSE(HasNoCase(out, "z.png"));
    EXPECT_EQ(Count(out, "@import"), Count(out, "x-blocked-@import"));
    EXPECT_EQ(Count(out, "@import"), 1);
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
}

TEST(HtmlSanitizer, OutlookExpressPagesKeepTheirLook) {
    const std::string out = Clean(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n<HTML><HEAD>\r\n"
        "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
        "<STYLE></STYLE>\r\n</HEAD>\r\n<BODY bgColor=#ffffff>\r\n<DIV><FONT face=Arial "
        "size=2>Ol&aacute;</FONT></DIV></BODY></HTML>");
    EXPECT_NE(out.find("<body bgcolor=\"#ffffff\">"), std::string::npos);
    EXPECT_NE(out.find("<font face=\"Arial\" size=\"2\">Ol&aacute;</font>"), std::string::npos);
    EXPECT_FALSE(HasNoCase(out, "<meta"));
}

}  // namespace
}  // namespace dbx::test
