// Browse: the store file dialog, its selection text, and the path it puts in the field.
#include <QLineEdit>

#include <filesystem>
#include <fstream>

#include "dialog_fixture.h"
#include "modal_run.h"
#include "results_model.h"
#include "selection_text.h"
#include "store_file_dialog.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

TEST(SplitSelectionText, QuotedNamesSeparatedByBlanks) {
    EXPECT_EQ(SplitSelectionText(R"("Inbox.dbx" "Sent Items.dbx")"),
              (QStringList{"Inbox.dbx", "Sent Items.dbx"}));
    EXPECT_EQ(SplitSelectionText(R"("one.dbx")"), QStringList{"one.dbx"});
}

TEST(SplitSelectionText, ASingleNameWithoutQuotationMarksIsKeptWhole) {
    EXPECT_EQ(SplitSelectionText("Inbox.dbx"), QStringList{"Inbox.dbx"});
    EXPECT_EQ(SplitSelectionText("a"), QStringList{"a"});
    // A quotation mark inside a bare name belongs to it.
    EXPECT_EQ(SplitSelectionText(R"(My "old" Inbox.dbx)"), QStringList{R"(My "old" Inbox.dbx)"});
}

TEST(SplitSelectionText, UntidyTextsGiveTheNamesInThem) {
    EXPECT_TRUE(SplitSelectionText("").isEmpty());
    EXPECT_TRUE(SplitSelectionText(R"("")").isEmpty());
    EXPECT_EQ(SplitSelectionText(R"("a.dbx"   "b.dbx")"), (QStringList{"a.dbx", "b.dbx"}));
    EXPECT_EQ(SplitSelectionText(R"("a.dbx" "" "b.dbx")"), (QStringList{"a.dbx", "b.dbx"}));
    EXPECT_EQ(SplitSelectionText(R"("a.dbx" "b.d)"), (QStringList{"a.dbx", "b.d"}));
}

TEST(StoreFileDialog, OneStoreFileWithItsTitleAndFilter) {
    CStoreFileDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Varnook Tobrin Outlook Express");
    EXPECT_EQ(dialog.nameFilters(), QStringList{"OutLook Express File(*.dbx)"});
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontResolveSymlinks));
}

TEST(StoreFileDialog, ASelectionTextIsSplitAndJoinedToItsFolder) {
    TempDir folder;
    CStoreFileDialog dialog;
    ModalTestSeam seam([&](QDialog& d) {
        static_cast<CStoreFileDialog&>(d).OnSelectionChange(R"("a.dbx" "b c.dbx")",
                                                            QString::fromStdString(folder.Path()));
        d.done(QDialog::Accepted);
        return d.result();
    });
    ASSERT_EQ(dialog.DoModal(), 1);
    QStringList paths;
    for (int position = dialog.GetStartPosition(); position != 0;) {
        paths << dialog.GetNextPathName(position);
    }
    EXPECT_EQ(paths, (QStringList{QString::fromStdString(folder.File("a.dbx")),
                                  QString::fromStdString(folder.File("b c.dbx"))}));
    // Asked again, the walk gives the same names.
    int position = dialog.GetStartPosition();
    EXPECT_EQ(dialog.GetNextPathName(position), QString::fromStdString(folder.File("a.dbx")));
}

TEST(StoreFileDialog, ABareNameInASelectionTextKeepsEveryCharacter) {
    CStoreFileDialog dialog;
    ModalTestSeam seam([&](QDialog& d) {
        static_cast<CStoreFileDialog&>(d).OnSelectionChange("Inbox.dbx", "/data/mail");
        d.done(QDialog::Accepted);
        return d.result();
    });
    ASSERT_EQ(dialog.DoModal(), 1);
    int position = dialog.GetStartPosition();
    EXPECT_EQ(dialog.GetNextPathName(position), "/data/mail/Inbox.dbx");
    EXPECT_EQ(position, 0);
}

using Browse = DialogTest;

TEST_F(Browse, TheChosenFileGoesIntoThePathFieldAndNextSearchesIt) {
    WriteStore(store, {{"a@example.org", "<b@example.net>", "S", "Subject: S\r\n\r\nB\r\n"}});
    QWidget* parent = nullptr;
    ModalTestSeam seam([&](QDialog& d) {
        parent = d.parentWidget();
        auto& files = static_cast<QFileDialog&>(d);
        files.selectFile(QString::fromStdString(store));
        QMetaObject::invokeMethod(&files, "accept");
        return d.result();
    });
    Click(kIdBrowse);
    EXPECT_EQ(seam.Runs(), 1);
    EXPECT_EQ(parent, dialog.get());
    EXPECT_EQ(dialog->ControlAs<QLineEdit>(kIdPath)->text().toStdString(), store);
    Click(kIdNext);
    WaitForJobs();
    EXPECT_EQ(dialog->Results()->rowCount(), 1);
}

TEST_F(Browse, ALinkIsReturnedAsTheLinkItself) {
    WriteStore(store, {});
    const std::string link = stores.File("link.dbx");
    fs::create_symlink(store, link);
    ModalTestSeam seam([&](QDialog& d) {
        auto& files = static_cast<QFileDialog&>(d);
        files.selectFile(QString::fromStdString(link));
        QMetaObject::invokeMethod(&files, "accept");
        return d.result();
    });
    dialog->RunCommand(kIdHiddenBrowse);
    EXPECT_EQ(dialog->ControlAs<QLineEdit>(kIdPath)->text().toStdString(), link);
}

TEST_F(Browse, OfSeveralNamesTheLastOneWins) {
    ModalTestSeam seam([&](QDialog& d) {
        static_cast<CStoreFileDialog&>(d).OnSelectionChange(R"("x.dbx" "y.dbx")", "/mail");
        d.done(QDialog::Accepted);
        return d.result();
    });
    dialog->RunCommand(kCmdBrowse);
    EXPECT_EQ(dialog->ControlAs<QLineEdit>(kIdPath)->text(), "/mail/y.dbx");
}

TEST_F(Browse, CancelLeavesThePathFieldAlone) {
    SetPath("/kept/as/it/was.dbx");
    ModalTestSeam seam([](QDialog& d) {
        d.reject();
        return d.result();
    });
    Click(kIdBrowse);
    EXPECT_EQ(seam.Runs(), 1);
    EXPECT_EQ(dialog->ControlAs<QLineEdit>(kIdPath)->text(), "/kept/as/it/was.dbx");
}

TEST_F(Browse, IsRefusedInStepTwo) {
    Scan({});
    ASSERT_EQ(dialog->Step(), 2);
    ModalTestSeam seam([](QDialog& d) { return d.result(); });
    dialog->RunCommand(kCmdBrowse);
    dialog->RunCommand(kIdHiddenBrowse);
    EXPECT_EQ(seam.Runs(), 0);
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
}  // namespace dbx::test
