// Save: when it is refused, what it writes, the saving dialog, Cancel and failures.
#include <sys/stat.h>

#include <QProgressBar>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "dialog_fixture.h"
#include "list/results_model.h"
#include "save/saving_dialog.h"
#include "save/store_folder.h"
#include "session/window_session.h"
#include "static_text.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<StoreMessage>& Mails() {
    static const std::vector<StoreMessage> mails{
        {"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"},
        {"carl@example.org", "<dora@example.net>", "Second", "Subject: Second\r\n\r\nTwo\r\n"},
        {"eve@example.org", "<finn@example.net>", "Third", "Subject: Third\r\n\r\nThree\r\n"},
    };
    return mails;
}

class Save : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        seams.saveFolder = [this](const std::string& start) {
            chooserStarts.push_back(start);
            return destination;
        };
        destination = out.Path().string();
    }
    // The name the next extracted mail gets with `prefix`, `ahead` names on.
    std::string NextName(int ahead = 0, const std::string& prefix = "MailRec") const {
        return prefix + std::to_string(dialog->Session().mailCounter.Value() + ahead) + ".eml";
    }
    std::string Saved(const std::string& name) const { return ReadAll(out.File(name)); }
    // The rows of Mails() again, as found in stores of a disk image: Mails()[i] in store
    // stores[i]; the session and the list know the stores by `names`.
    void ListInStores(const std::vector<std::uint32_t>& stores,
                      const std::vector<std::string>& names) {
        Scan(Mails());
        ResultsModel& results = *dialog->Results();
        std::vector<RecoveredMessage> found;
        // Row 2 is the message found first.
        for (int row = 2; row >= 0; --row) {
            RecoveredMessage m = results.Message(row);
            m.store = stores[std::size_t(2 - row)];
            found.push_back(m);
        }
        results.Clear();
        results.Prepend(found);
        results.SetStoreNames(names);
        dialog->Session().storeNames = names;
    }

    TempDir out;
    std::string destination;
    std::vector<std::string> chooserStarts;
};

TEST_F(Save, InStepOneDoesNothingEvenWithTickedRowsLeftFromASearch) {
    Scan(Mails());
    Click(kIdSelectAll);
    Click(kIdBack);
    Click(kIdSave);
    WaitForJobs();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(chooserStarts.empty());
    EXPECT_TRUE(EmlFiles(destination).empty());
}

TEST_F(Save, DuringASearchIsRefusedEvenWithNothingTicked) {
    WriteStore(store, Mails(), 200000);
    ScanGate gate(20 * 2560);
    seams.scanWindow = gate.Hook();
    SetPath(store);
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    Click(kIdSave);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const ShownMessageBox& box = boxes.Shown()[0];
    EXPECT_EQ(box.text, "Please stop search process and then save files");
    EXPECT_EQ(box.caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.options.owner, nullptr);
    EXPECT_EQ(box.options.windowArea.backgroundEffect, 12);
    EXPECT_TRUE(chooserStarts.empty());
    gate.released = true;
    WaitForJobs();
    EXPECT_TRUE(EmlFiles(destination).empty());
}

TEST_F(Save, WithNothingTickedSaysSo) {
    Scan(Mails());
    Click(kIdSave);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Please select files for save");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
    EXPECT_TRUE(chooserStarts.empty());
}

