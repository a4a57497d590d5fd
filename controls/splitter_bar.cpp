#include "splitter_bar.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include <algorithm>

#include "device_context.h"

namespace dbx {
namespace {

constexpr ColorRef kLineGrey = 0xC8C8C8;
constexpr ColorRef kBarFill = 0xDCDCC8;  // red 200, green 220, blue 220

}  // namespace

// Two lines, one pixel either side of where the bar would go, inverted (NOT-XOR) over what is
// painted below, so they show on any background.
class SplitterBar::TrackLine : public QWidget {
  public:
    TrackLine(Orientation orientation, QWidget* parent)
        : QWidget(parent), orientation_(orientation) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        DeviceContext dc(this);
        dc.SetRop2(Rop2::NotXorPen);
        dc.SelectPen({PenStyle::Solid, 1, kLineGrey});
        if (orientation_ == kVertical) {
            for (int x : {0, 2}) {
                dc.MoveTo(x, 0);
                dc.LineTo(x, height());
            }
        } else {
            for (int y : {0, 2}) {
                dc.MoveTo(0, y);
                dc.LineTo(width(), y);
            }
        }
    }

  private:
    Orientation orientation_;
};

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {}

SplitterBar::~SplitterBar() {
    delete line_.data();
}

void SplitterBar::CreateBar(bool visible, const Rect& rect, QWidget* parent, int id) {
    id_ = id;
    orientation_ = rect.Width() < rect.Height() ? kVertical : kHorizontal;
    Rect r = rect;
    if (orientation_ == kVertical) {
        r.right = r.left + kThickness;
    } else {
        r.bottom = r.top + kThickness;
    }
    setParent(parent);
    setGeometry(r.ToQRect());
    setCursor(orientation_ == kVertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    setVisible(visible);
    SetTravel(0, 0, -1);
}

int SplitterBar::CentreLine() const {
    const QRect g = geometry();
    return orientation_ == kVertical ? g.left() + g.width() / 2 : g.top() + g.height() / 2;
}

void SplitterBar::SetTravel(int up, int down, int centre) {
    if (centre < 0) centre = CentreLine();
    minPos_ = centre - up;
    maxPos_ = centre + down;
}

void SplitterBar::MoveBarTo(int x, int y) {
    QRect g = geometry();
    if (orientation_ == kVertical) {
        g.moveLeft(x - g.width() / 2);
    } else {
        g.moveTop(y - g.height() / 2);
    }
    setGeometry(g);
    update();
}

QPoint SplitterBar::WithAxis(QPoint p, int value) const {
    if (orientation_ == kVertical) {
        p.setX(value);
    } else {
        p.setY(value);
    }
    return p;
}

int SplitterBar::TrackPos() const {
    QWidget* parent = parentWidget();
    return AlongAxis(parent ? parent->mapFromGlobal(track_) : track_);
}

void SplitterBar::paintEvent(QPaintEvent*) {
    DeviceContext dc(this);
    const Rect r{0, 0, width(), height()};
    dc.DrawEdge(r, kBorderRaisedInner, kSideAll);
    dc.SelectPen({PenStyle::Solid, 1, kLineGrey});
    dc.SelectBrush(kBarFill);
    dc.Rectangle({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
}

void SplitterBar::ShowTrackLine() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    if (!line_) line_ = new TrackLine(orientation_, parent);
    const QPoint at = parent->mapFromGlobal(track_);
    const QRect g = geometry();
    if (orientation_ == kVertical) {
        line_->setGeometry(at.x() - 1, g.top(), 3, g.height());
    } else {
        line_->setGeometry(g.left(), at.y() - 1, g.width(), 3);
    }
    line_->raise();
    line_->show();
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    const QPoint centre = WithAxis(geometry().center(), CentreLine());
    track_ = parentWidget() ? parentWidget()->mapToGlobal(centre) : centre;
    startPos_ = AlongAxis(track_);
    ShowTrackLine();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && parentWidget()) {
        QWidget* parent = parentWidget();
        QPoint p = parent->mapFromGlobal(event->globalPosition().toPoint());
        p = WithAxis(p, std::clamp(AlongAxis(p), minPos_, std::max(minPos_, maxPos_)));
        track_ = parent->mapToGlobal(p);
        ShowTrackLine();
    }
    QWidget::mouseMoveEvent(event);
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        if (line_) line_->hide();
        dragging_ = false;
        if (QWidget* parent = parentWidget()) {
            const QPoint at = parent->mapFromGlobal(track_);
            MoveBarTo(at.x(), at.y());
            emit Moved({this, id_, kMovedCode, AlongAxis(track_) - startPos_});
        }
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace dbx
