// The decoded preview through the main window: shown by default, the raw view one switch away,
// the raw view for what cannot be read, and a hostile mail kept from reaching out.
#include <QAction>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "browser/browser_pane.h"
#include "counting_server.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "output_path.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

const char kOutlookHtml[] =
    "From: \"Ana\" <ana@example.org>\r\nSubject: Vaga\r\nMIME-Version: 1.0\r\n"
    "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
    "<HTML><HEAD></HEAD><BODY bgColor=3D#ffffff><P>Estagi=C3=A1rio=20aceito</P>"
    "</BODY></HTML>\r\n";

class DecodedPreview : public DialogTest {
  protected:
    QString PaneText() {
        QString text;
        bool done = false;
        dialog->Pane()->View()->page()->toPlainText([&](const QString& t) {
            text = t;
            done = true;
        });
        PumpUntil([&] { return done; });
        return text;
    }
    // Waits until the pane shows `name` from the preview folder, loaded; "decoded" and "source"
    // stand for the decoded and the source page, whose names change with every preview.
    bool PaneShowsFile(const std::string& name) {
        const QString folder = QString::fromStdString(TempFolder());
        return PumpUntil([&] {
            const QUrl url = dialog->Pane()->Url();
            const QString file = url.toLocalFile();
            const bool ours = file.startsWith(folder + "/MailView-");
            const bool named =
                name == "decoded" ? ours && file.endsWith(".html") && !file.endsWith("-source.html")
                : name == "source"
                    ? ours && file.endsWith("-source.html")
                    : url ==
                          QUrl::fromLocalFile(QString::fromStdString(JoinPath(TempFolder(), name)));
            return named && !dialog->Pane()->View()->page()->isLoading() && !dialog->Flow().Busy();
        });
    }
};

