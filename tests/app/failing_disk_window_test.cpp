// A store on a dying disk in the window: the end of the search says how much could not be
// read, and Save names the messages that lie there.
#include <memory>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "failing_disk.h"
#include "list/results_model.h"

namespace dbx::test {
namespace {

std::vector<StoreMessage> Mails(int count) {
    std::vector<StoreMessage> mails;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        mails.push_back(
            {n + "@example.org", "<to@example.net>", "message " + n,
             "Subject: message " + n + "\r\n\r\n" + std::string(3000, 'a' + i % 26) + "\r\n"});
    }
    return mails;
}

class FailingDiskWindow : public DialogTest {
  protected:
    // Searches the store again, a sector in the middle of the row-`row` message failing.
    void SearchWithBadSectorUnder(int row) {
        Scan(Mails(12));
        ASSERT_GT(dialog->Results()->rowCount(), row);
        rows = dialog->Results()->rowCount();
        bad = (dialog->Results()->Offset(row) + 1024) / 512 * 512;
        disk->Fail(bad, 512);
        seams.device = disk;
        Click(kIdBack);
        boxes.Clear();
        Click(kIdNext);
        WaitForJobs();
    }

    std::shared_ptr<FailingDisk> disk = std::make_shared<FailingDisk>();
    int rows = 0;
    std::uint64_t bad = 0;
};

TEST_F(FailingDiskWindow, TheSearchSaysWhatCouldNotBeReadAndSaveNamesWhatLiesThere) {
    SearchWithBadSectorUnder(5);
    // Every message is still listed: a bad sector costs only the bytes it covers.
    EXPECT_EQ(dialog->Results()->rowCount(), rows);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string said = boxes.Shown()[0].text;
    EXPECT_NE(said.find("512 bytes of this file could not be read"), std::string::npos) << said;
    EXPECT_NE(said.find("may be incomplete"), std::string::npos) << said;

    TempDir out;
    seams.saveFolder = [&](const std::string&) { return out.Path().string(); };
    boxes.Clear();
    Click(kIdSelectAll);
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(EmlFiles(out.Path().string()).size(), std::size_t(rows));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string report = boxes.Shown()[0].text;
    EXPECT_NE(report.find("incomplete"), std::string::npos) << report;
    EXPECT_NE(report.find("bytes could not be read"), std::string::npos) << report;
}

TEST_F(FailingDiskWindow, AHealthyDiskSaysNothingMore) {
    Scan(Mails(3));
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
}  // namespace dbx::test
