#pragma once

#include <QGroupBox>

#include "color_ref.h"
#include "font_desc.h"
#include "rect.h"

namespace dbx {

// A group frame with rounded corners and its caption in colour, set in the frame's top line
// 10 pixels from its left end, the line hidden behind the caption.
class CRoundGroupBox : public QGroupBox {
    Q_OBJECT

  public:
    // The caption font is a copy of the control's font at this point.
    explicit CRoundGroupBox(const QString& title, QWidget* parent = nullptr);

    // The caption as drawn: the title with one space on each side, "" for an empty title.
    QString Caption() const;
    // Where the caption is drawn, in the box's coordinates.
    Rect CaptionRect() const;
    ColorRef BorderColour() const { return borderColour_; }
    ColorRef CaptionBackColour() const { return captionBackColour_; }
    ColorRef CaptionTextColour() const { return captionTextColour_; }

    static constexpr int kCaptionIndent = 10;
    static constexpr int kCornerEllipse = 10;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ColorRef borderColour_;
    ColorRef captionBackColour_;
    ColorRef captionTextColour_ = 0xFF0000;  // blue
    FontDesc fontDescription_;
};

}  // namespace dbx
