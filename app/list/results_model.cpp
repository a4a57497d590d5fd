#include "list/results_model.h"

#include <QColor>
#include <QFile>

#include <unordered_map>

#include "color_ref.h"
#include "list/code_pages.h"

namespace dbx {

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

namespace {

// Records hold the store's code page; an orphan's texts come from its own header, in UTF-8.
QString RowText(const RecoveredMessage& message, const std::string& text,
                const QByteArray& codePage) {
    return message.orphaned ? QString::fromStdString(text) : DecodeStoreText(text, codePage);
}

// The addresses of a header's mailbox list without their display names, as a record holds
// them: `"Ana" <ana@example.pt>, rui@example.pt` reads "ana@example.pt, rui@example.pt".
QString AddressesOnly(const QString& list) {
    QStringList addresses;
    QString current;
    bool quoted = false;
    const auto take = [&] {
        QString item = current.trimmed();
        const qsizetype open = item.lastIndexOf(QLatin1Char('<'));
        const qsizetype close = item.lastIndexOf(QLatin1Char('>'));
        if (open >= 0 && close > open) item = item.mid(open + 1, close - open - 1).trimmed();
        if (!item.isEmpty()) addresses.push_back(item);
        current.clear();
    };
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        if (c == QLatin1Char('"')) quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            take();
            continue;
        }
        current += c;
    }
    take();
    return addresses.join(QStringLiteral(", "));
}

}  // namespace

void ResultsModel::Decode(Row& row) const {
    const RecoveredMessage& message = row.message;
    row.cells[kFrom] = RowText(message, message.from, codePage_);
    row.cells[kSubject] = RowText(message, message.subject, codePage_);
    row.cells[kStatus] = QString::fromLatin1(StatusText(message));
    row.cells[kTo] = RowText(message, message.to, codePage_);
    if (message.orphaned) {
        // The mail's own header names people; the other rows show addresses only.
        row.cells[kFrom] = AddressesOnly(row.cells[kFrom]);
        row.cells[kTo] = AddressesOnly(row.cells[kTo]);
    }
    // Dates are written by our own formatter, in UTF-8.
    row.cells[kDate] = QString::fromStdString(message.dateText);
    // Unsigned: a body beyond 2 GiB must read back as the offset it is.
    row.cells[kLocation] = QString::number(message.offset);
    for (int column : {kFrom, kSubject, kStatus, kTo}) {
        row.folded[column] = row.cells[column].toCaseFolded();
    }
    NameStore(row);
}

void ResultsModel::NameStore(Row& row) const {
    const std::uint32_t store = row.message.store;
    row.cells[kFolder] = store < storeNames_.size() ? storeNames_[store] : QString();
    row.folded[kFolder] = row.cells[kFolder].toCaseFolded();
}

void ResultsModel::SetStoreNames(const std::vector<std::string>& names) {
    std::vector<QString> decoded;
    decoded.reserve(names.size());
    for (const std::string& name : names) {
        decoded.push_back(QFile::decodeName(QByteArray::fromStdString(name)));
    }
    const bool changed = decoded != storeNames_;
    storeNames_ = std::move(decoded);
    // Also with the same names: a search's final rows may have taken other stores.
    for (Row& row : rows_) NameStore(row);
    if (!rows_.empty()) emit dataChanged(index(0, kFolder), index(rowCount() - 1, kFolder));
    if (changed) emit StoreNamesChanged(StoreCount());
}

void ResultsModel::Prepend(const std::vector<RecoveredMessage>& messages) {
    if (messages.empty()) return;
    beginInsertRows({}, 0, int(messages.size()) - 1);
    PutInFront(messages);
    endInsertRows();
}

void ResultsModel::PutInFront(const std::vector<RecoveredMessage>& messages) {
    for (const RecoveredMessage& message : messages) {
        Row row;
        row.message = message;
        Decode(row);
        rows_.push_front(std::move(row));
    }
}

namespace {

// Rows that show the same: their cells come from these (the store a row belongs to is known
// only once the search is over).
bool ShowsTheSame(const RecoveredMessage& a, const RecoveredMessage& b) {
    return a.offset == b.offset && a.deleted == b.deleted && a.orphaned == b.orphaned &&
           a.dateSeconds == b.dateSeconds && a.from == b.from && a.to == b.to &&
           a.subject == b.subject && a.dateText == b.dateText;
}

}  // namespace

void ResultsModel::Replace(const std::vector<RecoveredMessage>& messages) {
    // Each shown row, the first found first, takes the first final message that shows the same.
    std::unordered_multimap<std::uint32_t, std::size_t> byOffset;
    byOffset.reserve(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) byOffset.emplace(messages[i].offset, i);
    std::vector<char> taken(messages.size(), 0);
    std::vector<std::size_t> finalOf(rows_.size());
    bool kept = rows_.size() == messages.size();
    for (std::size_t r = rows_.size(); kept && r-- > 0;) {
        constexpr std::size_t kNone = std::size_t(-1);
        std::size_t match = kNone;
        const auto [from, to] = byOffset.equal_range(rows_[r].message.offset);
        for (auto it = from; it != to; ++it) {
            if (!taken[it->second] && (match == kNone || it->second < match) &&
                ShowsTheSame(rows_[r].message, messages[it->second])) {
                match = it->second;
            }
        }
        kept = match != kNone;
        if (kept) {
            taken[match] = 1;
            finalOf[r] = match;
        }
    }
    if (kept) {
        for (std::size_t r = 0; r < rows_.size(); ++r) rows_[r].message = messages[finalOf[r]];
        return;
    }
    beginResetModel();
    rows_.clear();
    PutInFront(messages);
    endResetModel();
}

