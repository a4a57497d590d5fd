// Help, About, the home page, Live Update and Exit.
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include "browser/browser_pane.h"
#include "common/modal_run.h"
#include "dialog_fixture.h"
#include "dialogs/about_dialog.h"
#include "list/results_model.h"
#include "output_path.h"
#include "preview/preview_controller.h"
#include "preview/preview_folder.h"
#include "scan/scan_controller.h"
#include "static_text.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

TEST(HelpFile, IsBuiltNextToTheProgramAsACompiledHelpFile) {
    const std::string help = DBXR_HELP_FILE;
    EXPECT_EQ(fs::path(help).filename(), "Varnook Tobrin DBX.chm");
    EXPECT_EQ(ReadAll(help).substr(0, 4), "ITSF");
}

using Commands = DialogTest;

TEST_F(Commands, HelpWithoutTheFileSaysSoAndWithItOpensIt) {
    dialog->RunCommand(kCmdHelp);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, " Varnook Tobrin DBX.chm not found");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
    EXPECT_TRUE(opened.empty());

    fs::copy_file(DBXR_HELP_FILE, dir.File("Varnook Tobrin DBX.chm"));
    dialog->RunCommand(kCmdHelp);
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(opened,
              std::vector<QString>{QString::fromStdString(dir.File("Varnook Tobrin DBX.chm"))});
}

TEST(HelpFile, HasATopicForEveryFeatureOfTheWindow) {
    const std::string help = ReadAll(DBXR_HELP_FILE);
    for (const char* topic : {"/recover.html", "/status.html", "/preview.html", "/saving.html",
                              "/find.html", "/codepage.html", "/deep.html", "/source.html"}) {
        EXPECT_NE(help.find(topic), std::string::npos) << topic;
    }
}

// A desktop without a program for help files.
struct NoHelpViewer : RecordingShell {
    using RecordingShell::RecordingShell;
    bool HasHelpViewer() override { return false; }
};

TEST_F(Commands, HelpWithoutAViewerNamesOneToInstall) {
    fs::copy_file(DBXR_HELP_FILE, dir.File("Varnook Tobrin DBX.chm"));
    std::unique_ptr<Shell> recording =
        Shell::Install(std::make_unique<NoHelpViewer>(&opened, &started));
    dialog->RunCommand(kCmdHelp);
    Shell::Install(std::move(recording));
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string text = DisplayedText(boxes.Shown()[0].text);
    EXPECT_NE(text.find("No program to show the help file was found."), std::string::npos);
    EXPECT_NE(text.find("apt install xchm"), std::string::npos) << text;
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
}

TEST_F(Commands, AboutFromTheMenuAndTheWindowMenu) {
    std::vector<AboutDialog*> seen;
    QString product, title;
    QSize picture;
    ModalTestSeam seam([&](QDialog& d) {
        auto* about = dynamic_cast<AboutDialog*>(&d);
        EXPECT_NE(about, nullptr);
        if (!about) return int(QDialog::Rejected);
        seen.push_back(about);
        title = about->windowTitle();
        product = about->ControlAs<StaticText>(1015)->WindowText();
        picture = about->Background().size();
        EXPECT_EQ(about->parentWidget(), nullptr);
        EXPECT_FALSE(about->ControlAs<StaticText>(1016)->WindowText().isEmpty());
        EXPECT_FALSE(about->ControlAs<StaticText>(1018)->WindowText().isEmpty());
        QTest::mouseClick(about->Control(1), Qt::LeftButton);
        EXPECT_FALSE(about->isVisible());
        return about->result();
    });
    dialog->RunCommand(kCmdAbout);
    dialog->OnSysCommand(kSysCmdAbout | 0x5);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(title, "About Varnook Tobrin Outlook Express");
    EXPECT_EQ(product, "Varnook Tobrin Outlook Express  Version 4.02");
    EXPECT_EQ(picture, QSize(458, 432));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Commands, TheHomePageIsTheShippedPageOpenedAsAFileAddress) {
    // The page the build puts next to the program, where the program is started.
    const std::string shipped = ReadAll(fs::path(DBXR_HELP_FILE).parent_path() / "home.htm");
    ASSERT_FALSE(shipped.empty());
    std::ofstream(dir.File("home.htm"), std::ios::binary) << shipped;
    const QString home =
        QUrl::fromLocalFile(QString::fromStdString(dir.File("home.htm"))).toString();
    Click(kIdHomePage);
    dialog->RunCommand(kCmdHomePage);
    EXPECT_EQ(opened, (std::vector<QString>{home, home}));
    EXPECT_EQ(ends.Requests(), 0);
    // What was opened is that page, as a local file.
    ASSERT_FALSE(opened.empty());
    const QUrl url(opened[0]);
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(ReadAll(url.toLocalFile().toStdString()), shipped);
}

