#pragma once

#include <QTableView>

namespace dbx {

class ResultsModel;

// The results list: grid lines, check boxes and full-row selection. It reports left clicks
// and double clicks with the point they happened at, as the list's click notifications do.
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

  signals:
    void Clicked(QPoint viewportPoint);
    void DoubleClicked(QPoint viewportPoint);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

}  // namespace dbx
