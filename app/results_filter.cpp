#include "results_filter.h"

#include "results_model.h"

namespace dbx {

ResultsFilter::ResultsFilter(ResultsModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
    // Sorting and filtering follow the rows as the search adds them.
    setDynamicSortFilter(true);
}

void ResultsFilter::SetFindText(const QString& text) {
    const QString needle = text.toCaseFolded();
    if (needle == needle_) return;
    // Narrowing only needs the shown rows tested again, widening every row.
    needle_ = needle;
    invalidateRowsFilter();
}

void ResultsFilter::ClearSort() {
    sort(-1);
}

int ResultsFilter::SourceRow(int shownRow) const {
    if (shownRow < 0 || shownRow >= rowCount()) return -1;
    return mapToSource(index(shownRow, 0)).row();
}

int ResultsFilter::ShownRow(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= model_->rowCount()) return -1;
    const QModelIndex shown = mapFromSource(model_->index(sourceRow, 0));
    return shown.isValid() ? shown.row() : -1;
}

bool ResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return needle_.isEmpty() || model_->Matches(sourceRow, needle_);
}

bool ResultsFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return model_->Compare(left.row(), right.row(), left.column()) < 0;
}

}  // namespace dbx
