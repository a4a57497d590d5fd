#pragma once

#include <QTableView>

class QTimer;

namespace dbx {

class ResultsModel;

// The results list: grid lines, check boxes and full-row selection. It reports left clicks
// and double clicks with the point they happened at, as the list's click notifications do.
// From the keyboard, the arrows, Page Up/Down, Home and End move the highlight and ask for a
// preview once the keys rest; Enter asks at once; Space ticks the highlighted row. A click on
// a check box or with the right button leaves the highlight where the preview is.
class ResultsView : public QTableView {
    Q_OBJECT
  public:
    explicit ResultsView(QWidget* parent = nullptr);

    struct Hit {
        int row = -1;             // -1: no row at the point
        bool onCheckBox = false;  // on the row's check box
    };
    // The row under a point of the viewport and whether the point is on its check box.
    Hit HitTest(const QPoint& viewportPoint) const;

    // With the results filter as model, the highlighted message stays highlighted while the
    // find text changes, as long as it is shown.
    void setModel(QAbstractItemModel* model) override;

    // How long the keys must rest before the highlighted row is previewed.
    void SetPreviewDelay(int ms);
    // Asks for a preview of the highlighted row after that pause.
    void SchedulePreview();
    bool PreviewPending() const;

    // Off while a preview runs, as the list's window is; the keyboard, if it was here, comes
    // back when it is on again.
    void SetBusy(bool busy);

    // Sorts by a column, reversing the order when it already sorts by it; -1 goes back to
    // the order the rows were found in.
    void SortBy(int column);
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

  signals:
    void Clicked(QPoint viewportPoint);
    void DoubleClicked(QPoint viewportPoint);
    // The shown row to preview, asked for from the keyboard.
    void PreviewRequested(int row);
    // A click on a column's header.
    void SortRequested(int column);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    void ToggleTick(int row);
    void PreviewNow();

    bool pressed_ = false;
    QPersistentModelIndex checkBoxPress_;  // a left press on this row's check box
    bool keyboardMove_ = false;
    bool keyHeld_ = false;
    bool waitingForRelease_ = false;  // the pause ended while the key was still down
    bool refocus_ = false;
    QTimer* previewTimer_ = nullptr;
    int keptSourceRow_ = -1;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace dbx