TEST_F(DecodedPreview, AClickShowsTheMessageDecodedAndCtrlUTheSource) {
    Scan({{"ana@example.org", "x@example.net", "Vaga", kOutlookHtml}});
    ClickCell(0, ResultsModel::kSubject);
    ASSERT_TRUE(PaneShowsFile("decoded"));
    QString text = PaneText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Estagi\xC3\xA1rio aceito"))) << text.toStdString();
    EXPECT_TRUE(text.contains("Ana <ana@example.org>"));
    EXPECT_FALSE(text.contains("=C3=A1"));

    // Ctrl+U: the same message's source, header lines and markup as text, shown again at once.
    QTest::keyClick(dialog.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(MessageSourceAction()->isChecked());
    ASSERT_TRUE(PaneShowsFile("source"));
    text = PaneText();
    EXPECT_TRUE(text.contains("Content-Transfer-Encoding: quoted-printable")) << text.toStdString();
    EXPECT_TRUE(text.contains("=C3=A1"));
    EXPECT_TRUE(text.contains("<html>", Qt::CaseInsensitive));
    // It stays so for the next preview, until switched back.
    ClickCell(0, ResultsModel::kFrom);
    WaitForJobs();
    EXPECT_TRUE(PaneShowsFile("source"));
    QTest::keyClick(dialog.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_FALSE(MessageSourceAction()->isChecked());
    EXPECT_TRUE(PaneShowsFile("decoded"));
}

TEST_F(DecodedPreview, WhatCannotBeReadAsAMailShowsTheRawView) {
    Scan({{"d@example.org", "x@example.net", "damaged",
           std::string("\x01\x02\x03 no headers here, only <b>bytes</b>\r\n")}});
    ClickCell(0, ResultsModel::kSubject);
    ASSERT_TRUE(PaneShowsFile("MailHtml.txt"));
    EXPECT_TRUE(PaneText().contains("no headers here, only <b>bytes</b>"));
}

TEST_F(DecodedPreview, AHostileMailNeitherRunsNorReachesOut) {
    CountingServer server;
    ASSERT_TRUE(server.Listening());
    const std::string base = server.Base();
    const std::string html =
        "<html><head><title>quiet</title><meta http-equiv=\"refresh\" content=\"0;url=" + base +
        "/refresh\"><base href=\"" + base + "/\"><link rel=stylesheet href=\"" + base +
        "/s.css\"><style>body{background:url(" + base +
        "/bg.png)}</style></head><body onload=\"document.title='ran'\">"
        "<p id=p>text</p><script>document.title='ran';document.getElementById('p')."
        "innerHTML='script ran';</script><img src=\"" +
        base + "/pixel.gif\"><img src=\"relative.gif\"><iframe src=\"" + base +
        "/frame\"></iframe><form action=\"" + base +
        "/submit\" method=post><input name=q value=1 autofocus><input type=submit id=go>"
        "</form><a href=\"javascript:document.title='ran'\">js</a><object data=\"" +
        base + "/o.swf\"></object><svg><image href=\"" + base + "/svg.png\"/></svg></body></html>";
    Scan({{"evil@example.org", "x@example.net", "hostile",
           "From: evil@example.org\r\nSubject: hostile\r\nContent-Type: text/html\r\n\r\n" + html +
               "\r\n"}});
    ClickCell(0, ResultsModel::kSubject);
    ASSERT_TRUE(PaneShowsFile("decoded"));
    const QUrl page = dialog->Pane()->Url();
    // What the page fetched it fetched before it was done; a refresh or a form could only
    // reach the server by its address, which the page written must not hold (below).
    ASSERT_TRUE(server.CountEarlierConnections());
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(dialog->Pane()->Url(), page);
    const QString text = PaneText();
    EXPECT_TRUE(text.contains("text"));
    EXPECT_FALSE(text.contains("script ran"));
    EXPECT_NE(dialog->Pane()->View()->page()->title(), "ran");
    // One line above the body says that pictures from the internet stay out.
    EXPECT_TRUE(text.contains("Pictures from the internet in this message are blocked."));
    const std::string written = ReadAll(page.toLocalFile().toStdString());
    EXPECT_EQ(written.find(server.Port()), std::string::npos);
}

TEST_F(DecodedPreview, TheRawViewOfAHostileMailIsAsSafe) {
    CountingServer server;
    ASSERT_TRUE(server.Listening());
    const std::string base = server.Base();
    const std::string html =
        "<html><head><title>quiet</title><meta http-equiv=\"refresh\" content=\"1;url=" + base +
        "/refresh\"><style>body{background:url(" + base +
        "/bg.png)}</style></head>"
        "<body><p>raw text</p><iframe src=\"file:///etc/passwd\"></iframe><img src=\"" +
        base + "/pixel.gif\"><script>document.title='ran'</script></body></html>";
    // The first message has only a header no mail has: it cannot be decoded and falls back to
    // the raw view; both are then shown as their source.
    Scan(
        {{"evil@example.org", "x@example.net", "undecodable", "X-Anything: 1\r\n\r\n" + html},
         {"evil@example.org", "x@example.net", "hostile",
          "From: evil@example.org\r\nSubject: hostile\r\nContent-Type: text/html\r\n\r\n" + html}});
    const auto checkRawView = [&](const std::string& what) {
        ASSERT_TRUE(PaneShowsFile("MailHtml.html")) << what;
        const QUrl page = dialog->Pane()->Url();
        ASSERT_TRUE(server.CountEarlierConnections()) << what;
        EXPECT_EQ(server.Connections(), 0) << what;
        EXPECT_EQ(dialog->Pane()->Url(), page) << what;
        EXPECT_TRUE(PaneText().contains("raw text")) << what;
        EXPECT_NE(dialog->Pane()->View()->page()->title(), "ran") << what;
        const std::string written = ReadAll(JoinPath(TempFolder(), "MailHtml.html"));
        EXPECT_NE(written.find("Content-Security-Policy"), std::string::npos) << what;
        for (const char* gone : {"/etc/passwd", "<iframe", "refresh", "<script"}) {
            EXPECT_EQ(written.find(gone), std::string::npos) << what << ": " << gone;
        }
        EXPECT_EQ(written.find(server.Port()), std::string::npos) << what;
    };
    int fallbacks = 0;
    for (int row = 0; row < 2; ++row) {
        const QUrl before = dialog->Pane()->Url();
        ClickCell(row, ResultsModel::kSubject);
        // One message shows decoded, the other falls back to the raw view: a new page either way.
        ASSERT_TRUE(PumpUntil([&] {
            const QString name = dialog->Pane()->Url().fileName();
            return dialog->Pane()->Url() != before &&
                   (name == "MailHtml.html" || name.startsWith("MailView-")) &&
                   !dialog->Pane()->View()->page()->isLoading() && !dialog->Flow().Busy();
        }));
        if (dialog->Pane()->Url().fileName() != "MailHtml.html") continue;
        ++fallbacks;
        checkRawView("the fallback");
    }
    EXPECT_EQ(fallbacks, 1);
    QTest::keyClick(dialog.get(), Qt::Key_U, Qt::ControlModifier);
    for (int row = 0; row < 2; ++row) {
        const std::string what = "the source of row " + std::to_string(row);
        ClickCell(row, ResultsModel::kSubject);
        ASSERT_TRUE(PaneShowsFile("source")) << what;
        ASSERT_TRUE(server.CountEarlierConnections()) << what;
        EXPECT_EQ(server.Connections(), 0) << what;
        // The markup is text to read, not a page to run.
        EXPECT_TRUE(PaneText().contains("<script>document.title='ran'</script>")) << what;
        EXPECT_NE(dialog->Pane()->View()->page()->title(), "ran") << what;
        const std::string written = ReadAll(dialog->Pane()->Url().toLocalFile().toStdString());
        EXPECT_EQ(written.find("<script"), std::string::npos) << what;
        EXPECT_EQ(written.find("<iframe"), std::string::npos) << what;
    }
}

TEST_F(DecodedPreview, TheKeyboardPreviewsTheRowItLeavesTheHighlightOn) {
    Scan({{"a@example.org", "x@example.net", "first",
           "From: a@example.org\r\nSubject: first\r\n\r\nthe first body\r\n"},
          {"b@example.org", "x@example.net", "second",
           "From: b@example.org\r\nSubject: second\r\n\r\nthe second body\r\n"}});
    ResultsView* list = dialog->ResultsList();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_TRUE(PaneShowsFile("decoded"));
    EXPECT_TRUE(PaneText().contains("the first body"));
    // The list takes the keyboard back once the preview is over.
    ASSERT_TRUE(PumpUntil([&] { return list->isEnabled() && dialog->focusWidget() == list; }));
    QTest::keyClick(list, Qt::Key_Up);
    ASSERT_TRUE(PumpUntil([&] { return PaneText().contains("the second body"); }));
    EXPECT_EQ(list->currentIndex().row(), 0);
}

}  // namespace
}  // namespace dbx::test
