// The preview pane: local files shown, mails kept from running scripts or reaching out.
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <fstream>

#include "browser/browser_pane.h"
#include "browser/locked_page.h"
#include "counting_server.h"
#include "dialog_fixture.h"
#include "shell.h"

namespace dbx::test {
namespace {

struct RecordingShell : Shell {
    std::vector<QString>* log;
    explicit RecordingShell(std::vector<QString>* opened) : log(opened) {}
    bool Open(const QString& target) override {
        log->push_back(target);
        return true;
    }
    bool Start(const QString&, const QStringList&, const QString&) override { return true; }
};

class Pane : public ::testing::Test {
  protected:
    void SetUp() override {
        pane.resize(400, 300);
        pane.show();
        connect();
    }
    void connect() {
        QObject::connect(&pane, &BrowserPane::LoadFinished,
                         [this](const QUrl& url, bool) { loaded.push_back(url); });
    }
    // Navigates and waits for the page to finish.
    bool Show(const std::string& path) {
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        pane.Navigate(QString::fromStdString(path));
        return PumpUntil([&] { return !loaded.empty() && loaded.back() == url; });
    }
    QString PlainText() {
        QString text;
        bool done = false;
        pane.View()->page()->toPlainText([&](const QString& t) {
            text = t;
            done = true;
        });
        PumpUntil([&] { return done; });
        return text;
    }
    std::string Write(const std::string& name, const std::string& content) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    TempDir dir;
    BrowserPane pane;
    std::vector<QUrl> loaded;
};

TEST_F(Pane, HtmlIsRenderedAndTextShownAsItIs) {
    ASSERT_TRUE(Show(Write("a.html", "<html><body><p>Hello <b>bold</b></p></body></html>")));
    EXPECT_EQ(PlainText().trimmed(), "Hello bold");
    // A later navigation replaces the page.
    ASSERT_TRUE(Show(Write("b.txt", "Plain <b>tags</b> stay\r\n")));
    EXPECT_EQ(pane.Url(), QUrl::fromLocalFile(QString::fromStdString(dir.File("b.txt"))));
    EXPECT_TRUE(PlainText().contains("Plain <b>tags</b> stay"));
}

TEST_F(Pane, AMissingFileIsNavigatedToWithoutComplaint) {
    pane.Navigate(QString::fromStdString(dir.File("gone.html")));
    EXPECT_TRUE(PumpUntil([&] { return !loaded.empty(); }));
    EXPECT_EQ(pane.Url(), QUrl::fromLocalFile(QString::fromStdString(dir.File("gone.html"))));
}

TEST_F(Pane, ScriptsDoNotRun) {
    ASSERT_TRUE(Show(Write("s.html",
                           "<html><head><title>quiet</title></head><body>x<script>"
                           "document.title='ran';document.body.innerHTML='ran';</script>"
                           "</body></html>")));
    EXPECT_EQ(pane.View()->page()->title(), "quiet");
    EXPECT_EQ(PlainText().trimmed(), "x");
}

TEST_F(Pane, NothingIsFetchedFromTheNetwork) {
    CountingServer server;
    ASSERT_TRUE(server.Listening());
    const std::string base = server.Base();
    ASSERT_TRUE(Show(Write("r.html", "<html><head><link rel=stylesheet href='" + base +
                                         "/s.css'></head><body><img src='" + base +
                                         "/i.png'><iframe src='" + base +
                                         "/f.html'></iframe>text</body></html>")));
    // Whatever the engine would have fetched has been asked for by the time the page is done.
    ASSERT_TRUE(server.CountEarlierConnections());
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(Pane, APageLoadsOnlyFilesOfItsOwnFolder) {
    const QUrl page = QUrl::fromLocalFile("/tmp/dbxr-preview/MailView-3.html");
    EXPECT_TRUE(LocalOnlyInterceptor::MayLoad(
        page, QUrl::fromLocalFile("/tmp/dbxr-preview/MailView-3-1.png")));
    EXPECT_FALSE(LocalOnlyInterceptor::MayLoad(page, QUrl("file:///etc/passwd")));
    EXPECT_FALSE(LocalOnlyInterceptor::MayLoad(page, QUrl("file:///tmp/dbxr-preview/../x/y.png")));
    EXPECT_FALSE(LocalOnlyInterceptor::MayLoad(page, QUrl("file:///tmp/dbxr-preview-2/a.png")));
    EXPECT_FALSE(LocalOnlyInterceptor::MayLoad(page, QUrl("http://example.org/a.png")));
}

TEST_F(Pane, ClickedLinksOpenOutsideThePane) {
    EXPECT_TRUE(LockedPage::MayOpenOutside(QUrl("https://example.org/")));
    EXPECT_TRUE(LockedPage::MayOpenOutside(QUrl("mailto:a@example.org")));
    EXPECT_FALSE(LockedPage::MayOpenOutside(QUrl("file:///usr/bin/xterm")));
    EXPECT_FALSE(LockedPage::MayOpenOutside(QUrl("javascript:alert(1)")));

    std::vector<QString> opened;
    auto previous = Shell::Install(std::make_unique<RecordingShell>(&opened));
    const std::string page =
        Write("l.html",
              "<html><body style='margin:0'><a href='https://example.org/x' style='display:block;"
              "width:400px;height:300px'>link</a></body></html>");
    ASSERT_TRUE(Show(page));
    QWidget* input = pane.View()->focusProxy() ? pane.View()->focusProxy() : pane.View();
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(100, 100));
    const bool openedLink = PumpUntil([&] { return !opened.empty(); }, 10000);
    Shell::Install(std::move(previous));
    ASSERT_TRUE(openedLink);
    EXPECT_EQ(opened[0], "https://example.org/x");
    EXPECT_EQ(pane.Url(), QUrl::fromLocalFile(QString::fromStdString(page)));
}

}  // namespace
}  // namespace dbx::test
