// The items of flow text that are not text runs: tabs, rules, images and strings.
#include <algorithm>
#include <cstdint>

#include "flow_layout.h"
#include "image_styles.h"
#include "layout_math.h"

namespace dbx::markup {

int FlowLayout::ImageTop(int height) const {
    switch (state_.verticalAlign) {
        case VAlign::Top:
            return y_;
        case VAlign::Center:
            return y_ + (line_.height - height) / 2;
        case VAlign::Bottom:
            return y_ + line_.height - height;
        case VAlign::Baseline:
            break;
    }
    return y_ + line_.height - line_.descent - height;
}

void FlowLayout::Tab(int count) {
    if (count <= 0) return;
    OpenLine();
    const std::int64_t step = std::max(1, engine_.Settings().tabWidth);
    const std::int64_t offset = x_ - area_.left;
    const std::int64_t next = (offset / step + 1) * step + (std::min(count, kMaxRepeat) - 1) * step;
    x_ = ClampCoordinate(area_.left + next);
}

void FlowLayout::Rule(const TagInfo& tag) {
    StyleState rule = state_;
    engine_.Language().ApplyRule("hr", rule, engine_.Measures());
    std::string width, size, color;
    std::size_t pos = 0;
    while (auto a = NextAttribute(tag.attributes, pos)) {
        if (a->name == "width") width = a->value;
        if (a->name == "size") size = a->value;
        if (a->name == "color") color = a->value;
    }
    const ValueReader values = engine_.Values();
    const bool percent = width.empty() || width.back() == '%';
    const int amount = ClampLength(values.Length(width, percent ? 100 : 0));
    const int thickness = ClampLength(values.Length(size, 1));
    const ColorRef lineColor = values.Color(color, rule.textColor);
    // Measuring counts a percentage rule as 1 pixel; drawing knows the area it spans.
    const int advance = percent ? 1 : amount;
    OpenLine();
    if (engine_.Measuring()) {
        minHeight_ = std::max(minHeight_, thickness + 8);
        if (percent) line_.percentSum = std::min(kMaxLength, line_.percentSum + amount);
    } else {
        const int drawn = percent ? MulDiv(std::max(0, area_.Width()), amount, 100) : amount;
        if (drawn > 0) {
            DeviceContext& dc = engine_.Dc();
            const PenDesc previous = dc.SelectPen({PenStyle::Solid, thickness, lineColor});
            const int middle = y_ + line_.height / 2;
            dc.MoveTo(DrawX(), middle);
            dc.LineTo(DrawX() + drawn, middle);
            dc.SelectPen(previous);
        }
        shift_ = AddClamped(shift_, std::max(0, drawn) - advance);
    }
    x_ = AddClamped(x_, advance);
    lineItems_ = true;
}

void FlowLayout::Image(const TagInfo& info) {
    const ValueReader values = engine_.Values();
    const ImageTag tag = ReadImageTag(info, values);
    const QImage image = LoadTagImage(tag, engine_.Sources(), values);
    if (image.isNull()) return;
    const ImageShadow& shadow = engine_.Settings().shadow;
    const bool shadowed = WantsShadow(tag.style) || WantsShadow(tag.hotStyle);
    const int width = image.width() + (shadowed ? std::clamp(shadow.offsetX, 0, kMaxLength) : 0);
    const int height = image.height() + (shadowed ? std::clamp(shadow.offsetY, 0, kMaxLength) : 0);
    OpenLine();
    if ((lineItems_ || x_ > area_.left) && WrapsAt(width)) {
        EndLine(1, true);
        OpenLine();
    }
    if (engine_.Measuring()) {
        ascent_ = std::max(ascent_, height);
    } else {
        const bool hot = state_.linkKind != LinkKind::None &&
                         engine_.CurrentLink() == engine_.Settings().hoveredLink;
        const std::string& letters = hot ? tag.hotStyle : tag.style;
        const int left = DrawX();
        const int top = ImageTop(height);
        const QImage styled = StyledImage(image, letters);
        if (WantsShadow(letters)) DrawImageShadow(engine_.Dc(), left, top, styled, shadow);
        BlendImage(engine_.Dc(), left, top, styled);
        engine_.AddHotArea({left, top, left + width, top + height}, state_);
    }
    x_ = AddClamped(x_, width);
    lineItems_ = true;
}

void FlowLayout::String(const TagInfo& tag) {
    const std::optional<std::string> text = LoadTagString(tag, engine_.Sources());
    if (!text || text->empty()) return;
    OpenLine();
    Place(*text);
}

}  // namespace dbx::markup
