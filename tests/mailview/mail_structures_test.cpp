// Messages of every structure a mail program shows inline, each made here: the page holds the
// text a mail program would show, in its order, and lists only what is attached.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail_view.h"
#include "test_support.h"

namespace dbx::test {
namespace {

class MailStructures : public ::testing::Test {
  protected:
    // The page's body: what follows the header block, without the byte order mark.
    std::string Page(const std::string& message, const MailViewOptions& options = {}) {
        view = BuildMailViewFromBytes(QByteArray::fromStdString(message), dir.Path().string(),
                                      options);
        if (view.status != MailViewStatus::Shown) return {};
        return ReadWholeFile(view.pagePath);
    }
    // Whether `texts` appear in the page in this order.
    static bool InOrder(const std::string& page, const std::vector<std::string>& texts) {
        std::size_t at = 0;
        for (const std::string& text : texts) {
            at = page.find(text, at);
            if (at == std::string::npos) return false;
            at += text.size();
        }
        return true;
    }
    static int Count(const std::string& page, const std::string& needle) {
        int count = 0;
        for (auto at = page.find(needle); at != std::string::npos; at = page.find(needle, at + 1))
            ++count;
        return count;
    }
    TempDir dir;
    MailView view;
};

const char kHead[] =
    "From: a@example.org\r\nTo: b@example.org\r\nSubject: s\r\nMIME-Version: 1.0\r\n";

TEST_F(MailStructures, PlainPartsOfAMixedMessageAreShownInOrder) {
    const std::string page = Page(std::string(kHead) +
                                  "Content-Type: multipart/mixed; boundary=\"M\"\r\n\r\n"
                                  "preamble is not shown\r\n"
                                  "--M\r\nContent-Type: text/plain\r\n\r\nfirst words\r\n"
                                  "--M\r\n\r\nsecond words\r\n"
                                  "--M\r\nContent-Type: text/csv\r\n\r\na,b,c\r\n"
                                  "--M--\r\nepilogue is not shown\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(InOrder(page, {"first words", "second words", "a,b,c"})) << page;
    EXPECT_EQ(view.attachments, 0);
    EXPECT_EQ(page.find("Attachments:"), std::string::npos);
    EXPECT_EQ(page.find("preamble"), std::string::npos);
    EXPECT_EQ(page.find("epilogue"), std::string::npos);
}

TEST_F(MailStructures, ATypeWithoutSubtypeOrNoneAtAllIsText) {
    EXPECT_NE(
        Page(std::string(kHead) + "Content-Type: text; charset=us-ascii\r\n\r\nprovider text\r\n")
            .find("provider text"),
        std::string::npos);
    EXPECT_EQ(view.attachments, 0);
    // The charset of a broken type still counts.
    EXPECT_NE(Page(std::string(kHead) + "Content-Type: text; charset=koi8-r\r\n\r\n"
                                        "\xF0\xD2\xC9\xD7\xC5\xD4\r\n")
                  .find("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
              std::string::npos);
    const std::string parts =
        Page(std::string(kHead) +
             "Content-Type: multipart/mixed; boundary=M\r\n\r\n"
             "--M\r\nContent-Type: text\r\n\r\nno subtype\r\n"
             "--M\r\nContent-Transfer-Encoding: 8bit\r\n\r\nno type\r\n--M--\r\n");
    EXPECT_TRUE(InOrder(parts, {"no subtype", "no type"})) << parts;
    EXPECT_EQ(view.attachments, 0);
}

TEST_F(MailStructures, AMultipartWithoutPartsShowsItsText) {
    EXPECT_NE(Page(std::string(kHead) + "Content-Type: multipart/mixed\r\n\r\nno boundary\r\n")
                  .find("no boundary"),
              std::string::npos);
    const std::string page = Page(std::string(kHead) +
                                  "Content-Type: multipart/mixed; boundary=zz\r\n\r\n"
                                  "wrong boundary\r\n--yy\r\n\r\nstill text\r\n");
    EXPECT_TRUE(InOrder(page, {"wrong boundary", "--yy", "still text"})) << page;
    EXPECT_EQ(view.attachments, 0);
}

TEST_F(MailStructures, TheRichestAlternativeIsShown) {
    const std::string page =
        Page(std::string(kHead) +
             "Content-Type: multipart/alternative; boundary=A\r\n\r\n"
             "--A\r\nContent-Type: text/plain\r\n\r\nplain version\r\n"
             "--A\r\nContent-Type: multipart/related; boundary=R\r\n\r\n"
             "--R\r\nContent-Type: text/html\r\n\r\n<p>html <b>version</b></p>\r\n"
             "--R\r\nContent-Type: image/png\r\nContent-ID: <p1>\r\n\r\nxx\r\n--R--\r\n"
             "--A\r\nContent-Type: application/x-unknown\r\n\r\nnot for the pane\r\n--A--\r\n");
    EXPECT_NE(page.find("<p>html <b>version</b></p>"), std::string::npos) << page;
    EXPECT_EQ(page.find("plain version"), std::string::npos);
    EXPECT_EQ(page.find("not for the pane"), std::string::npos);
    // Plain text over other kinds of text.
    const std::string plain = Page(std::string(kHead) +
                                   "Content-Type: multipart/alternative; boundary=A\r\n\r\n"
                                   "--A\r\nContent-Type: text/plain\r\n\r\nthe plain one\r\n"
                                   "--A\r\nContent-Type: text/enriched\r\n\r\n<bold>rich</bold>\r\n"
                                   "--A--\r\n");
    EXPECT_NE(plain.find("the plain one"), std::string::npos);
    EXPECT_EQ(plain.find("rich"), std::string::npos);
    // An alternative marked as an attachment is not the one shown.
    const std::string attached = Page(std::string(kHead) +
                                      "Content-Type: multipart/alternative; boundary=A\r\n\r\n"
                                      "--A\r\nContent-Type: text/plain\r\n\r\nshown text\r\n"
                                      "--A\r\nContent-Type: text/html\r\n"
                                      "Content-Disposition: attachment\r\n\r\n<p>kept</p>\r\n"
                                      "--A--\r\n");
    EXPECT_NE(attached.find("shown text"), std::string::npos);
}

TEST_F(MailStructures, NestedMultipartsShowEveryTextPart) {
    const std::string page =
        Page(std::string(kHead) +
             "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
             "--outer\r\nContent-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
             "--alt\r\nContent-Type: text/plain\r\n\r\nalternative plain\r\n"
             "--alt\r\nContent-Type: text/html\r\n\r\n<div>alternative html</div>\r\n--alt--\r\n"
             "--outer\r\nContent-Type: multipart/mixed; boundary=\"inner\"\r\n\r\n"
             "--inner\r\nContent-Type: text/plain\r\n\r\ninner one\r\n"
             "--inner\r\nContent-Type: text/plain; charset=utf-8\r\n"
             "Content-Disposition: inline\r\n\r\ninner two\r\n--inner--\r\n"
             "--outer\r\nContent-Type: application/pdf; name=r.pdf\r\n\r\n%PDF\r\n"
             "--outer\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; "
             "filename=notes.txt\r\n\r\nattached notes\r\n--outer--\r\n");
    EXPECT_TRUE(InOrder(page, {"<div>alternative html</div>", "inner one", "inner two"})) << page;
    EXPECT_EQ(page.find("alternative plain"), std::string::npos);
    EXPECT_EQ(page.find("attached notes"), std::string::npos);
    EXPECT_EQ(view.attachments, 2);
    EXPECT_TRUE(InOrder(page, {"r.pdf", "notes.txt", "alternative html"}));
}

TEST_F(MailStructures, AForwardedMessageShowsItsHeadersAndBodyInline) {
    const std::string page =
        Page(std::string(kHead) +
             "Content-Type: multipart/mixed; boundary=M\r\n\r\n"
             "--M\r\nContent-Type: text/plain\r\n\r\nsee below\r\n"
             "--M\r\nContent-Type: message/rfc822\r\n\r\n"
             "From: Carla <carla@example.net>\r\nSubject: the original\r\n"
             "Content-Type: text/html\r\n\r\n<p>original <i>words</i></p>\r\n"
             "--M\r\nContent-Type: message/rfc822\r\nContent-Disposition: attachment\r\n\r\n"
             "From: d@example.net\r\nSubject: kept aside\r\n\r\nnot inline\r\n--M--\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(InOrder(page, {"see below", "class=\"dbxr-nested-head\"",
                               "<div class=\"subject\">the original</div>",
                               "Carla &lt;carla@example.net&gt;", "<p>original <i>words</i></p>"}))
        << page;
    EXPECT_EQ(page.find("not inline"), std::string::npos);
    EXPECT_EQ(view.attachments, 1);
    EXPECT_NE(page.find("kept aside</a> <span class=\"details\">(message/rfc822"),
              std::string::npos)
        << page;
    // The boxes close: as many ends as starts.
    EXPECT_EQ(Count(page, "class=\"dbxr-nested\""), 1);
}

TEST_F(MailStructures, ADigestShowsEachMessage) {
    const std::string page =
        Page(std::string(kHead) +
             "Content-Type: multipart/digest; boundary=D\r\n\r\n"
             "--D\r\n\r\nFrom: one@example.net\r\nSubject: Issue one\r\n\r\nfirst article\r\n"
             "--D\r\n\r\nFrom: two@example.net\r\nSubject: Issue two\r\n"
             "Content-Type: multipart/alternative; boundary=X\r\n\r\n"
             "--X\r\nContent-Type: text/plain\r\n\r\nsecond article\r\n--X--\r\n"
             "--D\r\nContent-Type: text/plain\r\n\r\nclosing words\r\n--D--\r\n");
    EXPECT_TRUE(InOrder(page, {"Issue one", "one@example.net", "first article", "Issue two",
                               "second article", "closing words"}))
        << page;
    EXPECT_EQ(Count(page, "class=\"dbxr-nested\""), 2);
    EXPECT_EQ(view.attachments, 0);
}

TEST_F(MailStructures, ADeliveryReportShowsItsTextStatusAndReturnedHeaders) {
    const std::string page = Page(
        "From: MAILER-DAEMON@example.org\r\nSubject: Undelivered Mail\r\n"
        "Content-Type: multipart/report; report-type=delivery-status; boundary=R\r\n\r\n"
        "--R\r\nContent-Description: Notification\r\nContent-Type: text/plain\r\n\r\n"
        "could not be delivered\r\n"
        "--R\r\nContent-Type: message/delivery-status\r\n\r\n"
        "Reporting-MTA: dns; mx.example.org\r\n\r\nFinal-Recipient: rfc822; x@example.com\r\n"
        "Status: 5.1.1\r\n"
        "--R\r\nContent-Type: text/rfc822-headers\r\n\r\nSubject: what was sent\r\n--R--\r\n");
    EXPECT_TRUE(InOrder(page, {"could not be delivered", "Status: 5.1.1", "what was sent"}))
        << page;
}

TEST_F(MailStructures, AnUnknownCharsetReadsInTheChosenCodePage) {
    MailViewOptions cyrillic;
    cyrillic.fallbackCharset = "windows-1251";
    const std::string page = Page(std::string(kHead) +
                                      "Content-Type: text/plain; charset=x-unheard-of\r\n\r\n"
                                      "\xCF\xF0\xE8\xE2\xE5\xF2\r\n",
                                  cyrillic);
    EXPECT_NE(page.find("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"), std::string::npos);
}

TEST_F(MailStructures, TheBodyBudgetCoversAllPartsTogether) {
    MailViewOptions small;
    small.maxBodyBytes = 100;
    const std::string page = Page(std::string(kHead) +
                                      "Content-Type: multipart/mixed; boundary=M\r\n\r\n"
                                      "--M\r\n\r\n" +
                                      std::string(80, 'a') +
                                      "\r\n"
                                      "--M\r\n\r\n" +
                                      std::string(80, 'b') +
                                      "\r\n"
                                      "--M\r\n\r\nnever reached\r\n--M--\r\n",
                                  small);
    EXPECT_NE(page.find(std::string(80, 'a')), std::string::npos);
    EXPECT_EQ(page.find(std::string(80, 'b')), std::string::npos);
    EXPECT_EQ(page.find("never reached"), std::string::npos);
    EXPECT_NE(page.find("id=\"dbxr-truncated\""), std::string::npos);
}

}  // namespace
}  // namespace dbx::test
