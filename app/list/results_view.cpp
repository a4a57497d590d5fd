#include "list/results_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "list/results_filter.h"
#include "list/results_model.h"

namespace dbx {
namespace {

// Long enough that a key held down or tapped in a row moves the highlight without a preview
// per row, short enough to feel immediate.
constexpr int kPreviewDelayMs = 300;

bool MovesHighlight(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

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
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ResultsView::SortRequested);
    setItemDelegateForColumn(ResultsModel::kLocation, new BlankCellDelegate(this));
    setContextMenuPolicy(Qt::NoContextMenu);
    // The previewed row stays marked while the keyboard is in the find bar.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);

    previewTimer_ = new QTimer(this);
    previewTimer_->setObjectName(QStringLiteral("previewDelay"));
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(kPreviewDelayMs);
    connect(previewTimer_, &QTimer::timeout, this, [this] {
        // Still held: the preview waits for the key to come up.
        if (keyHeld_) {
            waitingForRelease_ = true;
            return;
        }
        PreviewNow();
    });
}

void ResultsView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    auto* filter = qobject_cast<ResultsFilter*>(model);
    if (!filter) return;
    connect(filter, &QAbstractItemModel::modelAboutToBeReset, this,
            [this, filter] { keptSourceRow_ = filter->SourceRow(currentIndex().row()); });
    connect(filter, &QAbstractItemModel::modelReset, this, [this, filter] {
        const int row = filter->ShownRow(keptSourceRow_);
        if (row < 0) return;
        const QModelIndex current = filter->index(row, 0);
        selectionModel()->setCurrentIndex(
            current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(current);
    });
}

void ResultsView::SetPreviewDelay(int ms) {
    previewTimer_->setInterval(ms);
}

void ResultsView::SchedulePreview() {
    previewTimer_->start();
}

bool ResultsView::PreviewPending() const {
    return previewTimer_->isActive();
}

void ResultsView::SortBy(int column) {
    QHeaderView* header = horizontalHeader();
    if (column < 0) {
        sortColumn_ = -1;
        sortOrder_ = Qt::AscendingOrder;
        header->setSortIndicatorShown(false);
        if (model()) model()->sort(-1);
        return;
    }
    sortOrder_ = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                           : Qt::AscendingOrder;
    sortColumn_ = column;
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, sortOrder_);
    if (model()) model()->sort(column, sortOrder_);
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

void ResultsView::ToggleTick(int row) {
    if (!model() || row < 0) return;
    const QModelIndex cell = model()->index(row, ResultsModel::kFrom);
    const bool checked = model()->data(cell, Qt::CheckStateRole).toInt() == Qt::Checked;
    model()->setData(cell, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

QModelIndex ResultsView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and last message, as in a list, not along the columns.
    if (action == MoveHome || action == MoveEnd) modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void ResultsView::PreviewNow() {
    previewTimer_->stop();
    waitingForRelease_ = false;
    if (currentIndex().isValid()) emit PreviewRequested(currentIndex().row());
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
    // The right button has no menu here; it must not move the highlight off the previewed row.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    pressed_ = event->button() == Qt::LeftButton;
    checkBoxPress_ = QPersistentModelIndex();
    if (pressed_) {
        const Hit hit = HitTest(event->position().toPoint());
        if (hit.onCheckBox) {
            // Ticking is not choosing: the highlight stays on the previewed row.
            checkBoxPress_ = model()->index(hit.row, ResultsModel::kFrom);
            event->accept();
            return;
        }
    }
    QTableView::mousePressEvent(event);
}

void ResultsView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && viewport()->rect().contains(point);
    pressed_ = false;
    if (checkBoxPress_.isValid()) {
        const Hit hit = HitTest(point);
        if (hit.onCheckBox && hit.row == checkBoxPress_.row()) ToggleTick(hit.row);
        checkBoxPress_ = QPersistentModelIndex();
        event->accept();
    } else {
        QTableView::mouseReleaseEvent(event);
    }
    if (click) emit Clicked(point);
}

void ResultsView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) ToggleTick(currentIndex().row());
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) PreviewNow();
        event->accept();
        return;
    }
    if (MovesHighlight(key)) {
        keyHeld_ = true;
        keyboardMove_ = true;
        QTableView::keyPressEvent(event);
        keyboardMove_ = false;
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultsView::keyReleaseEvent(QKeyEvent* event) {
    if (MovesHighlight(event->key()) && !event->isAutoRepeat()) {
        keyHeld_ = false;
        // The pause starts when the key comes up.
        if (previewTimer_->isActive() || waitingForRelease_) previewTimer_->start();
        waitingForRelease_ = false;
    }
    QTableView::keyReleaseEvent(event);
}

void ResultsView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (keyboardMove_ && current.isValid() && current.row() != previous.row()) {
        previewTimer_->start();
    }
}

void ResultsView::SetBusy(bool busy) {
    if (busy) {
        // Asked before the list is off: turning it off moves the keyboard elsewhere.
        refocus_ = refocus_ || hasFocus() || window()->focusWidget() == this;
        setEnabled(false);
        return;
    }
    setEnabled(true);
    if (refocus_) {
        refocus_ = false;
        setFocus(Qt::OtherFocusReason);
    }
}

void ResultsView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit DoubleClicked(event->position().toPoint());
}

}  // namespace dbx
