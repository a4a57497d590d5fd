// The results list as the user works it: sorted by a column, narrowed by the find text, read
// in another code page, and driven from the keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "list/code_pages.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"

namespace dbx {
namespace {

RecoveredMessage Message(const std::string& from, const std::string& subject, const std::string& to,
                         std::int64_t seconds, std::uint32_t offset, bool deleted = false) {
    RecoveredMessage m;
    m.from = from;
    m.subject = subject;
    m.to = to;
    m.dateSeconds = seconds;
    // Text order and time order differ on purpose: the list sorts dates by their value.
    m.dateText = std::to_string(seconds * 37 % 11) + "/date";
    m.offset = offset;
    m.deleted = deleted;
    return m;
}

std::vector<QString> Column(const ResultsFilter& list, int column) {
    std::vector<QString> texts;
    for (int row = 0; row < list.rowCount(); ++row) {
        texts.push_back(list.data(list.index(row, column)).toString());
    }
    return texts;
}

class ResultsList : public ::testing::Test {
  protected:
    void SetUp() override {
        // Found in this order: the last found is on top.
        model.Prepend({Message("carol@example.org", "Budget", "team@example.org", 300, 1000),
                       Message("Alice@example.org", "lunch", "bob@example.org", 100, 2000, true),
                       Message("bob@example.org", "Re: Budget", "alice@example.org", 200, 3000),
                       Message("dave@example.org", "Photos", "CAROL@example.org", 250, 4000)});
    }
    ResultsModel model;
    ResultsFilter list{&model};
};

TEST_F(ResultsList, KeepsTheOrderFoundUntilSortedAndAClickReverses) {
    EXPECT_EQ(Column(list, ResultsModel::kFrom),
              (std::vector<QString>{"dave@example.org", "bob@example.org", "Alice@example.org",
                                    "carol@example.org"}));
    list.sort(ResultsModel::kDate, Qt::AscendingOrder);
    EXPECT_EQ(Column(list, ResultsModel::kLocation),
              (std::vector<QString>{"2000", "3000", "4000", "1000"}));
    list.sort(ResultsModel::kDate, Qt::DescendingOrder);
    EXPECT_EQ(Column(list, ResultsModel::kLocation),
              (std::vector<QString>{"1000", "4000", "3000", "2000"}));
    // Text columns ignore case.
    list.sort(ResultsModel::kFrom, Qt::AscendingOrder);
    EXPECT_EQ(Column(list, ResultsModel::kFrom),
              (std::vector<QString>{"Alice@example.org", "bob@example.org", "carol@example.org",
                                    "dave@example.org"}));
    list.sort(ResultsModel::kStatus, Qt::AscendingOrder);
    EXPECT_EQ(Column(list, ResultsModel::kStatus).front(), "Deleted");
    // Rows that tie keep the order they were found in.
    EXPECT_EQ(Column(list, ResultsModel::kFrom)[1], "dave@example.org");
    list.ClearSort();
    EXPECT_EQ(Column(list, ResultsModel::kFrom).front(), "dave@example.org");
}

TEST_F(ResultsList, EveryShownRowLeadsToItsOwnMessage) {
    list.sort(ResultsModel::kSubject, Qt::AscendingOrder);
    list.SetFindText("budget");
    ASSERT_EQ(list.rowCount(), 2);
    for (int row = 0; row < list.rowCount(); ++row) {
        const int source = list.SourceRow(row);
        EXPECT_EQ(model.Offset(source),
                  list.data(list.index(row, ResultsModel::kLocation)).toString().toUInt());
        EXPECT_EQ(list.ShownRow(source), row);
    }
    EXPECT_EQ(list.SourceRow(5), -1);
    EXPECT_EQ(list.ShownRow(model.rowCount()), -1);
}

TEST_F(ResultsList, FindNarrowsBySenderRecipientOrSubjectIgnoringCase) {
    list.SetFindText("CAROL");  // a sender and a recipient
    EXPECT_EQ(Column(list, ResultsModel::kLocation), (std::vector<QString>{"4000", "1000"}));
    list.SetFindText("re: bud");  // a subject
    EXPECT_EQ(Column(list, ResultsModel::kLocation), (std::vector<QString>{"3000"}));
    list.SetFindText("Deleted");  // the status is not searched
    EXPECT_EQ(list.rowCount(), 0);
    list.SetFindText("date");  // nor the date
    EXPECT_EQ(list.rowCount(), 0);
    list.SetFindText("");
    EXPECT_EQ(list.rowCount(), 4);
    // Rows found while the find text stands are narrowed too.
    list.SetFindText("zed");
    model.Prepend({Message("zed@example.org", "new", "x@example.org", 1, 5000)});
    EXPECT_EQ(Column(list, ResultsModel::kLocation), (std::vector<QString>{"5000"}));
}

// Rows of a disk image's stores: the Folder column names each row's store, sorts like the
// other texts and is searched while it is shown (two or more stores).
TEST_F(ResultsList, TheFolderColumnNamesEachRowsStoreSortsAndIsFound) {
    EXPECT_EQ(model.headerData(ResultsModel::kFolder, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Folder");
    // The Location column keeps its place before it.
    EXPECT_EQ(model.headerData(ResultsModel::kLocation, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Location");
    EXPECT_EQ(model.columnCount(), 7);
    RecoveredMessage sent = Message("erin@example.org", "Draft", "x@example.org", 400, 6000);
    sent.store = 1;
    model.Prepend({sent});
    EXPECT_EQ(model.Store(0), 1u);
    EXPECT_EQ(list.data(list.index(0, ResultsModel::kFolder)).toString(), "");

    // One store: nothing named after it is found.
    model.SetStoreNames({"Inbox"});
    list.SetFindText("inbox");
    EXPECT_EQ(list.rowCount(), 0);

    // Rows listed before the names came show them at once; rows listed after too.
    QSignalSpy named(&model, &ResultsModel::StoreNamesChanged);
    model.SetStoreNames({"Inbox", "Sent Items"});
    ASSERT_EQ(named.count(), 1);
    EXPECT_EQ(named[0][0].toInt(), 2);
    EXPECT_EQ(Column(list, ResultsModel::kLocation),
              (std::vector<QString>{"4000", "3000", "2000", "1000"}))
        << "the find text stands and now finds the Inbox's rows";
    list.SetFindText("SENT");
    EXPECT_EQ(Column(list, ResultsModel::kFolder), (std::vector<QString>{"Sent Items"}));
    list.SetFindText("");
    RecoveredMessage later = Message("finn@example.org", "Late", "x@example.org", 500, 7000);
    later.store = 1;
    model.Prepend({later});
    EXPECT_EQ(model.Text(0, ResultsModel::kFolder), "Sent Items");
    EXPECT_EQ(model.Text(2, ResultsModel::kFolder), "Inbox");

    list.sort(ResultsModel::kFolder, Qt::DescendingOrder);
    EXPECT_EQ(
        Column(list, ResultsModel::kFolder),
        (std::vector<QString>{"Sent Items", "Sent Items", "Inbox", "Inbox", "Inbox", "Inbox"}));
    list.sort(ResultsModel::kFolder, Qt::AscendingOrder);
    EXPECT_EQ(Column(list, ResultsModel::kLocation),
              (std::vector<QString>{"4000", "3000", "2000", "1000", "7000", "6000"}))
        << "ties keep the order found";

    // A new search starts without names.
    model.Clear();
    EXPECT_EQ(model.StoreCount(), 0);
    EXPECT_EQ(named.count(), 2);
    EXPECT_EQ(named[1][0].toInt(), 0);
}

TEST_F(ResultsList, AnotherCodePageReadsTheTextsAgainKeepingTicks) {
    ResultsModel cyrillic;
    cyrillic.Prepend({Message("\xCF\xE5\xF2\xF0", "\xD2\xE5\xEC\xE0", "x", 1, 10)});
    cyrillic.SetChecked(0, true);
    EXPECT_EQ(cyrillic.Text(0, ResultsModel::kFrom),
              QString::fromUtf8("\xC3\x8F\xC3\xA5\xC3\xB2\xC3\xB0"));
    QSignalSpy changed(&cyrillic, &QAbstractItemModel::dataChanged);
    cyrillic.SetCodePage("windows-1251");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(cyrillic.Text(0, ResultsModel::kFrom),
              QString::fromUtf8("\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80"));
    EXPECT_EQ(cyrillic.Text(0, ResultsModel::kSubject),
              QString::fromUtf8("\xD0\xA2\xD0\xB5\xD0\xBC\xD0\xB0"));
    EXPECT_TRUE(cyrillic.Checked(0));
    EXPECT_EQ(cyrillic.Offset(0), 10u);
    // Find works on the texts as now read.
    ResultsFilter found(&cyrillic);
    found.SetFindText(QString::fromUtf8("\xD0\xBF\xD0\xB5\xD1\x82"));  // lower case
    EXPECT_EQ(found.rowCount(), 1);
}

TEST(CodePages, OfferedWithTheDefaultFirstAndDecodedByName) {
    const std::vector<CodePage>& pages = OfferedCodePages();
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.front().name, "windows-1252");
    bool cyrillic = false, japanese = false;
    for (const CodePage& page : pages) {
        cyrillic = cyrillic || page.name == "windows-1251";
        japanese = japanese || page.name == "Shift_JIS";
    }
    EXPECT_TRUE(cyrillic);
    EXPECT_TRUE(japanese);
    EXPECT_EQ(DecodeStoreText("caf\xE9 \x80", "windows-1252"),
              QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_EQ(DecodeStoreText("\x93\xFA\x96\x7B", "Shift_JIS"),
              QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(DecodeStoreText("caf\xE9", "no-such-page"), QString::fromUtf8("caf\xC3\xA9"));
}

// The view from the keyboard and the mouse.
class ListKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<RecoveredMessage> messages;
        for (int i = 0; i < 40; ++i) {
            messages.push_back(
                Message(std::string("m").append(std::to_string(i)), "s", "t", i, 100 + i));
        }
        model.Prepend(messages);
        view.setModel(&list);
        view.resize(500, 300);
        view.SetPreviewDelay(150);
        view.show();
        view.setFocus();
        view.setCurrentIndex(list.index(0, 0));
        QObject::connect(&view, &ResultsView::PreviewRequested,
                         [this](int row) { previews.push_back(row); });
    }
    void Key(int key, bool press, bool autoRepeat) {
        QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier,
                        QString(), autoRepeat);
        QApplication::sendEvent(&view, &event);
    }
    // Waits until the list has asked for `count` previews in all.
    bool PreviewsReach(std::size_t count) {
        return QTest::qWaitFor([&] { return previews.size() >= count; });
    }
    QPoint CellCentre(int row, int column) {
        return view.visualRect(list.index(row, column)).center();
    }

    ResultsModel model;
    ResultsFilter list{&model};
    ResultsView view;
    std::vector<int> previews;
};

TEST_F(ListKeys, ArrowsPreviewOnceTheKeysRest) {
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 3);
    EXPECT_TRUE(previews.empty());
    ASSERT_TRUE(PreviewsReach(1));
    EXPECT_EQ(previews, std::vector<int>{3});
    QTest::keyClick(&view, Qt::Key_End);
    ASSERT_TRUE(PreviewsReach(2));
    QTest::keyClick(&view, Qt::Key_Home);
    ASSERT_TRUE(PreviewsReach(3));
    EXPECT_EQ(previews, (std::vector<int>{3, 39, 0}));
    QTest::keyClick(&view, Qt::Key_PageDown);
    ASSERT_TRUE(PreviewsReach(4));
    ASSERT_EQ(previews.size(), 4u);
    EXPECT_GT(previews.back(), 1);
    EXPECT_EQ(previews.back(), view.currentIndex().row());
}

TEST_F(ListKeys, AHeldKeyPreviewsOnlyWhereItIsLetGo) {
    QSignalSpy pauses(view.findChild<QTimer*>("previewDelay"), &QTimer::timeout);
    ASSERT_TRUE(pauses.isValid());
    Key(Qt::Key_Down, true, false);
    for (int i = 0; i < 6; ++i) {
        Key(Qt::Key_Down, false, true);
        Key(Qt::Key_Down, true, true);
    }
    // Still held once the pause has passed: no preview yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pauses.count() >= 1; }));
    EXPECT_TRUE(previews.empty());
    EXPECT_EQ(view.currentIndex().row(), 7);
    Key(Qt::Key_Down, false, false);
    ASSERT_TRUE(PreviewsReach(1));
    EXPECT_EQ(previews, std::vector<int>{7});
}

TEST_F(ListKeys, EnterPreviewsAtOnceAndSpaceTicks) {
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(previews, std::vector<int>{1});
    EXPECT_FALSE(view.PreviewPending());  // the pending one was taken by Enter
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_TRUE(model.Checked(list.SourceRow(1)));
    EXPECT_FALSE(model.Checked(list.SourceRow(0)));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_FALSE(model.Checked(list.SourceRow(1)));
    EXPECT_EQ(view.currentIndex().row(), 1);
}

TEST_F(ListKeys, WhileBusyTheListTakesNoKeysAndGetsTheKeyboardBackAfterwards) {
    view.setFocus();
    view.SetBusy(true);
    EXPECT_FALSE(view.isEnabled());
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 0);
    view.SetBusy(false);
    EXPECT_TRUE(view.isEnabled());
    EXPECT_EQ(view.window()->focusWidget(), &view);
    EXPECT_FALSE(view.PreviewPending());
    EXPECT_TRUE(previews.empty());
}

TEST_F(ListKeys, RightClicksAndTicksLeaveTheHighlightAlone) {
    view.setCurrentIndex(list.index(2, 0));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, CellCentre(5, ResultsModel::kSubject));
    EXPECT_EQ(view.currentIndex().row(), 2);
    EXPECT_EQ(view.selectionModel()->selectedRows().value(0).row(), 2);