TEST_F(Save, SelectAllThenSaveWritesEveryRowInListOrder) {
    Scan(Mails());
    const std::string storeBefore = ReadAll(store);
    Click(kIdSelectAll);
    const std::vector<std::string> names{NextName(0), NextName(1), NextName(2)};
    Click(kIdSave);
    WaitForJobs();

    // The first save offers the store's folder.
    ASSERT_EQ(chooserStarts.size(), 1u);
    EXPECT_EQ(chooserStarts[0], stores.Path().string());
    // Row 0 is the message found last.
    EXPECT_EQ(EmlFiles(destination), Sorted(names));
    EXPECT_EQ(Saved(names[0]), Mails()[2].body);
    EXPECT_EQ(Saved(names[1]), Mails()[1].body);
    EXPECT_EQ(Saved(names[2]), Mails()[0].body);
    EXPECT_EQ(ReadAll(store), storeBefore);

    ASSERT_EQ(boxes.Shown().size(), 1u);
    const ShownMessageBox& box = boxes.Shown()[0];
    EXPECT_EQ(box.text, "3 mails saved in\n" + destination);
    EXPECT_EQ(box.caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.options.windowArea.backgroundEffect, 12);
    EXPECT_EQ(dialog->findChild<SavingDialog*>("savingDialog"), nullptr);
    EXPECT_FALSE(dialog->Flow().Busy());
}

TEST_F(Save, OnlyTickedRowsAreSaved) {
    Scan(Mails());
    dialog->Results()->SetChecked(1, true);
    const std::string name = NextName();
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(destination), std::vector<std::string>{name});
    EXPECT_EQ(Saved(name), Mails()[1].body);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "1 mail saved in\n" + destination);
}

TEST_F(Save, TheSavingDialogShowsTheMessageBeingSavedAndTheProgress) {
    Scan(Mails());
    Click(kIdSelectAll);
    SaveGate gate(1);
    seams.saveItem = gate.Hook();
    Click(kIdSave);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));

    SavingDialog* saving = dialog->findChild<SavingDialog*>("savingDialog");
    ASSERT_NE(saving, nullptr);
    EXPECT_TRUE(saving->isVisible());
    EXPECT_EQ(saving->windowTitle(), "Saving Mails...");
    EXPECT_TRUE(saving->isModal());
    auto text = [saving](int id) { return saving->ControlAs<StaticText>(id)->WindowText(); };
    EXPECT_EQ(text(SavingDialog::kIdFrom), "carl@example.org");
    EXPECT_EQ(text(SavingDialog::kIdTo), "<dora@example.net>");
    EXPECT_EQ(text(SavingDialog::kIdSubject), "Second");
    EXPECT_EQ(text(1015), "From :");
    auto* bar = saving->ControlAs<QProgressBar>(SavingDialog::kIdProgress);
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_TRUE(saving->Control(SavingDialog::kIdCancel)->isVisible());
    EXPECT_FALSE(saving->Control(SavingDialog::kIdOk)->isVisible());
    // Jobs count as running while a save runs.
    EXPECT_TRUE(dialog->Flow().Busy());

    gate.released = true;
    WaitForJobs();
    EXPECT_EQ(EmlFiles(destination).size(), 3u);
}

TEST_F(Save, CancelStopsAfterTheCurrentMessage) {
    Scan(Mails());
    Click(kIdSelectAll);
    SaveGate gate(1);
    seams.saveItem = gate.Hook();
    const std::vector<std::string> names{NextName(0), NextName(1)};
    Click(kIdSave);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    QTest::mouseClick(
        dialog->findChild<SavingDialog*>("savingDialog")->Control(SavingDialog::kIdCancel),
        Qt::LeftButton);
    EXPECT_FALSE(dialog->findChild<SavingDialog*>("savingDialog")
                     ->Control(SavingDialog::kIdCancel)
                     ->isEnabled());
    // Still open until the message being saved is written.
    EXPECT_TRUE(dialog->findChild<SavingDialog*>("savingDialog")->isVisible());
    gate.released = true;
    WaitForJobs();

    EXPECT_EQ(EmlFiles(destination), Sorted(names));
    EXPECT_EQ(Saved(names[1]), Mails()[1].body);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "2 mails saved in\n" + destination + "\n\nSaving was cancelled: 1 mail not saved.");
}

