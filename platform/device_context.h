#pragma once

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

#include "color_ref.h"
#include "font_desc.h"
#include "rect.h"

class QImage;
class QPainter;
class QPaintDevice;

namespace dbx {

enum class BkMode : int { Transparent = 1, Opaque = 2 };

// How pen and brush drawing combines with what is already there. NotXorPen drawn twice at the
// same place leaves the pixels as they were.
enum class Rop2 { CopyPen, NotXorPen };

enum class PenStyle { Solid, Dash, Dot, Null };

// How a block copy combines the source with the destination, bit by bit: a copy, an AND (a
// white source keeps what is there, black clears it) or an OR (black keeps, colour adds).
enum class BltOp { SrcCopy, SrcAnd, SrcPaint };

struct PenDesc {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    ColorRef color = 0;
};

struct TextMetrics {
    int ascent = 0;
    int descent = 0;
    int height = 0;  // ascent + descent
    int xHeight = 0;
    int averageCharWidth = 0;
};

// Borders of a 3-D edge, outermost first; an edge is one outer and one inner border.
enum EdgeBorder : unsigned {
    kBorderRaisedOuter = 0x1,
    kBorderSunkenOuter = 0x2,
    kBorderRaisedInner = 0x4,
    kBorderSunkenInner = 0x8,
    kEdgeRaised = kBorderRaisedOuter | kBorderRaisedInner,
    kEdgeSunken = kBorderSunkenOuter | kBorderSunkenInner,
    kEdgeEtched = kBorderSunkenOuter | kBorderRaisedInner,
    kEdgeBump = kBorderRaisedOuter | kBorderSunkenInner,
};

enum EdgeSide : unsigned {
    kSideLeft = 0x1,
    kSideTop = 0x2,
    kSideRight = 0x4,
    kSideBottom = 0x8,
    kSideAll = 0xF,
    kSideMiddle = 0x800,  // also fill the inside with the button face colour
};

// Drawing in the manner of a GDI device context over a QPainter: one selected font, pen and
// brush, text colours and mode, a current position, and exclusive right/bottom edges.
// Defaults: black text on white, opaque text background, black 1-pixel pen, white brush.
class DeviceContext {
  public:
    // Paints on `device` with a painter of its own, ended with the context.
    explicit DeviceContext(QPaintDevice* device);
    // Uses a painter that is already active; its state is restored when the context ends.
    explicit DeviceContext(QPainter& painter);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    QPainter& Painter() { return *painter_; }
    int PixelsPerInchY() const;

    // Each Select/Set returns what was selected before, so callers can put it back.
    FontDesc SelectFont(const FontDesc& font);
    const FontDesc& SelectedFont() const { return fontDesc_; }
    TextMetrics GetTextMetrics() const;
    QSize TextExtent(const QString& text) const;

    ColorRef SetTextColor(ColorRef color);
    ColorRef TextColor() const { return textColor_; }
    ColorRef SetBkColor(ColorRef color);
    ColorRef BkColor() const { return bkColor_; }
    BkMode SetBkMode(BkMode mode);
    BkMode GetBkMode() const { return bkMode_; }

    // (x, y) is the top-left corner of the text cell. Returns the width covered, which includes
    // any justification the spaces of the text received.
    int TextOut(int x, int y, const QString& text);

    // Spreads `extra` pixels over the next `breakCount` spaces that TextOut draws, in one or
    // several calls, as a justified line needs; (0, 0) turns it off. Extents stay unjustified.
    void SetTextJustification(int extra, int breakCount);

    // Always a plain copy, whatever the raster operation.
    void FillSolidRect(const Rect& rect, ColorRef color);

    PenDesc SelectPen(const PenDesc& pen);
    // nullopt selects a hollow brush.
    std::optional<ColorRef> SelectBrush(std::optional<ColorRef> color);
    Rop2 SetRop2(Rop2 op);

    // Lines leave out their last point, so joined segments meet without overlap.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    QPoint CurrentPosition() const { return position_; }

    // The pen frames the inside of the rectangle; the brush fills what the frame encloses.
    void Rectangle(const Rect& rect);
    void RoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);

    // Colours come from the system colour table.
    void DrawEdge(const Rect& rect, unsigned borders, unsigned sides);

    // Copies pixels unchanged (8-bit images through their colour table).
    void DrawImage(int x, int y, const QImage& image);
    // Source coordinates and sizes are in the source's device-independent pixels, so an image
    // drawn for a high-density screen lands at the same place as its plain twin.
    void BitBlt(int x, int y, int width, int height, const QImage& source, int sourceX, int sourceY,
                BltOp op = BltOp::SrcCopy);
    void StretchImage(const Rect& target, const QImage& source);

    // Drawing stays inside the rectangle (and any clip before it) until the context ends.
    void IntersectClipRect(const Rect& rect);

  private:
    void Init();
    void FillWithRop(const Rect& rect, ColorRef color);
    void DrawPenLine(QPoint from, QPoint to);
    void DrawBorder(const Rect& rect, unsigned sides, ColorRef topLeft, ColorRef bottomRight);

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    QPaintDevice* device_ = nullptr;  // null when a borrowed painter is not active
    QFont font_;
    FontDesc fontDesc_;
    ColorRef textColor_ = 0;
    ColorRef bkColor_ = 0xFFFFFF;
    BkMode bkMode_ = BkMode::Opaque;
    PenDesc pen_;
    std::optional<ColorRef> brush_ = 0xFFFFFF;
    Rop2 rop_ = Rop2::CopyPen;
    int justifyExtra_ = 0;
    int justifyBreaks_ = 0;
    QPoint position_;
};

}  // namespace dbx
