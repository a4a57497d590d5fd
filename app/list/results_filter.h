#pragma once

#include <QAbstractProxyModel>
#include <QStringMatcher>

#include <vector>

namespace dbx {

class ResultsModel;

// The results list as shown: narrowed to the rows whose From, To or Subject holds the find
// text (ignoring case), and sorted by a column when the user asked for it. Unsorted, rows keep
// the model's order, the last found on top. Narrowing tens of thousands of rows per keystroke
// must stay below a visible pause: the rows' texts are kept in one text in the order found
// (rows only ever come on top, so it only grows at its end) and searched in one sweep, and
// the rows of find texts typed lately are remembered for when letters are taken back.
class ResultsFilter : public QAbstractProxyModel {
    Q_OBJECT
  public:
    explicit ResultsFilter(ResultsModel* model, QObject* parent = nullptr);

    void SetFindText(const QString& text);
    QString FindText() const { return text_; }

    // A column of ResultsModel, or -1 for the order the rows were found in.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void ClearSort() { sort(-1); }
    int SortColumn() const { return column_; }

    // The model row behind a shown row, and the other way round; -1 when there is none.
    int SourceRow(int shownRow) const;
    int ShownRow(int sourceRow) const;

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

  private:
    void Order();                 // order_ from the sort column
    void Narrow(bool fromShown);  // shown_ and shownOf_ from order_ (or the shown rows)
    void Rebuild();               // both, announced as a reset
    void SetShown(std::vector<int> shown);
    void OnRowsInserted(int first, int last);
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                       const QList<int>& roles);
    // Per model row, whether it holds the find text.
    std::vector<char> Hits();
    void AddNewTexts();  // rows found since the last time go to the end of texts_
    void Forget();       // the search text and remembered results no longer hold

    ResultsModel* model_;
    QString text_;
    QString needle_;  // case-folded
    QStringMatcher matcher_;
    QString texts_;                  // every row's find key and a line break, oldest row first
    std::vector<qsizetype> starts_;  // where each row's key starts in texts_
    int column_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::vector<int> order_;    // every model row, in the order shown
    std::vector<int> shown_;    // the model rows shown
    std::vector<int> shownOf_;  // model row -> shown row, -1 when hidden
    // The shown rows of the find texts typed lately, so that taking letters back costs no
    // search; forgotten whenever rows, texts or order change.
    std::vector<std::pair<QString, std::vector<int>>> recent_;
};

}  // namespace dbx
