// Attachments of the decoded preview opened and saved from the pane's links: a copy in the
// private folder handed to the desktop, programs only after a warning, Save as under the
// cleaned name, failures said.
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "browser/browser_pane.h"
#include "common/app_texts.h"
#include "common/empty_folder.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "output_path.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

const QByteArray kNotes = "first line\r\nsecond line \xC3\xA9\r\n";
const QByteArray kProgram = QByteArray("MZ\x90\x00\x03 not really a program", 26);

std::string Base64(const QByteArray& bytes) {
    return bytes.toBase64().toStdString();
}

std::string MessageWithAttachments() {
    return "From: Ana <ana@example.org>\r\nTo: x@example.net\r\nSubject: Files\r\n"
           "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
           "--b1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nHere are the files.\r\n"
           "--b1\r\nContent-Type: text/plain; name=\"notes.txt\"\r\n"
           "Content-Disposition: attachment; filename=\"notes.txt\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64(kNotes) +
           "\r\n--b1\r\nContent-Type: application/octet-stream; name=\"setup.exe\"\r\n"
           "Content-Disposition: attachment; filename=\"setup.exe\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64(kProgram) +
           "\r\n--b1\r\nContent-Type: text/plain\r\n"
           "Content-Disposition: attachment; filename=\"..\\\\..\\\\evil/..profile.txt\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\nprofile=3Dyes\r\n--b1--\r\n";
}

class Attachments : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        Scan({{"ana@example.org", "x@example.net", "Files", MessageWithAttachments()}});
        ClickCell(0, ResultsModel::kSubject);
        ASSERT_TRUE(PumpUntil([&] {
            const QString file = dialog->Pane()->Url().toLocalFile();
            return file.contains("/MailView-") && !dialog->Pane()->View()->page()->isLoading() &&
                   !dialog->Flow().Busy();
        }));
        // Copies opened by an earlier test of this run are gone.
        EmptyFolder(CopiesFolder());
        seams.saveAttachmentAs = [this](const std::string& proposed) {
            proposals.push_back(proposed);
            return answer;
        };
    }

    // The middle of the link of class `link` ("open": the name, "save") of the attachment
    // listed as `name`, in the pane's pixels; (-1, -1) when there is none.
    QPoint LinkCentre(const QString& name, const char* link) {
        const QString script =
            QString(
                "(function(){var l=document.querySelectorAll('#dbxr-head .attachment');"
                "for(var i=0;i<l.length;i++){if(l[i].querySelector('a.open').textContent!==%1)"
                "continue;var r=l[i].querySelector('a.%2').getBoundingClientRect();"
                "return [r.left+r.width/2,r.top+r.height/2];}return [-1,-1];})()")
                .arg(QString::fromUtf8(QJsonDocument::fromVariant(QVariantList{name})
                                           .toJson(QJsonDocument::Compact)
                                           .mid(1)
                                           .chopped(1)))
                .arg(link);
        QVariantList point;
        bool done = false;
        // The page's own scripts are off; the test's world still runs.
        dialog->Pane()->View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                                      [&](const QVariant& result) {
                                                          point = result.toList();
                                                          done = true;
                                                      });
        if (!PumpUntil([&] { return done; }) || point.size() != 2) return {-1, -1};
        return {int(point[0].toDouble()), int(point[1].toDouble())};
    }

    // Clicks the link as a user does.
    void ClickLink(const QString& name, const char* link) {
        const QPoint at = LinkCentre(name, link);
        ASSERT_GE(at.x(), 0) << name.toStdString() << " has no " << link << " link";
        QWidget* view = dialog->Pane()->View();
        QWidget* input = view->focusProxy() ? view->focusProxy() : view;
        QTest::mouseClick(input, Qt::LeftButton, {}, at);
    }

    std::string CopiesFolder() const { return JoinPath(TempFolder(), "Attachments"); }

    std::vector<std::string> proposals;  // what Save as proposed
    std::string answer;                  // and what the user chose there
};

TEST_F(Attachments, TheNameOpensADecodedCopyInThePrivateFolder) {
    ClickLink("notes.txt", "open");
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
    WaitForJobs();
    ASSERT_EQ(opened.size(), 1u);
    const std::string path = opened[0].toStdString();
    EXPECT_EQ(path, JoinPath(CopiesFolder(), "notes.txt"));
    EXPECT_EQ(ReadAll(path), kNotes.toStdString());
    EXPECT_TRUE(boxes.Shown().empty());
    // Read-only: changes made to the copy would go with the folder at Exit.
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0400u);
    // The pane stays on the message; the window takes clicks again.
    EXPECT_TRUE(dialog->Pane()->Url().toLocalFile().contains("/MailView-"));
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));

    // Opened again, it is a second copy: the first may still be open in its program.
    ClickLink("notes.txt", "open");
    ASSERT_TRUE(PumpUntil([&] { return opened.size() == 2; }));
    WaitForJobs();
    EXPECT_EQ(opened[1].toStdString(), JoinPath(CopiesFolder(), "notes (2).txt"));
    EXPECT_EQ(ReadAll(opened[1].toStdString()), kNotes.toStdString());
}

