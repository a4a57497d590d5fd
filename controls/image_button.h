#pragma once

#include <QImage>
#include <QPushButton>
#include <QTimer>

#include <array>

#include "bitmap_keying.h"
#include "color_ref.h"
#include "rect.h"

namespace dbx {

class DeviceContext;

// A flat push button with a picture (an icon pair, or a bitmap pair with a transparent colour)
// and optional text: a raised edge and its hover picture while the mouse is over it, a sunken
// edge while pressed, a colour per state and a hint. The second picture shows in the normal
// state only; the first while hovered or pressed (and always when there is no second).
class CImageButton : public QPushButton {
    Q_OBJECT

  public:
    enum Result : int {
        kOk = 0,
        kNoImageSize = 1,  // all images were cleared
        kNoMask = 2,       // all images were cleared
        kBadColourIndex = 3,
        kBadPlacement = 4,
        kBadShift = 5,
    };
    enum ColourIndex : int {
        kHoverBack = 0,
        kHoverText = 1,
        kNormalBack = 2,
        kNormalText = 3,
        kFocusBack = 4,
        kFocusText = 5,
    };
    enum Placement : int { kImageLeft = 0, kImageAbove = 1, kImageRight = 2, kImageTopLeft = 3 };

    explicit CImageButton(QWidget* parent = nullptr);
    explicit CImageButton(const QString& text, QWidget* parent = nullptr);

    // Icons by resource id; a size of 0 takes the resource's own size, icon2 0 means none.
    int AssignIcons(int icon1, int width1, int height1, int icon2 = 0, int width2 = 0,
                    int height2 = 0);
    // Each pixel of exactly the transparent colour lets the background show through.
    int AssignBitmaps(const QImage& bitmap1, ColorRef transparent1, const QImage& bitmap2 = {},
                      ColorRef transparent2 = 0);
    int SetImagePlacement(int placement, bool repaint = true);
    int SetStateColour(int index, ColorRef colour, bool repaint = true);
    // Adds `shift` to red, green and blue alike, no more than keeps every channel in 0..255.
    int ShiftStateColour(int index, int shift, bool repaint = true);
    // Paints the parent's pixels under the button instead of a background colour.
    void UseParentBackground(bool repaint = true);
    // A null text changes nothing.
    void SetHint(const QString& text, bool activate = true);

    bool IsHovered() const { return hovered_; }
    bool HasImage() const;
    int ImagePlacement() const { return placement_; }
    ColorRef StateColour(int index) const;
    const QString& Hint() const { return hint_; }
    bool HintActive() const { return hintActive_; }
    // Where the picture of the current state lies, in button coordinates; empty without one.
    QRect ImageRect() const;

    // How often a hot button looks whether the pointer has gone without telling it (a pointer
    // that leaves the window fast, a button shown under a pointer that then leaves).
    static constexpr int kHoverCheckMs = 100;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Picture {
        QImage icon;  // icons keep their alpha
        KeyedBitmap bitmap;
        bool IsNull() const { return icon.isNull() && bitmap.colour.isNull(); }
        QSize Size() const;
    };

    void Init();
    void ClearImages();
    void ResetColours();
    void StartHover();
    void EndHover();
    void ApplyHint();
    const Picture* CurrentPicture() const;
    // Image rectangle for a picture of `size`, and the text rectangle it leaves.
    QRect PlaceImage(QSize size, Rect* textRect) const;
    void PaintBackground(DeviceContext& dc);
    void PaintPicture(DeviceContext& dc, const Picture& picture, const QRect& at);
    void PaintCaption(DeviceContext& dc, Rect textRect);

    bool hovered_ = false;
    bool useParentBackground_ = false;
    int placement_ = kImageLeft;
    std::array<ColorRef, 6> colours_{};
    QString hint_;
    bool hintActive_ = false;
    QImage backgroundCache_;
    Picture picture1_;
    Picture picture2_;
    QTimer hoverCheck_;
};

}  // namespace dbx
