// The results list's model: newest first, cheap to grow at the top, coloured by status.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "list/results_model.h"

namespace dbx {
namespace {

RecoveredMessage Message(const std::string& from, std::uint32_t offset, bool deleted = false) {
    RecoveredMessage m;
    m.from = from;
    m.subject = "s-" + from;
    m.to = "t-" + from;
    m.dateText = "2010-01-01";
    m.offset = offset;
    m.deleted = deleted;
    return m;
}

TEST(ResultsModel, EachMessageGoesAboveTheOnesBefore) {
    ResultsModel model;
    model.Prepend({Message("a", 10)});
    model.Prepend({Message("b", 20), Message("c", 30, true)});
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.Text(0, ResultsModel::kFrom), "c");
    EXPECT_EQ(model.Text(1, ResultsModel::kFrom), "b");
    EXPECT_EQ(model.Text(2, ResultsModel::kFrom), "a");
    EXPECT_EQ(model.Text(0, ResultsModel::kStatus), "Deleted");
    EXPECT_EQ(model.Text(1, ResultsModel::kStatus), "Existing");
    EXPECT_EQ(model.Text(0, ResultsModel::kSubject), "s-c");
    EXPECT_EQ(model.Text(0, ResultsModel::kTo), "t-c");
    EXPECT_EQ(model.Text(0, ResultsModel::kDate), "2010-01-01");
    EXPECT_EQ(model.Text(0, ResultsModel::kLocation), "30");
}

TEST(ResultsModel, OrphansShowAddressesOnlyAsTheRecordsRowsDo) {
    ResultsModel model;
    RecoveredMessage orphan = Message("\"Doe, Jo\" <jo@example.org>", 40);
    orphan.orphaned = true;
    orphan.to = "Ana <ana@example.pt>, rui@example.pt,, \"Eve\" <eve@example.net>";
    RecoveredMessage record = Message("<kept@example.org>", 50);
    model.Prepend({orphan, record});
    EXPECT_EQ(model.Text(1, ResultsModel::kFrom), "jo@example.org");
    EXPECT_EQ(model.Text(1, ResultsModel::kTo), "ana@example.pt, rui@example.pt, eve@example.net");
    EXPECT_TRUE(model.Orphaned(1));
    // A record's texts stay as stored.
    EXPECT_EQ(model.Text(0, ResultsModel::kFrom), "<kept@example.org>");
    EXPECT_FALSE(model.Orphaned(0));
}

TEST(ResultsModel, InsertionsAreAnnouncedAtRowZero) {
    ResultsModel model;
    model.Prepend({Message("a", 1)});
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.Prepend({Message("b", 2), Message("c", 3)});
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 1);
}

TEST(ResultsModel, OffsetsBeyondTwoGibibytesReadBackWhole) {
    ResultsModel model;
    model.Prepend({Message("far", 0xF0000000u)});
    EXPECT_EQ(model.Text(0, ResultsModel::kLocation), "4026531840");
    EXPECT_EQ(ParseLocation(model.Text(0, ResultsModel::kLocation)), 0xF0000000u);
}

TEST(ResultsModel, LocationTextsParseByTheirLeadingDigits) {
    EXPECT_EQ(ParseLocation("12345"), 12345u);
    EXPECT_EQ(ParseLocation("12x45"), 12u);
    EXPECT_EQ(ParseLocation("x1"), 0u);
    EXPECT_EQ(ParseLocation(""), 0u);
    EXPECT_EQ(ParseLocation("99999999999"), 0u);
}

TEST(ResultsModel, ColouringByStatusAndColumn) {
    const QColor red(255, 0, 0), white(255, 255, 255);
    EXPECT_EQ(RowColouring("Deleted", 0).text, red);
    EXPECT_EQ(RowColouring("Deleted", 4).text, red);
    EXPECT_FALSE(RowColouring("Deleted", 4).background.isValid());
    EXPECT_FALSE(RowColouring("Existing", 1).text.isValid());
    EXPECT_FALSE(RowColouring("xDeleted", 1).text.isValid());
    for (const char* status : {"Deleted", "Existing"}) {
        EXPECT_EQ(RowColouring(status, 5).text, white);
        EXPECT_EQ(RowColouring(status, 5).background, white);
    }
}

TEST(ResultsModel, CheckBoxesLiveInTheFirstColumn) {
    ResultsModel model;
    model.Prepend({Message("a", 1), Message("b", 2)});
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.Checked(1));
    EXPECT_FALSE(model.Checked(0));
    model.SetAllChecked(true);
    EXPECT_TRUE(model.Checked(0));
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace dbx