TEST_F(Attachments, AProgramIsOpenedOnlyAfterTheWarningIsAnsweredYes) {
    boxes.Answer(kIdNo);
    ClickLink("setup.exe", "open");
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Shown().empty(); }));
    WaitForJobs();
    const ShownMessageBox& warning = boxes.Shown()[0];
    const std::string text = DisplayedText(warning.text);
    EXPECT_NE(text.find("\"setup.exe\" is a program or a script"), std::string::npos) << text;
    EXPECT_NE(text.find("can harm your files and your computer"), std::string::npos) << text;
    EXPECT_EQ(warning.style & kMbButtonSetMask, unsigned(kMbYesNo));
    EXPECT_EQ(warning.style & kMbIconMask, unsigned(kMbIconExclamation));
    // Enter alone opens nothing.
    EXPECT_EQ(DefaultButtonId(warning.style), kIdNo);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(std::filesystem::exists(JoinPath(CopiesFolder(), "setup.exe")));

    boxes.Clear();
    boxes.Answer(kIdYes);
    ClickLink("setup.exe", "open");
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
    WaitForJobs();
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(opened[0].toStdString(), JoinPath(CopiesFolder(), "setup.exe"));
    EXPECT_EQ(ReadAll(opened[0].toStdString()), kProgram.toStdString());
}

TEST_F(Attachments, SaveAsWritesTheDecodedAttachmentWhereTheUserChose) {
    answer = stores.File("kept notes.txt");
    ClickLink("notes.txt", "save");
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(answer); }));
    WaitForJobs();
    ASSERT_EQ(proposals.size(), 1u);
    EXPECT_EQ(std::filesystem::path(proposals[0]).filename(), "notes.txt");
    EXPECT_EQ(ReadAll(answer), kNotes.toStdString());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(opened.empty());

    // The next Save as starts in the folder used last, with the sender's folder names and
    // leading dots gone from the name.
    ClickLink("..\\..\\evil/..profile.txt", "save");
    ASSERT_TRUE(PumpUntil([&] { return proposals.size() == 2; }));
    EXPECT_EQ(proposals[1], stores.File("profile.txt"));
    // Declined: nothing is written.
    WaitForJobs();
    EXPECT_FALSE(std::filesystem::exists(stores.File("profile.txt")));

    answer = stores.File("profile.txt");
    ClickLink("..\\..\\evil/..profile.txt", "save");
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(answer); }));
    WaitForJobs();
    EXPECT_EQ(ReadAll(answer), "profile=yes");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Attachments, AFileChosenAgainIsReplacedWholeAsTheDialogConfirmed) {
    answer = stores.File("setup.exe");
    std::ofstream(answer) << "an older file of that name";
    ClickLink("setup.exe", "save");
    ASSERT_TRUE(PumpUntil([&] { return !proposals.empty(); }));
    WaitForJobs();
    EXPECT_EQ(ReadAll(answer), kProgram.toStdString());
    // Saving a program asks nothing: only opening one is risky. No partial file is left.
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(opened.empty());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(stores.Path())) {
        files += entry.path().filename() != "store.dbx";
    }
    EXPECT_EQ(files, 1);
}

TEST_F(Attachments, AFolderThatCannotBeWrittenIsSaid) {
    // A file stands where the folder should be: nobody, root included, can write there.
    const std::string notAFolder = stores.File("plain file");
    std::ofstream(notAFolder) << "x";
    answer = JoinPath(notAFolder, "notes.txt");
    ClickLink("notes.txt", "save");
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Shown().empty(); }));
    WaitForJobs();
    const std::string text = DisplayedText(boxes.Shown()[0].text);
    EXPECT_NE(text.find("The attachment \"notes.txt\" could not be saved as\n" + answer),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(std::strerror(ENOTDIR)), std::string::npos) << text;
    EXPECT_EQ(ReadAll(notAFolder), "x");

    if (::geteuid() != 0) {
        const std::string locked = stores.File("locked");
        std::filesystem::create_directory(locked);
        ::chmod(locked.c_str(), 0500);
        boxes.Clear();
        answer = JoinPath(locked, "notes.txt");
        ClickLink("notes.txt", "save");
        ASSERT_TRUE(PumpUntil([&] { return !boxes.Shown().empty(); }));
        WaitForJobs();
        EXPECT_NE(DisplayedText(boxes.Shown()[0].text).find(std::strerror(EACCES)),
                  std::string::npos);
        ::chmod(locked.c_str(), 0700);
    }
}

TEST_F(Attachments, TheWindowServesEventsWhileAnAttachmentIsWrittenAndStopEndsIt) {
    Gate gate;
    seams.attachmentStart = [&gate] { gate.Pass(0, 0); };
    ClickLink("notes.txt", "open");
    // The window answers while the job is held.
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    EXPECT_TRUE(dialog->Flow().Busy());
    EXPECT_TRUE(Visible(kIdStop));
    boxes.Answer(kIdYes);
    QTest::mouseClick(dialog->Control(kIdStop), Qt::LeftButton);
    ASSERT_EQ(boxes.Shown().size(), 1u);  // "Do you really want to stop ...?"
    EXPECT_EQ(boxes.Shown()[0].text, texts::kStopQuestion);
    gate.released = true;
    WaitForJobs();
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(std::filesystem::exists(JoinPath(CopiesFolder(), "notes.txt")));
    EXPECT_TRUE(Visible(kIdBack));
}

}  // namespace
}  // namespace dbx::test
