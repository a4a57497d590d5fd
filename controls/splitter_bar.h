#pragma once

#include <QPointer>
#include <QWidget>

#include "rect.h"

namespace dbx {

class SplitterBar;

// What a bar tells its parent when a drag ends.
struct SplitterNotification {
    SplitterBar* bar = nullptr;
    int id = 0;
    int code = 0;          // kMovedCode
    int displacement = 0;  // pixels along the bar's axis, + right or down
};

// A thin bar the user drags; while dragging a tracking line shows where it will go, held
// between two limits; on release the bar moves there and tells its parent how far it moved.
class SplitterBar : public QWidget {
    Q_OBJECT

  public:
    enum Orientation : int { kVertical = 1, kHorizontal = 2 };
    static constexpr int kThickness = 5;
    static constexpr int kMovedCode = 1025;

    explicit SplitterBar(QWidget* parent = nullptr);
    ~SplitterBar() override;

    // A rectangle narrower than tall makes a vertical bar (moving left and right), any other a
    // horizontal one; it is cut to kThickness across its axis. Until SetTravel both limits
    // lie on the current centre line.
    void CreateBar(bool visible, const Rect& rect, QWidget* parent, int id);
    // Limits the centre line to [centre - up, centre + down], in parent coordinates; a negative
    // centre takes the bar's current centre line.
    void SetTravel(int up, int down, int centre = -1);
    // Puts the centre line at x (vertical bar) or y (horizontal bar), parent coordinates.
    void MoveBarTo(int x, int y);

    int Id() const { return id_; }
    Orientation BarOrientation() const { return orientation_; }
    int MinPos() const { return minPos_; }
    int MaxPos() const { return maxPos_; }
    bool IsDragging() const { return dragging_; }
    // The centre line along the axis, parent coordinates.
    int CentreLine() const;
    // Where the tracking line is, parent coordinates along the axis; meaningful while dragging.
    int TrackPos() const;

  signals:
    void Moved(const SplitterNotification& notification);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    class TrackLine;

    int AlongAxis(QPoint p) const { return orientation_ == kVertical ? p.x() : p.y(); }
    QPoint WithAxis(QPoint p, int value) const;
    void ShowTrackLine();

    int id_ = 0;
    Orientation orientation_ = kHorizontal;
    bool dragging_ = false;
    QPoint track_;  // screen coordinates
    int startPos_ = 0;
    int minPos_ = -1;
    int maxPos_ = -1;
    QPointer<TrackLine> line_;
};

}  // namespace dbx
