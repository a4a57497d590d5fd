// The decoded preview page: headers, body decoded from its transfer encoding and charset,
// pictures the message carries, attachments listed, and the fallback for what is no mail.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include "attachment_links.h"
#include "mail_view.h"
#include "test_support.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

// 1x1 transparent PNG.
const char kPngBase64[] =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5E"
    "rkJggg==";

class MailViewTest : public ::testing::Test {
  protected:
    // Builds the page of `message` and returns it without its byte order mark.
    std::string Page(const std::string& message, const MailViewOptions& options = {}) {
        view = BuildMailViewFromBytes(QByteArray::fromStdString(message), dir.Path().string(),
                                      options);
        if (view.status != MailViewStatus::Shown) return {};
        std::string page = ReadWholeFile(view.pagePath);
        EXPECT_EQ(page.substr(0, 3), "\xEF\xBB\xBF");
        return page.substr(3);
    }
    std::vector<std::string> Pictures() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            if (entry.path().filename().string().rfind("MailView-", 0) == 0 &&
                entry.path().extension() != ".html") {
                names.push_back(entry.path().string());
            }
        }
        return names;
    }
    TempDir dir;
    MailView view;
};

bool Has(const std::string& page, const std::string& needle) {
    return page.find(needle) != std::string::npos;
}

TEST_F(MailViewTest, QuotedPrintableHtmlFromOutlookExpressIsDecoded) {
    const std::string page = Page(
        "From: \"Ana\" <ana@example.org>\r\nTo: bob@example.org\r\nSubject: Vaga\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
        "<HTML><HEAD>\r\n<META http-equiv=3DContent-Type content=3D\"text/html; =\r\n"
        "charset=3Dutf-8\">\r\n</HEAD>\r\n<BODY bgColor=3D#ffffff>\r\n"
        "<DIV><FONT face=3DArial size=3D2>Estagi=C3=A1rio=20</FONT></DIV></BODY></HTML>\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(Has(page, "<meta charset=\"utf-8\">"));
    EXPECT_TRUE(Has(page, "<body bgcolor=\"#ffffff\">"));
    EXPECT_TRUE(Has(page, "<font face=\"Arial\" size=\"2\">Estagi\xC3\xA1rio </font>"));
    EXPECT_FALSE(Has(page, "=3D"));
    EXPECT_FALSE(Has(page, "=20"));
    // Only the page's own charset declaration is left.
    EXPECT_FALSE(Has(page, "charset=utf-8"));
    EXPECT_TRUE(Has(page, "<span class=\"label\">From:</span> Ana &lt;ana@example.org&gt;</span>"));
    EXPECT_TRUE(Has(page, "<span class=\"label\">To:</span> bob@example.org</span>"));
    EXPECT_FALSE(Has(page, "Cc:</span>"));
    EXPECT_FALSE(Has(page, "dbxr-remote"));
}

