#pragma once

#include <QPaintDevice>
#include <QPaintEngine>

namespace dbx::test {

// A paint device of a given size that only counts what it is asked to draw.
class CountingEngine : public QPaintEngine {
  public:
    // Every feature claimed, so that the painter hands everything over instead of drawing
    // it into an image of the device's size.
    CountingEngine() : QPaintEngine(AllFeatures) {}
    long long calls = 0;
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++calls; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++calls; }
    void drawRects(const QRectF*, int count) override { calls += count; }
    void drawRects(const QRect*, int count) override { calls += count; }
    void drawLines(const QLineF*, int count) override { calls += count; }
    void drawLines(const QLine*, int count) override { calls += count; }
    void drawPath(const QPainterPath&) override { ++calls; }
    void drawTextItem(const QPointF&, const QTextItem&) override { ++calls; }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
        ++calls;
    }
    Type type() const override { return User; }
};

class CountingDevice : public QPaintDevice {
  public:
    explicit CountingDevice(int width = 1000, int height = 1000) : width_(width), height_(height) {}
    CountingEngine engine;
    QPaintEngine* paintEngine() const override { return const_cast<CountingEngine*>(&engine); }
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmWidthMM:
                return width_;
            case PdmHeight:
            case PdmHeightMM:
                return height_;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 1 << 24;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
        }
        return 0;
    }

  private:
    int width_;
    int height_;
};

}  // namespace dbx::test
