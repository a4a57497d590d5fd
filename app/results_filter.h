#pragma once

#include <QSortFilterProxyModel>

namespace dbx {

class ResultsModel;

// The results list as shown: narrowed to the rows whose From, To or Subject holds the find
// text (ignoring case), and sorted by a column when the user asked for it. Unsorted, rows keep
// the model's order, the last found on top. Reads the model's rows directly: filtering tens of
// thousands of rows per keystroke must not go through variants.
class ResultsFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit ResultsFilter(ResultsModel* model, QObject* parent = nullptr);

    void SetFindText(const QString& text);
    QString FindText() const { return needle_; }

    // Back to the model's own order.
    void ClearSort();

    // The model row behind a shown row, and the other way round; -1 when there is none.
    int SourceRow(int shownRow) const;
    int ShownRow(int sourceRow) const;

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    ResultsModel* model_;
    QString needle_;  // case-folded
};

}  // namespace dbx