TEST_F(MailViewTest, TextPartsAreReadInTheirCharsets) {
    struct Case {
        const char* charset;
        const char* encoding;
        std::string body;
        const char* expected;  // UTF-8
    };
    const std::vector<Case> cases = {
        {"windows-1252", "base64", "Y2Fm6SCAIDEw", "caf\xC3\xA9 \xE2\x82\xAC 10"},
        {"ISO-8859-1", "quoted-printable", "Ol=E1, S=E3o Paulo", "Ol\xC3\xA1, S\xC3\xA3o Paulo"},
        {"UTF-8", "8bit",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x9C\x93",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x9C\x93"},
        {"KOI8-R", "8bit", "\xF0\xD2\xC9\xD7\xC5\xD4",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        {"koi8-r", "base64", "8NLJ18XU", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
    };
    for (const Case& c : cases) {
        const std::string page =
            Page(std::string("From: a@example.org\r\nSubject: t\r\n") +
                 "Content-Type: text/plain; charset=" + c.charset +
                 "\r\nContent-Transfer-Encoding: " + c.encoding + "\r\n\r\n" + c.body + "\r\n");
        ASSERT_EQ(view.status, MailViewStatus::Shown) << c.charset;
        EXPECT_TRUE(Has(page, std::string("<div class=\"dbxr-text\">") + c.expected))
            << c.charset << " " << c.encoding << "\n"
            << page;
    }
}

TEST_F(MailViewTest, UndeclaredCharsetsReadAsUtf8OrTheFallback) {
    const std::string head = "From: a@example.org\r\nSubject: t\r\n\r\n";
    EXPECT_TRUE(Has(Page(head + "na\xC3\xAFve\r\n"), "na\xC3\xAFve"));
    EXPECT_TRUE(Has(Page(head + "na\xEFve\r\n"), "na\xC3\xAFve"));
    MailViewOptions cyrillic;
    cyrillic.fallbackCharset = "windows-1251";
    EXPECT_TRUE(Has(Page(head + "\xCF\xF0\xE8\xE2\xE5\xF2\r\n", cyrillic),
                    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
    // An HTML part that names its charset only in the markup is read in that charset.
    EXPECT_TRUE(Has(Page("From: a@example.org\r\nContent-Type: text/html\r\n\r\n"
                         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                         "charset=koi8-r\"></head><body>\xF0\xD2\xC9\xD7\xC5\xD4</body></html>"),
                    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
}

TEST_F(MailViewTest, HeadersAreDecodedAndEscapedAndTheDateIsLocal) {
    const std::string page = Page(
        "From: =?koi8-r?B?8NLJ18XU?= <x@example.org>\r\n"
        "To: \"<script>alert(1)</script>\" <t@example.org>\r\n"
        "Cc: c@example.org\r\n"
        "Subject: =?ISO-8859-1?Q?R=E9union_&_<b>plan</b>?=\r\n"
        "Date: Tue, 05 Mar 2002 14:30:00 +0100\r\n\r\nbody\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(
        Has(page, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 &lt;x@example.org&gt;"));
    EXPECT_TRUE(Has(page, "&lt;script&gt;alert(1)&lt;/script&gt;"));
    EXPECT_FALSE(Has(page, "<script>"));
    EXPECT_TRUE(Has(page, "R\xC3\xA9union &amp; &lt;b&gt;plan&lt;/b&gt;"));
    EXPECT_TRUE(Has(page, "<span class=\"label\">Cc:</span> c@example.org</span>"));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1015335000);
    EXPECT_TRUE(
        Has(page,
            "<span class=\"label\">Date:</span> " +
                QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat).toStdString() +
                "</span>"));
}

TEST_F(MailViewTest, RawEightBitHeadersReadInTheFallbackCharset) {
    const std::string page = Page("From: Jos\xE9 <j@example.org>\r\nSubject: caf\xE9\r\n\r\nx\r\n");
    EXPECT_TRUE(Has(page, "Jos\xC3\xA9"));
    EXPECT_TRUE(Has(page, "caf\xC3\xA9"));
}

TEST_F(MailViewTest, InlinePicturesAreWrittenAndShownNotListed) {
    const std::string page = Page(
        "From: a@example.org\r\nSubject: pic\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/related; boundary=\"B\"; type=\"text/html\"\r\n\r\n"
        "--B\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
        "<html><body><img src=\"cid:logo.1@example\" alt=x><img src=\"cid:LOGO.1@EXAMPLE\">"
        "<img src=\"cid:missing@example\"></body></html>\r\n"
        "--B\r\nContent-Type: image/png; name=\"logo.png\"\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-ID: <logo.1@example>\r\n\r\n" +
        std::string(kPngBase64) + "\r\n--B--\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_EQ(view.pictures, 1);
    EXPECT_EQ(view.attachments, 0);
    const std::vector<std::string> pictures = Pictures();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(ReadWholeFile(pictures[0]).substr(0, 8), "\x89PNG\r\n\x1A\n");
    const std::string url =
        QUrl::fromLocalFile(QString::fromStdString(pictures[0])).toString().toStdString();
    EXPECT_TRUE(Has(page, "<img src=\"" + url + "\" alt=\"x\">")) << page;
    EXPECT_FALSE(Has(page, "missing@example"));
    EXPECT_FALSE(Has(page, "Attachments:"));

    // The next preview replaces the pictures of this one.
    Page("From: a@example.org\r\n\r\nplain\r\n");
    EXPECT_TRUE(Pictures().empty());
}

TEST_F(MailViewTest, AttachmentsAreListedWithNameTypeAndSize) {
    std::string pdf;
    for (int i = 0; i < 100; ++i) pdf += std::string(76, 'Q') + "\r\n";  // 5,700 bytes
    const std::string page = Page(
        "From: a@example.org\r\nSubject: files\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"M\"\r\n\r\n"
        "--M\r\nContent-Type: multipart/alternative; boundary=\"A\"\r\n\r\n"
        "--A\r\nContent-Type: text/plain\r\n\r\nsee the report\r\n"
        "--A\r\nContent-Type: text/html\r\n\r\n<p>see the <b>report</b></p>\r\n--A--\r\n"
        "--M\r\nContent-Type: application/pdf; name=\"=?utf-8?Q?r=C3=A9port_<1>.pdf?=\"\r\n"
        "Content-Disposition: attachment\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
        pdf +
        "--M\r\nContent-Type: text/plain; name=notes.txt\r\n"
        "Content-Disposition: attachment; filename=notes.txt\r\n\r\nabc\r\n--M--\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_EQ(view.attachments, 2);
    EXPECT_TRUE(Has(page, "<p>see the <b>report</b></p>"));
    EXPECT_FALSE(Has(page, "see the report"));  // the alternative text is not shown too
    EXPECT_TRUE(
        Has(page, "r\xC3\xA9port &lt;1&gt;.pdf</a> <span class=\"details\">(application/pdf, " +
                      QLocale::system().formattedDataSize(5700).toStdString() + ")"))
        << page;
    EXPECT_TRUE(Has(page, "notes.txt</a> <span class=\"details\">(text/plain, "));
    EXPECT_TRUE(Pictures().empty());
    // The name opens the attachment and "Save as..." saves it: links the pane hands to the
    // window, naming the part to write.
    ASSERT_EQ(view.listed.size(), 2u);
    EXPECT_EQ(view.listed[1].name, "notes.txt");
    for (const MailAttachment& attachment : view.listed) {
        const std::string part = std::to_string(attachment.part);
        EXPECT_TRUE(Has(page, "href=\"dbxr-attachment:open/" + part + "\">")) << page;
        EXPECT_TRUE(Has(page, "href=\"dbxr-attachment:save/" + part + "\">Save as...</a>"));
    }
}

TEST(AttachmentLinks, ReadBackOnlyWhatThePageWrites) {
    for (const AttachmentAction action : {AttachmentAction::Open, AttachmentAction::Save}) {
        for (const int part : {0, 7, 123456}) {
            AttachmentAction read =
                action == AttachmentAction::Open ? AttachmentAction::Save : AttachmentAction::Open;
            int readPart = -1;
            const QUrl link(QString::fromStdString(AttachmentLink(action, part)));
            ASSERT_TRUE(ReadAttachmentLink(link, &read, &readPart))
                << link.toString().toStdString();
            EXPECT_EQ(read, action);
            EXPECT_EQ(readPart, part);
        }
    }
    for (const char* other :
         {"dbxr-attachment:open/", "dbxr-attachment:open/-1", "dbxr-attachment:open/1x",
          "dbxr-attachment:run/1", "dbxr-attachment:open/1?x", "dbxr-attachment:open/1#x",
          "dbxr-attachment://host/open/1", "dbxr-attachment:open/12345678901",
          "dbxr-attachment:open", "file:///open/1", "https://example.org/open/1"}) {
        AttachmentAction action = AttachmentAction::Open;
        int part = -1;
        EXPECT_FALSE(ReadAttachmentLink(QUrl(other), &action, &part)) << other;
    }
}

TEST_F(MailViewTest, AMailCannotWriteLinksToItsAttachments) {
    const std::string page = Page(
        "From: a@example.org\r\nContent-Type: text/html\r\n\r\n"
        "<a href=\"dbxr-attachment:open/0\">one</a><a href=\" DBXR-ATTACHMENT:save/0\">two</a>"
        "<a id=\"dbxr-open-0\" href=\"https://example.org/\">three</a>");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_FALSE(Has(page, "dbxr-attachment:")) << page;
    EXPECT_FALSE(Has(page, "DBXR-ATTACHMENT")) << page;
    EXPECT_FALSE(Has(page, "dbxr-open-0")) << page;
}

TEST_F(MailViewTest, RemotePicturesAreBlockedWithOneLineAboveTheBody) {
    const std::string page = Page(
        "From: a@example.org\r\nContent-Type: text/html\r\n\r\n<p>hi</p>"
        "<img src=\"http://tracker.example/p.gif\">");
    EXPECT_EQ(view.remoteImages, 1);
    const std::size_t note = page.find("id=\"dbxr-remote\"");
    ASSERT_NE(note, std::string::npos);
    EXPECT_LT(note, page.find("<p>hi</p>"));
    EXPECT_FALSE(Has(page, "tracker.example"));
}

TEST_F(MailViewTest, WhatIsNoMailFallsBack) {
    const std::vector<std::string> unreadable = {
        "",
        std::string("\0\0\0\0garbage\x01\x02", 13),
        "<html><body>no headers at all</body></html>",
        "Xq9: 1\r\nZz: 2\r\n\r\nbody",
    };
    for (const std::string& bytes : unreadable) {
        EXPECT_EQ(
            BuildMailViewFromBytes(QByteArray::fromStdString(bytes), dir.Path().string()).status,
            MailViewStatus::Unreadable)
            << bytes;
    }
    EXPECT_EQ(BuildMailView(dir.File("missing.eml"), dir.Path().string()).status,
              MailViewStatus::Unreadable);
}

TEST_F(MailViewTest, ADeletedMessageWithItsFirstBytesOverwrittenIsStillRead) {
    const std::string page = Page(std::string("\0\0\0\0: a@example.org\r\n", 21) +
                                  "Subject: kept\r\nContent-Type: text/plain; charset=utf-8\r\n"
                                  "\r\nstill here\r\n");
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(Has(page, "<div class=\"subject\">kept</div>"));
    EXPECT_TRUE(Has(page, "still here"));
}

TEST_F(MailViewTest, ALongBodyIsCutAndSaysSo) {
    MailViewOptions small;
    small.maxBodyBytes = 1000;
    const std::string page =
        Page("From: a@example.org\r\n\r\n" + std::string(5000, 'x') + "END\r\n", small);
    ASSERT_EQ(view.status, MailViewStatus::Shown);
    EXPECT_TRUE(Has(page, "id=\"dbxr-truncated\""));
    EXPECT_FALSE(Has(page, "END"));
    EXPECT_FALSE(Has(Page("From: a@example.org\r\n\r\nshort\r\n", small), "dbxr-truncated"));
}

TEST_F(MailViewTest, AFileOnDiskAndAStopRequest) {
    const std::string eml = dir.File("m.eml");
    {
        std::FILE* f = std::fopen(eml.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("From: a@example.org\r\nSubject: disk\r\n\r\nfrom disk\r\n", f);
        std::fclose(f);
    }
    const MailView shown = BuildMailView(eml, dir.Path().string());
    ASSERT_EQ(shown.status, MailViewStatus::Shown);
    EXPECT_EQ(fs::path(shown.pagePath).parent_path(), dir.Path());
    EXPECT_TRUE(Has(ReadWholeFile(shown.pagePath), "from disk"));
    // The next page has a name of its own, and the earlier one is gone.
    const MailView next = BuildMailView(eml, dir.Path().string());
    ASSERT_EQ(next.status, MailViewStatus::Shown);
    EXPECT_NE(next.pagePath, shown.pagePath);
    EXPECT_FALSE(fs::exists(shown.pagePath));
    EXPECT_TRUE(fs::exists(next.pagePath));
    EXPECT_EQ(fs::path(next.pagePath).filename().string().rfind("MailView-", 0), 0u);
    MailViewOptions small;
    small.maxMessageBytes = 20;  // the message is larger: the raw view takes it
    EXPECT_EQ(BuildMailView(eml, dir.Path().string(), small).status, MailViewStatus::Unreadable);
    std::atomic<int> stop{1};
    EXPECT_EQ(BuildMailView(eml, dir.Path().string(), {}, &stop).status, MailViewStatus::Stopped);
}

TEST_F(MailViewTest, TheSourceIsTheStoredTextEscapedInOneMonospaceBlock) {
    const std::string eml = dir.File("s.eml");
    // Markup and an encoded word stay as stored; the byte E9 is no UTF-8: it reads in the
    // fallback charset.
    std::ofstream(eml, std::ios::binary)
        << ("From: =?utf-8?Q?Ana?= <a@example.org>\r\nSubject: caf\xE9\r\n"
            "Content-Type: text/html\r\n\r\n<script>alert(1)</script><b>bold</b>\r\n");
    const MailView shown = BuildSourceView(eml, dir.Path().string());
    ASSERT_EQ(shown.status, MailViewStatus::Shown);
    EXPECT_EQ(fs::path(shown.pagePath).parent_path(), dir.Path());
    EXPECT_EQ(fs::path(shown.pagePath).filename().string().rfind("MailView-", 0), 0u);
    const std::string page = ReadWholeFile(shown.pagePath);
    EXPECT_TRUE(Has(page, "Content-Security-Policy"));
    EXPECT_TRUE(Has(page, "monospace"));
    EXPECT_TRUE(
        Has(page, "<pre>From: =?utf-8?Q?Ana?= &lt;a@example.org&gt;\r\nSubject: caf\xC3\xA9"));
    EXPECT_TRUE(Has(page, "&lt;script&gt;alert(1)&lt;/script&gt;&lt;b&gt;bold&lt;/b&gt;"));
    EXPECT_FALSE(Has(page, "<script"));
    EXPECT_FALSE(Has(page, "not shown"));
    // The next page replaces it.
    const MailView next = BuildSourceView(eml, dir.Path().string());
    ASSERT_EQ(next.status, MailViewStatus::Shown);
    EXPECT_FALSE(fs::exists(shown.pagePath));
}

TEST_F(MailViewTest, ALongSourceIsCutAtALineEndAndAFileThatCannotBeReadShowsNothing) {
    const std::string eml = dir.File("long.eml");
    std::string message = "From: a@example.org\r\n\r\n";
    for (int line = 0; line < 100; ++line) message += "line " + std::to_string(line) + "\r\n";
    std::ofstream(eml, std::ios::binary) << message;
    MailViewOptions small;
    small.maxBodyBytes = 100;
    const MailView shown = BuildSourceView(eml, dir.Path().string(), small);
    ASSERT_EQ(shown.status, MailViewStatus::Shown);
    const std::string page = ReadWholeFile(shown.pagePath);
    const std::size_t kept = message.substr(0, 100).rfind('\n') + 1;
    EXPECT_TRUE(Has(page, message.substr(0, kept) + "</pre>"));
    EXPECT_TRUE(Has(page, "The rest of the message (" + std::to_string(message.size() - kept) +
                              " bytes) is not shown."));

    const MailView missing = BuildSourceView(dir.File("gone.eml"), dir.Path().string());
    EXPECT_EQ(missing.status, MailViewStatus::Unreadable);
    EXPECT_TRUE(missing.pagePath.empty());
    std::atomic<int> stop{1};
    EXPECT_EQ(BuildSourceView(eml, dir.Path().string(), {}, &stop).status, MailViewStatus::Stopped);
}

}  // namespace
}  // namespace dbx::test