    // A click on a check box ticks it without choosing the row.
    const QRect first = view.visualRect(list.index(6, ResultsModel::kFrom));
    QPoint box;
    for (int x = first.left(); x < first.right() && box.isNull(); ++x) {
        if (view.HitTest(QPoint(x, first.center().y())).onCheckBox)
            box = QPoint(x + 2, first.center().y());
    }
    ASSERT_FALSE(box.isNull());
    QSignalSpy clicked(&view, &ResultsView::Clicked);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box);
    EXPECT_TRUE(model.Checked(list.SourceRow(6)));
    EXPECT_EQ(view.currentIndex().row(), 2);
    EXPECT_EQ(clicked.count(), 1);  // the window still hears of it, as of any click
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CellCentre(4, ResultsModel::kTo));
    EXPECT_EQ(view.currentIndex().row(), 4);
}

TEST_F(ListKeys, HeaderClicksAskForSortingAndSortByReverses) {
    QSignalSpy asked(&view, &ResultsView::SortRequested);
    QHeaderView* header = view.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(ResultsModel::kDate) + 5, 5));
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked[0][0].toInt(), int(ResultsModel::kDate));
    EXPECT_EQ(view.SortColumn(), -1);  // the window decides
    view.SortBy(ResultsModel::kDate);
    EXPECT_EQ(list.data(list.index(0, ResultsModel::kLocation)).toString(), "100");
    view.SortBy(ResultsModel::kDate);
    EXPECT_EQ(view.SortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(list.data(list.index(0, ResultsModel::kLocation)).toString(), "139");
    view.SortBy(-1);
    EXPECT_EQ(list.data(list.index(0, ResultsModel::kLocation)).toString(), "139");
    view.SortBy(ResultsModel::kFrom);
    EXPECT_EQ(view.SortOrder(), Qt::AscendingOrder);
}

}  // namespace
}  // namespace dbx
