// The results model and the list's filter under Qt's model tester: every insert, sort, narrowing,
// change and reset they announce must agree with what they then hold.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include <string>
#include <vector>

#include "list/results_filter.h"
#include "list/results_model.h"

namespace dbx {
namespace {

QStringList g_complaints;

// The tester reports through Qt's messages; each one is a fault of the model it watches.
void Collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        g_complaints << QString::fromLatin1(context.category ? context.category : "") + ": " + text;
    }
}

std::vector<RecoveredMessage> Batch(int first, int count) {
    std::vector<RecoveredMessage> batch;
    for (int i = first; i < first + count; ++i) {
        RecoveredMessage m;
        m.offset = std::uint32_t(0x1000 + i * 0x200);
        m.from = "sender" + std::to_string(i % 7) + "@example.org";
        m.to = "to" + std::to_string(i % 3) + "@example.net";
        m.subject = (i % 2 ? "Re: caf\xe9 " : "Invoice ") + std::to_string(i);
        m.dateSeconds = 1'000'000'000 + (i * 7919) % 100'000;
        m.dateText = std::to_string(m.dateSeconds);
        m.deleted = i % 4 == 0;
        m.store = std::uint32_t(i % 3);
        batch.push_back(m);
    }
    return batch;
}

TEST(ModelTester, ResultsAndTheirFilterAnnounceEveryChangeTheyMake) {
    g_complaints.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Collect);
    {
        ResultsModel model;
        ResultsFilter filter(&model);
        using Mode = QAbstractItemModelTester::FailureReportingMode;
        QAbstractItemModelTester modelTester(&model, Mode::Warning);
        QAbstractItemModelTester filterTester(&filter, Mode::Warning);

        // A search: rows come on top, batch after batch, while a find text narrows them.
        model.Prepend(Batch(0, 5));
        filter.SetFindText(QStringLiteral("sender1"));
        model.Prepend(Batch(5, 10));
        model.Prepend({});
        filter.SetFindText(QStringLiteral("caf"));
        model.Prepend(Batch(15, 20));
        const int narrowed = filter.rowCount();
        EXPECT_GT(narrowed, 0);
        EXPECT_LT(narrowed, model.rowCount());

        // Sorting by every column both ways, then back to the order found.
        for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
            filter.sort(column, Qt::AscendingOrder);
            filter.sort(column, Qt::DescendingOrder);
        }
        model.Prepend(Batch(35, 3));  // sorted while rows still come

        // The stores of a disk image named while sorted and narrowed; a name missing.
        filter.SetFindText(QStringLiteral("sent"));
        model.SetStoreNames({"Inbox", "Sent Items"});
        EXPECT_GT(filter.rowCount(), 0);
        model.SetStoreNames({"Inbox", "Sent Items", "Drafts"});
        filter.SetFindText(QString());
        filter.ClearSort();

        // Letters taken back, ticks, another code page, and a fresh start.
        filter.SetFindText(QStringLiteral("ca"));
        filter.SetFindText(QString());
        EXPECT_EQ(filter.rowCount(), model.rowCount());
        model.SetChecked({0, 2, 4}, true);
        model.SetAllChecked(true);
        model.SetCodePage("windows-1251");
        model.Clear();
        EXPECT_EQ(filter.rowCount(), 0);
        model.Prepend(Batch(0, 4));
        EXPECT_EQ(filter.rowCount(), 4);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_complaints.isEmpty()) << g_complaints.join('\n').toStdString();
}

}  // namespace
}  // namespace dbx
