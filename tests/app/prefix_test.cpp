// Settings: the file-name prefix dialog, its refusals, and the prefix the next save uses.
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "common/modal_run.h"
#include "dialog_fixture.h"
#include "dialogs/prefix_dialog.h"
#include "static_text.h"

namespace dbx::test {
namespace {

// Works the prefix dialog as a user would: each attempt replaces the field's text and
// presses OK; what the field held when the dialog opened is recorded.
class PrefixRun {
  public:
    enum class Finish { Ok, Cancel, Escape };
    // `typed`, when not null, is typed into the field before the dialog is finished.
    PrefixRun(std::vector<QString> attempts, Finish finish = Finish::Ok, QString typed = {})
        : attempts_(std::move(attempts)),
          finish_(finish),
          typed_(std::move(typed)),
          seam_([this](QDialog& d) { return Drive(d); }) {}

    // What the dialog showed and how it ended; it is gone once the command returns.
    bool seen = false;
    QString title;
    bool hasParent = true;
    QString label;
    QSize pictureSize;
    QSize size;
    QString shownAtStart;
    QString shownAtEnd;           // the field when the dialog was finished
    std::vector<bool> openAfter;  // per attempt: the dialog stayed open
    int result = -1;

    int Runs() const { return seam_.Runs(); }

  private:
    int Drive(QDialog& d) {
        auto* dialog = dynamic_cast<PrefixDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return int(QDialog::Rejected);
        seen = true;
        title = dialog->windowTitle();
        hasParent = dialog->parentWidget() != nullptr;
        label = dialog->ControlAs<StaticText>(1017)->WindowText();
        pictureSize = dialog->Background().size();
        size = dialog->size();
        auto* edit = dialog->ControlAs<QLineEdit>(1002);
        shownAtStart = edit->text();
        result = Work(*dialog, edit);
        return result;
    }
    int Work(PrefixDialog& dialog, QLineEdit* edit) {
        for (const QString& text : attempts_) {
            Replace(edit, text);
            QTest::mouseClick(dialog.Control(1), Qt::LeftButton);
            openAfter.push_back(dialog.isVisible());
            if (!dialog.isVisible()) return dialog.result();
        }
        if (!typed_.isNull()) Replace(edit, typed_);
        shownAtEnd = edit->text();
        if (finish_ == Finish::Cancel) QTest::mouseClick(dialog.Control(2), Qt::LeftButton);
        if (finish_ == Finish::Escape) QTest::keyClick(edit, Qt::Key_Escape);
        if (finish_ == Finish::Ok) QTest::keyClick(edit, Qt::Key_Return);
        return dialog.result();
    }

    static void Replace(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        // The test keyboard has ASCII keys only; other letters are put in as a paste would.
        bool ascii = true;
        for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }

    std::vector<QString> attempts_;
    Finish finish_;
    QString typed_;
    ModalTestSeam seam_;
};

using Settings = DialogTest;

TEST_F(Settings, ShowsMailRecAtFirstThenTheLastAcceptedPrefix) {
    {
        PrefixRun run({"Inbox"});
        Click(kIdSettings);
        EXPECT_EQ(run.shownAtStart, "MailRec");
        EXPECT_EQ(run.openAfter, std::vector<bool>{false});
    }
    EXPECT_EQ(dialog->Session().prefix, "Inbox");
    PrefixRun again({}, PrefixRun::Finish::Cancel);
    dialog->RunCommand(kCmdSettings);
    EXPECT_EQ(again.Runs(), 1);
    EXPECT_EQ(again.shownAtStart, "Inbox");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Settings, TheDialogItsCaptionLabelAndPicture) {
    PrefixRun run({}, PrefixRun::Finish::Cancel);
    Click(kIdSettings);
    ASSERT_TRUE(run.seen);
    EXPECT_EQ(run.title, "Varnook Tobrin (File Name Setting)");
    EXPECT_FALSE(run.hasParent);
    EXPECT_EQ(run.label, "File Name Prefix");
    EXPECT_EQ(run.pictureSize, QSize(375, 185));
    EXPECT_EQ(run.size, QSize(369, 179));  // 246 x 110 dialog units
    EXPECT_EQ(run.result, QDialog::Rejected);
}

TEST_F(Settings, AColonAnApostropheOrAnyOtherIllegalCharacterIsRefused) {
    std::vector<QString> attempts{"In:box", "Bob's"};
    for (const char* c : {"/", "\\", "|", "*", "?", "<", ">"}) attempts.push_back(QString("a") + c);
    PrefixRun run(attempts, PrefixRun::Finish::Cancel);
    Click(kIdSettings);
    EXPECT_EQ(run.openAfter, std::vector<bool>(attempts.size(), true));
    ASSERT_EQ(boxes.Shown().size(), attempts.size());
    for (const ShownMessageBox& box : boxes.Shown()) {
        EXPECT_EQ(box.text, "Illegal character found in file pre fix ");
        EXPECT_EQ(box.caption, "Varnook Tobrin Quillmark");
        EXPECT_EQ(box.style, 0x40u);
        EXPECT_EQ(box.options.owner, nullptr);
        EXPECT_EQ(box.options.windowArea.backgroundEffect, 12);
    }
    // The text stays as typed; Cancel then keeps the old prefix.
    EXPECT_EQ(run.shownAtEnd, "a>");
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
}

TEST_F(Settings, AnEmptyPrefixIsRefused) {
    PrefixRun run({""}, PrefixRun::Finish::Cancel);
    Click(kIdSettings);
    EXPECT_EQ(run.openAfter, std::vector<bool>{true});
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Please fill prefix");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Quillmark");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
}

TEST_F(Settings, APrefixWithSpacesAndDotsIsTakenExactlyAsTyped) {
    PrefixRun run({" Inbox 2004. "});
    Click(kIdSettings);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(dialog->Session().prefix, " Inbox 2004. ");
}

TEST_F(Settings, NonAsciiLettersAreKeptAsFileNameBytes) {
    PrefixRun run({QString::fromUtf8("Post\u00e9")});
    Click(kIdSettings);
    EXPECT_EQ(dialog->Session().prefix, "Post\xC3\xA9");
}

TEST_F(Settings, CancelAndEscapeKeepTheOldPrefix) {
    {
        PrefixRun run({}, PrefixRun::Finish::Cancel, "Typed");
        dialog->RunCommand(kIdSettings);
        EXPECT_EQ(run.shownAtEnd, "Typed");
    }
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
    {
        PrefixRun run({"Sent:"}, PrefixRun::Finish::Escape);
        dialog->RunCommand(kCmdSettings);
        EXPECT_EQ(run.openAfter, std::vector<bool>{true});
    }
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
}

TEST_F(Settings, EnterInTheFieldActsAsOk) {
    PrefixRun run({}, PrefixRun::Finish::Ok);
    // No attempt: the field keeps "MailRec" and Enter accepts it.
    Click(kIdSettings);
    EXPECT_EQ(run.result, QDialog::Accepted);
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
}

TEST_F(Settings, TheNewPrefixNamesTheNextSave) {
    TempDir out;
    seams.saveFolder = [&](const std::string&) { return out.Path().string(); };
    Scan({{"a@example.org", "<b@example.net>", "S", "Subject: S\r\n\r\nBody\r\n"}});
    {
        PrefixRun run({"Inbox."});
        Click(kIdSettings);
    }
    Click(kIdSelectAll);
    const std::string name =
        "Inbox." + std::to_string(dialog->Session().mailCounter.Value()) + ".eml";
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(out.Path().string()), std::vector<std::string>{name});
}

}  // namespace
}  // namespace dbx::test
