#include "list/results_filter.h"

#include <algorithm>
#include <numeric>

#include "list/results_model.h"

namespace dbx {

ResultsFilter::ResultsFilter(ResultsModel* model, QObject* parent)
    : QAbstractProxyModel(parent), model_(model) {
    QAbstractProxyModel::setSourceModel(model);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { OnRowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { beginResetModel(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
        Forget();
        Order();
        Narrow(false);
        endResetModel();
    });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        Forget();
        Order();
        Narrow(false);
        endResetModel();
    });
    connect(model, &QAbstractItemModel::dataChanged, this, &ResultsFilter::OnDataChanged);
    connect(model, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
    AddNewTexts();
    Order();
    Narrow(false);
}

std::vector<char> ResultsFilter::Hits() {
    const int count = model_->rowCount();
    std::vector<char> hits(std::size_t(count), needle_.isEmpty() ? 1 : 0);
    if (needle_.isEmpty() || count == 0) return hits;
    AddNewTexts();
    // A skip table pays off from a few characters on; a letter or two are found faster plainly.
    const bool useMatcher = needle_.size() >= 3;
    qsizetype from = 0;
    while (from < texts_.size()) {
        const qsizetype at =
            useMatcher ? matcher_.indexIn(texts_, from) : texts_.indexOf(needle_, from);
        if (at < 0) break;
        const std::size_t found =
            std::size_t(std::upper_bound(starts_.begin(), starts_.end(), at) - starts_.begin()) - 1;
        hits[std::size_t(count) - 1 - found] = 1;
        from = found + 1 < starts_.size() ? starts_[found + 1] : texts_.size();
    }
    return hits;
}

void ResultsFilter::AddNewTexts() {
    const int count = model_->rowCount();
    for (int found = int(starts_.size()); found < count; ++found) {
        starts_.push_back(texts_.size());
        texts_ += model_->FindKey(count - 1 - found);
        texts_ += QLatin1Char('\n');
    }
}

void ResultsFilter::Forget() {
    texts_.clear();
    starts_.clear();
    recent_.clear();
}

void ResultsFilter::Order() {
    recent_.clear();
    order_.resize(std::size_t(model_->rowCount()));
    std::iota(order_.begin(), order_.end(), 0);
    if (column_ < 0) return;
    const int column = column_;
    if (sortOrder_ == Qt::AscendingOrder) {
        std::sort(order_.begin(), order_.end(),
                  [this, column](int a, int b) { return model_->Compare(a, b, column) < 0; });
    } else {
        std::sort(order_.begin(), order_.end(),
                  [this, column](int a, int b) { return model_->Compare(b, a, column) < 0; });
    }
}

void ResultsFilter::Narrow(bool fromShown) {
    const std::vector<char> hits = Hits();
    std::vector<int> shown;
    const std::vector<int>& candidates = fromShown ? shown_ : order_;
    shown.reserve(candidates.size());
    for (int row : candidates) {
        if (hits[std::size_t(row)]) shown.push_back(row);
    }
    SetShown(std::move(shown));
}

void ResultsFilter::SetShown(std::vector<int> shown) {
    shown_ = std::move(shown);
    shownOf_.assign(std::size_t(model_->rowCount()), -1);
    for (std::size_t i = 0; i < shown_.size(); ++i) shownOf_[std::size_t(shown_[i])] = int(i);
}

void ResultsFilter::Rebuild() {
    beginResetModel();
    Order();
    Narrow(false);
    endResetModel();
}

void ResultsFilter::SetFindText(const QString& text) {
    constexpr std::size_t kRecent = 32;
    const QString needle = text.toCaseFolded();
    text_ = text;
    if (needle == needle_) return;
    if (!needle_.isEmpty()) {
        if (recent_.size() >= kRecent) recent_.erase(recent_.begin());
        recent_.emplace_back(needle_, shown_);
    }
    // A longer text that holds the old one can only take rows away.
    const bool narrower = !needle_.isEmpty() && needle.contains(needle_);
    needle_ = needle;
    matcher_.setPattern(needle_);
    beginResetModel();
    auto known = std::find_if(recent_.begin(), recent_.end(),
                              [&needle](const auto& entry) { return entry.first == needle; });
    if (known != recent_.end()) {
        SetShown(std::move(known->second));
        recent_.erase(known);
    } else {
        Narrow(narrower);
    }
    endResetModel();
}

void ResultsFilter::sort(int column, Qt::SortOrder order) {
    column_ = column < 0 || column >= ResultsModel::kColumnCount ? -1 : column;
    sortOrder_ = order;
    // The same rows in another order: views keep their current row and selection.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before) sources.push_back(SourceRow(index.row()));
    Order();
    Narrow(false);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = ShownRow(sources[std::size_t(i)]);
        after.push_back(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultsFilter::OnRowsInserted(int first, int last) {
    const int count = last - first + 1;
    if (column_ >= 0 || count <= 0) {
        Rebuild();
        return;
    }
    // Found order: the new rows stand where the model put them; rows below move down.
    // The model only ever puts rows on top; they go to the end of the searched text.
    if (first != 0) Forget();
    // Kept up to date as rows come, so that the first keystroke finds the text ready.
    AddNewTexts();
    const std::vector<char> hits = Hits();
    std::vector<int> added;
    for (int row = first; row <= last; ++row) {
        if (hits[std::size_t(row)]) added.push_back(row);
    }
    recent_.clear();
    for (int& row : order_) {
        if (row >= first) row += count;
    }
    std::vector<int> newRows(static_cast<std::size_t>(count));
    std::iota(newRows.begin(), newRows.end(), first);
    order_.insert(order_.begin() + first, newRows.begin(), newRows.end());
    // The rows shown so far name their model rows anew first: between the model's insert and
    // ours, what we show must still read the same rows.
    for (int& row : shown_) {
        if (row >= first) row += count;
    }
    const int at = int(std::lower_bound(shown_.begin(), shown_.end(), first) - shown_.begin());
    if (!added.empty()) beginInsertRows({}, at, at + int(added.size()) - 1);
    shown_.insert(shown_.begin() + at, added.begin(), added.end());
    shownOf_.insert(shownOf_.begin() + first, std::size_t(count), -1);
    for (std::size_t i = std::size_t(at); i < shown_.size(); ++i) {
        shownOf_[std::size_t(shown_[i])] = int(i);
    }
    if (!added.empty()) endInsertRows();
}

void ResultsFilter::OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles) {
    if (roles == QList<int>{Qt::CheckStateRole}) {
        int low = -1, high = -1;
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
            const int shown = ShownRow(row);
            if (shown < 0) continue;
            low = low < 0 ? shown : std::min(low, shown);
            high = std::max(high, shown);
        }
        if (low >= 0) {
            emit dataChanged(index(low, topLeft.column()), index(high, bottomRight.column()),
                             roles);
        }
        return;
    }
    // The texts were read anew: what matches and how it sorts may differ.
    Forget();
    Rebuild();
}

int ResultsFilter::SourceRow(int shownRow) const {
    return shownRow >= 0 && shownRow < int(shown_.size()) ? shown_[std::size_t(shownRow)] : -1;
}

int ResultsFilter::ShownRow(int sourceRow) const {
    return sourceRow >= 0 && sourceRow < int(shownOf_.size()) ? shownOf_[std::size_t(sourceRow)]
                                                              : -1;
}

QModelIndex ResultsFilter::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid()) return {};
    const int row = SourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : model_->index(row, proxyIndex.column());
}

QModelIndex ResultsFilter::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    const int row = ShownRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex ResultsFilter::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return {};
    }
    return createIndex(row, column);
}

QModelIndex ResultsFilter::parent(const QModelIndex&) const {
    return {};
}

int ResultsFilter::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int ResultsFilter::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_->columnCount();
}

}  // namespace dbx
