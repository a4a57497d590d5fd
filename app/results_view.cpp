#include "results_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "results_model.h"

namespace dbx {
namespace {

// The Location column holds offsets for the program, not the user: white on white, selected
// or not, however wide the column is made.
class BlankCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex&) const override {
        painter->fillRect(option.rect, Qt::white);
    }
};

}  // namespace

ResultsView::ResultsView(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    // Every row is as tall as the first: the view never measures the rows one by one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(false);
    setItemDelegateForColumn(ResultsModel::kLocation, new BlankCellDelegate(this));
}

ResultsView::Hit ResultsView::HitTest(const QPoint& viewportPoint) const {
    Hit hit;
    const QModelIndex index = indexAt(viewportPoint);
    if (!index.isValid()) return hit;
    hit.row = index.row();
    if (index.column() != 0) return hit;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    hit.onCheckBox = box.contains(viewportPoint);
    return hit;
}

void ResultsView::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QTableView::mousePressEvent(event);
}

void ResultsView::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       viewport()->rect().contains(event->position().toPoint());
    pressed_ = false;
    QTableView::mouseReleaseEvent(event);
    if (click) emit Clicked(event->position().toPoint());
}

void ResultsView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit DoubleClicked(event->position().toPoint());
}

}  // namespace dbx