class LiveUpdate : public DialogTest {
  protected:
    std::string Updater() const { return dir.File("Tobrin Live Update.exe"); }
};

TEST_F(LiveUpdate, WithoutTheUpdaterSaysSoAndGoesOn) {
    Click(kIdLiveUpdate);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "Live Update file not found. Please re-instaill the software.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(ends.Requests(), 0);
}

TEST_F(LiveUpdate, AnsweredNoLeavesTheProgramRunning) {
    std::ofstream(Updater()) << "#!/bin/sh\n";
    fs::permissions(Updater(), fs::perms::owner_all);
    boxes.Answer(kIdNo);
    dialog->RunCommand(kCmdLiveUpdate);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "The application will be closed if you want to run Live Update of the software. "
              "Continue ?");
    EXPECT_EQ(boxes.Shown()[0].style, 0x24u);
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ends.Requests(), 0);
}

TEST_F(LiveUpdate, AnsweredYesStartsTheUpdaterWithItsMarkerAndEnds) {
    std::ofstream(Updater()) << "#!/bin/sh\n";
    fs::permissions(Updater(), fs::perms::owner_all);
    boxes.Answer(kIdYes);
    Click(kIdLiveUpdate);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program.toStdString(), Updater());
    EXPECT_EQ(started[0].arguments, QStringList{"<QZWRB>"});
    EXPECT_EQ(ends.Requests(), 1);
    EXPECT_EQ(ends.LastCode(), 0);
    // No question about exiting, and no home page.
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(LiveUpdate, AnUpdaterThatIsNotAProgramHereIsHandedToTheDesktop) {
    std::ofstream(Updater()) << "MZ";
    fs::permissions(Updater(), fs::perms::owner_read | fs::perms::owner_write);
    Click(kIdLiveUpdate);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(opened, std::vector<QString>{QString::fromStdString(Updater())});
    EXPECT_EQ(ends.Requests(), 1);
}

class Exit : public DialogTest {
  protected:
    QString Home() const {
        return QUrl::fromLocalFile(QString::fromStdString(dir.File("home.htm"))).toString();
    }
    // Starts a search of many messages and holds it part way.
    void StartHeldSearch(ScanGate& gate) {
        std::vector<StoreMessage> messages;
        for (int i = 0; i < 40; ++i) {
            StoreMessage message{"", "<t@example.net>", "", "Subject: x\r\n\r\nbody\r\n"};
            message.from = std::to_string(i).append("@example.org");
            message.subject = std::to_string(i);
            messages.push_back(message);
        }
        WriteStore(store, messages);
        seams.scanWindow = gate.Hook();
        SetPath(store);
        Click(kIdNext);
        ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    }
};

TEST_F(Exit, AnsweredNoDuringASearchLetsTheSearchGoOn) {
    ScanGate gate(10 * 2560);
    StartHeldSearch(gate);
    boxes.Answer(kIdNo);
    dialog->RunCommand(kCmdExit);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to exit ?");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x24u);
    EXPECT_FALSE(dialog->Flow().Scan().StopRequested());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ends.Requests(), 0);
    gate.released = true;
    WaitForJobs();
    EXPECT_EQ(dialog->Results()->rowCount(), 40);
}

TEST_F(Exit, AnsweredYesDuringASearchStopsItOpensTheHomePageAndEnds) {
    ScanGate gate(10 * 2560);
    StartHeldSearch(gate);
    boxes.Answer(kIdYes);
    dialog->RunCommand(kCmdExitHidden);
    EXPECT_TRUE(dialog->Flow().Scan().StopRequested());
    EXPECT_EQ(opened, std::vector<QString>{Home()});
    EXPECT_EQ(ends.Requests(), 1);
    EXPECT_EQ(ends.LastCode(), 0);
    gate.released = true;
    WaitForJobs();
}

TEST_F(Exit, TheCloseBoxAsksTooAndNoKeepsTheWindow) {
    boxes.Answer(kIdNo);
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to exit ?");
    boxes.Answer(kIdYes);
    dialog->close();
    EXPECT_EQ(ends.Requests(), 1);
    EXPECT_EQ(opened, std::vector<QString>{Home()});
}

