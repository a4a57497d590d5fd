#include "drawn_texts.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QTransform>
#include <QWidget>

namespace dbx::test {
namespace {

// Draws nothing; keeps every text item with the transform and pen it was drawn with.
class RecordingEngine : public QPaintEngine {
  public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyTransform) transform_ = state.transform();
        if (state.state() & DirtyPen) colour_ = state.pen().color();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QPointF where = transform_.map(at);
        if (!texts.empty()) {
            DrawnText& last = texts.back();
            if (qAbs(last.at.y() - where.y()) < 0.5 &&
                qAbs(last.at.x() + last.width - where.x()) < 1.0) {
                last.text += item.text();
                last.width += item.width();
                return;
            }
        }
        texts.push_back({item.text(), where, item.width(), colour_});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;

  private:
    QTransform transform_;
    QColor colour_;
};

class RecordingDevice : public QPaintDevice {
  public:
    explicit RecordingDevice(const QWidget* widget) : widget_(widget) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return widget_->width();
            case PdmHeight:
                return widget_->height();
            case PdmWidthMM:
                return widget_->widthMM();
            case PdmHeightMM:
                return widget_->heightMM();
            case PdmNumColors:
                return widget_->colorCount();
            case PdmDepth:
                return widget_->depth();
            case PdmDpiX:
                return widget_->logicalDpiX();
            case PdmDpiY:
                return widget_->logicalDpiY();
            case PdmPhysicalDpiX:
                return widget_->physicalDpiX();
            case PdmPhysicalDpiY:
                return widget_->physicalDpiY();
            case PdmDevicePixelRatio:
                return int(widget_->devicePixelRatio());
            case PdmDevicePixelRatioScaled:
                return int(widget_->devicePixelRatioF() * devicePixelRatioFScale());
        }
        return 0;
    }

  private:
    const QWidget* widget_;
};

}  // namespace

std::vector<DrawnText> DrawnTexts(QWidget* widget) {
    RecordingDevice device(widget);
    widget->render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    return device.engine.texts;
}

}  // namespace dbx::test
