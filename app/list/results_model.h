#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <deque>
#include <string>
#include <vector>

#include "recovered_message.h"

namespace dbx {

// The results list: one row per recognised message, the last found on top. Rows live in a
// deque so that putting tens of thousands of them in front one by one stays cheap. Each row
// keeps the store's bytes of its texts, so that another code page reads them anew.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Location holds the offset for the program, never shown; Folder names the row's store,
    // shown only when a search found two or more stores.
    enum Column { kFrom, kSubject, kStatus, kTo, kDate, kLocation, kFolder, kColumnCount };

    explicit ResultsModel(QObject* parent = nullptr);

    void SetRowIcon(const QIcon& icon) { icon_ = icon; }

    // Puts the messages in front of the list, each above the one before it: the last one
    // becomes row 0.
    void Prepend(const std::vector<RecoveredMessage>& messages);
    // The list becomes `messages` (a search's final rows, in the order found). When the list
    // shows each of them already (as found while the search ran: same place, texts and
    // status), the rows stay where they are and only take the messages' final state (the group
    // and store each is read from, a chain found broken); else the list is laid anew, the last
    // message on top, as if prepended to an empty list. Ticks may go.
    void Replace(const std::vector<RecoveredMessage>& messages);
    // Forgets the rows and the stores' names.
    void Clear();

    // The names (file-name bytes) of the stores the rows come from, indexed by
    // RecoveredMessage::store; rows already listed show them at once.
    void SetStoreNames(const std::vector<std::string>& names);
    int StoreCount() const { return int(storeNames_.size()); }

    // The text of a cell as the list shows it.
    QString Text(int row, int column) const;
    // Seconds since 1970 (UTC) of the row's message date.
    std::int64_t DateSeconds(int row) const;
    // Where the row's message starts in the store.
    std::uint32_t Offset(int row) const;
    // Bytes of the row's record that the disk could not read (they read as zeros).
    std::uint64_t UnreadableBytes(int row) const;
    bool Deleted(int row) const;
    bool Orphaned(int row) const;
    // The row's message as the search found it (an empty one for a row that does not exist).
    const RecoveredMessage& Message(int row) const;
    // By how much the group of structures the row's message is read from is displaced (see
    // RecoveredMessage::displacement), and which store of a disk image it belongs to.
    std::int64_t Displacement(int row) const { return Message(row).displacement; }
    std::uint32_t Store(int row) const { return Message(row).store; }

    // Reads every row's texts again in `codePage` (see code_pages.h); ticks stay.
    void SetCodePage(const QByteArray& codePage);
    QByteArray CodePage() const { return codePage_; }

    // The row's From, To and Subject (and Folder, while it is shown), case-folded, in one
    // text that the find bar searches.
    QString FindKey(int row) const;
    // Orders two rows by a column: the date by its value, the offset by its number, the other
    // columns by their text ignoring case; rows that tie keep the list's order.
    int Compare(int rowA, int rowB, int column) const;
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    void SetAllChecked(bool checked);
    // Ticks or clears the given rows, announced as one change.
    void SetChecked(const std::vector<int>& rows, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  signals:
    // Other store names were set; `count` of them.
    void StoreNamesChanged(int count);

  private:
    struct Row {
        RecoveredMessage message;
        QString cells[kColumnCount];
        QString folded[kColumnCount];  // case-folded From, Subject, Status, To and Folder
        bool checked = false;
    };
    void Decode(Row& row) const;
    // Each message in front of the rows, each above the one before it (unannounced).
    void PutInFront(const std::vector<RecoveredMessage>& messages);
    void NameStore(Row& row) const;

    std::deque<Row> rows_;
    std::vector<QString> storeNames_;

    QIcon icon_;
    QByteArray codePage_ = "windows-1252";
};

// How a cell of a row with the given status is coloured: "Deleted" rows red in every column,
// "Orphaned" ones dark teal,
// the Location column white on white so that its value never shows. Invalid colours leave the
// list's own.
struct CellColours {
    QColor text;
    QColor background;
};
CellColours RowColouring(const QString& status, int column);

// The message offset held in a Location text: its leading decimal digits, 0 when there are
// none.
std::uint32_t ParseLocation(const QString& text);

}  // namespace dbx