TEST_F(Exit, AMinimisedWindowIsRestoredBeforeTheQuestion) {
    dialog->showMinimized();
    ASSERT_TRUE(dialog->isMinimized());
    boxes.Answer(kIdNo);
    dialog->RunCommand(kCmdExit);
    EXPECT_FALSE(dialog->isMinimized());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Exit, NoRecoveredMailIsLeftInThePreviewFolder) {
    Scan({{"h@example.org", "<x@example.net>", "html",
           "Subject: html\r\nContent-Type: text/html\r\n\r\n<HTML><p>secret</p></HTML>\r\n"}});
    dialog->Flow().Preview().SetMode(PreviewMode::Raw);  // written to MailHtml.html
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    const std::string folder = TempFolder();
    ASSERT_TRUE(fs::exists(JoinPath(folder, "MailHtml.html")));
    // Left by a preview that the end would have cut short.
    std::ofstream(JoinPath(folder, "MailRec99.eml")) << "mail";
    boxes.Answer(kIdYes);
    dialog->RunCommand(kCmdExit);
    EXPECT_EQ(ends.Requests(), 1);
    // The folder is this run's alone: it goes with what it held.
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Exit, APreviewStillRunningIsStoppedAndKeepsItsFolderUntilItHasEnded) {
    Scan({{"h@example.org", "<x@example.net>", "html",
           "Subject: html\r\nContent-Type: text/html\r\n\r\n<HTML><p>held</p></HTML>\r\n"}});
    dialog->Flow().Preview().SetMode(PreviewMode::Raw);  // written to MailHtml.html
    Gate held;
    seams.previewStart = [&held] { held.Pass(0, 0); };
    ClickCell(0, ResultsModel::kSubject);
    // Held after the message was extracted, before its page is built.
    ASSERT_TRUE(PumpUntil([&] { return held.reached.load(); }));
    const std::string folder = TempFolder();
    ASSERT_EQ(EmlFiles(folder).size(), 1u);
    boxes.Answer(kIdYes);
    dialog->RunCommand(kCmdExit);
    EXPECT_EQ(ends.Requests(), 1);
    EXPECT_EQ(opened, std::vector<QString>{Home()});
    EXPECT_TRUE(dialog->Flow().Preview().StopRequested());
    // The job could not have ended within Exit's wait: what it may still write into stays
    // where it is.
    EXPECT_TRUE(fs::exists(folder));
    held.released = true;
    WaitForJobs();
    // Stopped: no page is shown, and its extracted message went.
    EXPECT_NE(dialog->Pane()->Url(),
              QUrl::fromLocalFile(QString::fromStdString(JoinPath(folder, "MailHtml.html"))));
    EXPECT_TRUE(EmlFiles(folder).empty());
}

TEST_F(Exit, OnlyThisRunsPreviewFolderIsRemoved) {
    // The folder of a second copy of the program, running at the same time.
    const std::string theirs = MakePrivateFolder();
    ASSERT_FALSE(theirs.empty());
    std::ofstream(JoinPath(theirs, "MailHtml.html")) << "theirs";
    Scan({{"h@example.org", "<x@example.net>", "html",
           "Subject: html\r\nContent-Type: text/html\r\n\r\n<HTML><p>ours</p></HTML>\r\n"}});
    dialog->Flow().Preview().SetMode(PreviewMode::Raw);  // written to MailHtml.html
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    const std::string ours = TempFolder();
    ASSERT_NE(ours, theirs);
    ASSERT_TRUE(fs::exists(JoinPath(ours, "MailHtml.html")));
    boxes.Answer(kIdYes);
    dialog->RunCommand(kCmdExit);
    EXPECT_EQ(ends.Requests(), 1);
    EXPECT_FALSE(fs::exists(ours));
    EXPECT_EQ(ReadAll(JoinPath(theirs, "MailHtml.html")), "theirs");
    fs::remove_all(theirs);
}

TEST_F(Exit, APreviewAfterTheFolderWasRemovedGetsAFreshPrivateFolder) {
    Scan({{"h@example.org", "<x@example.net>", "html",
           "Subject: html\r\nContent-Type: text/html\r\n\r\n<HTML><p>again</p></HTML>\r\n"}});
    dialog->Flow().Preview().SetMode(PreviewMode::Raw);  // written to MailHtml.html
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    const std::string old = TempFolder();
    boxes.Answer(kIdYes);
    dialog->RunCommand(kCmdExit);
    ASSERT_FALSE(fs::exists(old));
    // Where the process end is only recorded, the window goes on working.
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    const std::string fresh = TempFolder();
    ASSERT_FALSE(fresh.empty());
    EXPECT_NE(fresh, old);
    EXPECT_TRUE(fs::exists(JoinPath(fresh, "MailHtml.html")));
}

}  // namespace
}  // namespace dbx::test