TEST_F(Save, EscapeInTheSavingDialogCancelsWithoutClosingIt) {
    Scan(Mails());
    Click(kIdSelectAll);
    SaveGate gate(0);
    seams.saveItem = gate.Hook();
    Click(kIdSave);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    QTest::keyClick(dialog->findChild<SavingDialog*>("savingDialog"), Qt::Key_Escape);
    EXPECT_TRUE(dialog->findChild<SavingDialog*>("savingDialog")->isVisible());
    gate.released = true;
    WaitForJobs();
    EXPECT_EQ(EmlFiles(destination).size(), 1u);
}

TEST_F(Save, AMessageThatCannotBeSavedDoesNotStopTheOthers) {
    Scan(Mails());
    Click(kIdSelectAll);
    // Cut the store just before the second message: it and the third lie beyond its end.
    const std::uint32_t second = ParseLocation(dialog->Results()->Text(1, ResultsModel::kLocation));
    fs::resize_file(store, second - 1);
    const std::string name = NextName();
    Click(kIdSave);
    WaitForJobs();

    // Rows 0 and 1 fail; row 2 (the first message) is still saved.
    EXPECT_EQ(EmlFiles(destination), std::vector<std::string>{name});
    EXPECT_EQ(Saved(name), Mails()[0].body);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "1 mail saved in\n" + destination +
                  "\n\n2 mails could not be saved; the first: the offset lies beyond the end "
                  "of the store");
}

TEST_F(Save, AFolderThatCannotHoldFilesFailsEveryMessageAndSaysSo) {
    Scan(Mails());
    dialog->Results()->SetChecked(2, true);
    destination = out.File("not-a-folder");
    std::ofstream(destination) << "x";
    const std::string name = NextName();
    Click(kIdSave);
    WaitForJobs();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "0 mails saved in\n" + destination +
                                         "\n\n1 mail could not be saved: cannot create " +
                                         destination + "/" + name + ": Not a directory");
}

TEST_F(Save, ExistingFilesAreNeverReplaced) {
    Scan(Mails());
    dialog->Results()->SetChecked(0, true);
    const std::string taken = NextName();
    std::ofstream(out.File(taken)) << "keep me";
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(Saved(taken), "keep me");
    ASSERT_EQ(EmlFiles(destination).size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "1 mail saved in\n" + destination);
}

TEST_F(Save, DecliningTheFolderSavesNothingAndTheNextSaveStartsInTheLastFolder) {
    Scan(Mails());
    Click(kIdSelectAll);
    destination.clear();
    Click(kIdSave);
    WaitForJobs();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(dialog->findChild<SavingDialog*>("savingDialog"), nullptr);

    TempDir other;
    destination = other.Path().string();
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(destination).size(), 3u);
    Click(kIdSave);
    WaitForJobs();
    ASSERT_EQ(chooserStarts.size(), 3u);
    EXPECT_EQ(chooserStarts[0], stores.Path().string());
    EXPECT_EQ(chooserStarts[1], stores.Path().string());
    EXPECT_EQ(chooserStarts[2], destination);
    // The folder holds every message byte for byte already: nothing new, and the box says so.
    EXPECT_EQ(EmlFiles(destination).size(), 3u);
    ASSERT_FALSE(boxes.Shown().empty());
    EXPECT_NE(boxes.Shown().back().text.find("3 mails were in the folder already"),
              std::string::npos)
        << boxes.Shown().back().text;
}