const RecoveredMessage& ResultsModel::Message(int row) const {
    static const RecoveredMessage kNone;
    return row >= 0 && row < rowCount() ? rows_[std::size_t(row)].message : kNone;
}

void ResultsModel::SetCodePage(const QByteArray& codePage) {
    if (codePage == codePage_) return;
    codePage_ = codePage;
    for (Row& row : rows_) Decode(row);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

std::uint32_t ResultsModel::Offset(int row) const {
    return row >= 0 && row < rowCount() ? rows_[std::size_t(row)].message.offset : 0;
}

std::uint64_t ResultsModel::UnreadableBytes(int row) const {
    return row >= 0 && row < rowCount() ? rows_[std::size_t(row)].message.unreadableBytes : 0;
}

bool ResultsModel::Deleted(int row) const {
    return row >= 0 && row < rowCount() && rows_[std::size_t(row)].message.deleted;
}

bool ResultsModel::Orphaned(int row) const {
    return row >= 0 && row < rowCount() && rows_[std::size_t(row)].message.orphaned;
}

QString ResultsModel::FindKey(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const Row& r = rows_[std::size_t(row)];
    // The separator is a character no text typed in a line holds.
    const QChar gap(0x1F);
    QString key = r.folded[kFrom] + gap + r.folded[kTo] + gap + r.folded[kSubject];
    // A column that is not shown must not make rows match.
    if (storeNames_.size() >= 2) key += gap + r.folded[kFolder];
    return key;
}

int ResultsModel::Compare(int rowA, int rowB, int column) const {
    if (rowA < 0 || rowB < 0 || rowA >= rowCount() || rowB >= rowCount()) return 0;
    const Row& a = rows_[std::size_t(rowA)];
    const Row& b = rows_[std::size_t(rowB)];
    int order = 0;
    switch (column) {
        case kDate:
            order = a.message.dateSeconds < b.message.dateSeconds   ? -1
                    : a.message.dateSeconds > b.message.dateSeconds ? 1
                                                                    : 0;
            break;
        case kLocation:
            order = a.message.offset < b.message.offset ? -1 : a.message.offset > b.message.offset;
            break;
        case kFrom:
        case kSubject:
        case kStatus:
        case kTo:
        case kFolder:
            order = a.folded[column].compare(b.folded[column]);
            break;
        default:
            break;
    }
    if (order != 0) return order < 0 ? -1 : 1;
    return rowA < rowB ? -1 : rowA > rowB;
}

void ResultsModel::Clear() {
    beginResetModel();
    rows_.clear();
    const bool named = !storeNames_.empty();
    storeNames_.clear();
    endResetModel();
    if (named) emit StoreNamesChanged(0);
}

QString ResultsModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) return {};
    return rows_[std::size_t(row)].cells[column];
}

std::int64_t ResultsModel::DateSeconds(int row) const {
    return row >= 0 && row < rowCount() ? rows_[std::size_t(row)].message.dateSeconds : 0;
}

bool ResultsModel::Checked(int row) const {
    return row >= 0 && row < rowCount() && rows_[std::size_t(row)].checked;
}

void ResultsModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= rowCount() || rows_[std::size_t(row)].checked == checked) return;
    rows_[std::size_t(row)].checked = checked;
    const QModelIndex cell = index(row, kFrom);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void ResultsModel::SetChecked(const std::vector<int>& rows, bool checked) {
    int low = rowCount(), high = -1;
    for (int row : rows) {
        if (row < 0 || row >= rowCount()) continue;
        rows_[std::size_t(row)].checked = checked;
        low = std::min(low, row);
        high = std::max(high, row);
    }
    if (high >= 0) emit dataChanged(index(low, kFrom), index(high, kFrom), {Qt::CheckStateRole});
}

void ResultsModel::SetAllChecked(bool checked) {
    if (rows_.empty()) return;
    for (Row& row : rows_) row.checked = checked;
    emit dataChanged(index(0, kFrom), index(rowCount() - 1, kFrom), {Qt::CheckStateRole});
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return row.cells[column];
        case Qt::DecorationRole:
            return column == kFrom && !icon_.isNull() ? QVariant(icon_) : QVariant();
        case Qt::CheckStateRole:
            return column == kFrom ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked)
                                   : QVariant();
        case Qt::ForegroundRole: {
            const QColor colour = RowColouring(row.cells[kStatus], column).text;
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        case Qt::BackgroundRole: {
            const QColor colour = RowColouring(row.cells[kStatus], column).background;
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        default:
            return {};
    }
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != kFrom) return false;
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[kColumnCount] = {"From", "Subject",  "Status", "To",
                                                      "Date", "Location", "Folder"};
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kTitles[section]);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kFrom) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

CellColours RowColouring(const QString& status, int column) {
    CellColours colours;
    if (status.startsWith(QLatin1String("Deleted"))) colours.text = ToQColor(0x0000FF);
    if (status == QLatin1String("Orphaned")) colours.text = ToQColor(0x808000);  // dark teal
    if (column == ResultsModel::kLocation) {
        colours.text = ToQColor(0xFFFFFF);
        colours.background = ToQColor(0xFFFFFF);
    }
    return colours;
}

std::uint32_t ParseLocation(const QString& text) {
    std::uint64_t value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        value = value * 10 + std::uint64_t(c.unicode() - '0');
        if (value > 0xFFFFFFFFu) return 0;  // no offset of a store is that large
    }
    return std::uint32_t(value);
}

}  // namespace dbx
