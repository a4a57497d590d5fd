// Browse: the store file dialog and the path it puts in the field.
#include <QLineEdit>

#include <filesystem>
#include <fstream>

#include "common/modal_run.h"
#include "dialog_fixture.h"
#include "dialogs/store_file_dialog.h"
#include "list/results_model.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

TEST(StoreFileDialog, OneStoreFileWithItsTitleAndFilters) {
    CStoreFileDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Varnook Tobrin Outlook Express");
    // Stores are offered first, then disk images, then anything.
    EXPECT_EQ(dialog.nameFilters(),
              (QStringList{"OutLook Express File(*.dbx)", "Disk images (*.img *.dd *.raw *.001)",
                           "All files (*)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), "OutLook Express File(*.dbx)");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontResolveSymlinks));
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