TEST_F(Save, WithTwoOrMoreStoresEachMessageGoesIntoItsStoresFolder) {
    ListInStores({0, 1, 1}, {"Inbox", "Sent Items"});
    Click(kIdSelectAll);
    // In list order: the third and second mail (Sent Items), then the first (Inbox).
    const std::vector<std::string> names{NextName(0), NextName(1), NextName(2)};
    Click(kIdSave);
    WaitForJobs();

    EXPECT_TRUE(EmlFiles(destination).empty());
    const std::string inbox = out.File("Inbox");
    const std::string sent = out.File("Sent Items");
    EXPECT_EQ(EmlFiles(inbox), std::vector<std::string>{names[2]});
    EXPECT_EQ(EmlFiles(sent), Sorted({names[0], names[1]}));
    EXPECT_EQ(ReadAll(inbox + "/" + names[2]), Mails()[0].body);
    EXPECT_EQ(ReadAll(sent + "/" + names[1]), Mails()[1].body);
    EXPECT_EQ(ReadAll(sent + "/" + names[0]), Mails()[2].body);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "3 mails saved in\n" + destination);

    // Saved again: the folders are there, and hold every message already.
    Click(kIdSave);
    WaitForJobs();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_NE(boxes.Shown()[1].text.find("3 mails were in the folder already"), std::string::npos)
        << boxes.Shown()[1].text;
    EXPECT_EQ(EmlFiles(sent).size(), 2u);
}

TEST_F(Save, WithOneStoreTheMessagesGoIntoTheChosenFolderItself) {
    ListInStores({0, 0, 0}, {"Inbox"});
    Click(kIdSelectAll);
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(destination).size(), 3u);
    EXPECT_FALSE(fs::exists(out.File("Inbox")));
}

TEST_F(Save, AStoreFolderThatCannotBeMadeFailsOnlyItsOwnMessages) {
    ListInStores({0, 1, 1}, {"Inbox", "Sent Items"});
    // A file where the folder would go.
    std::ofstream(out.File("Sent Items")) << "keep me";
    Click(kIdSelectAll);
    const std::string name = NextName();
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(out.File("Inbox")), std::vector<std::string>{name});
    EXPECT_EQ(ReadAll(out.File("Inbox") + "/" + name), Mails()[0].body);
    EXPECT_EQ(Saved("Sent Items"), "keep me");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "1 mail saved in\n" + destination +
                                         "\n\n2 mails could not be saved; the first: cannot "
                                         "create " +
                                         destination + "/Sent Items: File exists");
}

TEST_F(Save, StoreNamesThatCannotNameAFolderInsideTheChosenOneAreNumbered) {
    ListInStores({0, 1, 2}, {"..", "a/b"});
    Click(kIdSelectAll);
    Click(kIdSave);
    WaitForJobs();
    // The third row's store has no name at all.
    EXPECT_EQ(EmlFiles(out.File("Store 1")).size(), 1u);
    EXPECT_EQ(EmlFiles(out.File("Store 2")).size(), 1u);
    EXPECT_EQ(EmlFiles(out.File("Store 3")).size(), 1u);
    EXPECT_FALSE(fs::exists(out.File("a")));

    EXPECT_EQ(StoreFolderName({"Inbox", "Sent"}, 1), "Sent");
    for (const std::string& bad : {std::string(), std::string("."), std::string(".."),
                                   std::string("/"), std::string("x/.."), std::string("a\0b", 3)}) {
        EXPECT_EQ(StoreFolderName({"Inbox", bad}, 1), "Store 2") << bad;
    }
}

TEST_F(Save, EachFileIsDatedLikeItsMessage) {
    std::vector<StoreMessage> mails = Mails();
    mails[0].when = 1000000000;  // 2001-09-09
    mails[1].when = 1300000000;  // 2011-03-13
    mails[2].when = 1262307600;  // 2010-01-01
    Scan(mails);
    Click(kIdSelectAll);
    const std::vector<std::string> names{NextName(0), NextName(1), NextName(2)};
    Click(kIdSave);
    WaitForJobs();
    ASSERT_EQ(EmlFiles(destination), Sorted(names));
    // Row 0 is the message found last.
    for (int row = 0; row < 3; ++row) {
        struct stat st {};
        ASSERT_EQ(::stat(out.File(names[std::size_t(row)]).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, mails[std::size_t(2 - row)].when) << row;
    }
}

}  // namespace
}  // namespace dbx::test
