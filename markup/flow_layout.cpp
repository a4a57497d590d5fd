#include "flow_layout.h"

#include <algorithm>
#include <cstdint>

#include "ansi_codepage.h"
#include "layout_math.h"
#include "markup_tokens.h"
#include "text_transform.h"
#include "visible_area.h"
#include "word_wrap.h"

namespace dbx::markup {

FlowLayout::FlowLayout(LayoutEngine& engine, const Rect& area, StyleState& state, StyleStack& stack)
    : engine_(engine), area_(area), state_(state), stack_(stack) {
    if (!engine_.Measuring()) visible_ = VisibleArea(engine_.Dc());
}

QSize FlowLayout::Run(std::string_view stretch) {
    std::vector<int>& wrapWidths = engine_.Records().stretchWrapWidths;
    const std::size_t index = std::size_t(engine_.NextStretch());
    int wrapWidth = std::max(0, area_.Width());
    if (engine_.Measuring()) {
        if (wrapWidths.size() <= index) wrapWidths.resize(index + 1);
        wrapWidths[index] = wrapWidth;
    } else if (index < wrapWidths.size()) {
        wrapWidth = wrapWidths[index];
    }
    wrapRight_ = AddClamped(area_.left, wrapWidth);
    wraps_ = engine_.Settings().maxWidth > 0 && wrapWidth > 0;
    x_ = area_.left;
    y_ = area_.top;
    engine_.SelectStyle(state_);

    const std::string text = "<body>" + std::string(stretch) + "</body>";
    std::size_t pos = 0;
    while (auto token = NextToken(text, pos)) {
        if (token->type == TokenType::Text) {
            Text(std::move(token->text));
        } else {
            Tag(LookupTag(token->text));
        }
    }
    if (lineOpen_) EndLine(1, false);
    return QSize(widest_, y_ - area_.top);
}

int FlowLayout::TextWidth(std::string_view text) const {
    return engine_.Records().extents.Get(engine_.Dc(), text).width();
}

bool FlowLayout::WrapsAt(int width) const {
    return wraps_ && width > wrapRight_ - x_;
}

void FlowLayout::Text(std::string run) {
    const std::string text = TransformText(run, state_.textTransform);
    std::string_view rest = text;
    while (!rest.empty()) {
        OpenLine();
        if (!wraps_) {
            Place(rest);
            return;
        }
        const LineCut line = NextLine(rest, wrapRight_ - x_, x_ == area_.left,
                                      [this](std::string_view t) { return TextWidth(t); });
        if (line.whole) {
            Place(rest);
            return;
        }
        const WrapCut& cut = line.cut;
        Place(rest.substr(0, cut.pieceEnd));
        rest = rest.substr(cut.restStart);
        if (!rest.empty()) EndLine(1, true);
    }
}

void FlowLayout::Tag(const TagInfo& tag) {
    if (tag.kind == TagKind::Unknown) return;
    bool hovered = false;
    if (tag.kind == TagKind::Link && !tag.closing) {
        hovered = engine_.OpenLink() == engine_.Settings().hoveredLink;
    }
    const ValueReader values = engine_.Values();
    if (!engine_.Language().HandleTag(tag, stack_, state_, values.measures, hovered)) {
        engine_.SelectStyle(state_);
        return;
    }
    switch (tag.kind) {
        case TagKind::Break:
            EndLine(TagCount(tag, values.measures), false);
            break;
        case TagKind::Tab:
            Tab(TagCount(tag, values.measures));
            break;
        case TagKind::Rule:
            Rule(tag);
            break;
        case TagKind::Bitmap:
        case TagKind::Icon:
        case TagKind::ImageList:
            Image(tag);
            break;
        case TagKind::String:
            String(tag);
            break;
        default:
            break;
    }
}

int FlowLayout::TextTop(int height, int ascent) const {
    const int lineHeight = line_.height;
    switch (state_.verticalAlign) {
        case VAlign::Top:
            return y_;
        case VAlign::Center:
            return y_ + (lineHeight - height) / 2;
        case VAlign::Bottom:
            return y_ + lineHeight - ascent;
        case VAlign::Baseline:
            break;
    }
    return y_ + lineHeight - ascent - line_.descent;
}

void FlowLayout::Place(std::string_view piece) {
    if (piece.empty()) return;
    DeviceContext& dc = engine_.Dc();
    const QSize extent = engine_.Records().extents.Get(dc, piece);
    const TextMetrics& metrics = engine_.Metrics();
    if (engine_.Measuring()) {
        ascent_ = std::max(ascent_, metrics.ascent);
        descent_ = std::max(descent_, extent.height() - metrics.ascent);
        line_.spaces += int(std::count(piece.begin(), piece.end(), ' '));
    } else {
        const int top = TextTop(extent.height(), metrics.ascent);
        const int left = DrawX();
        // Text the device cannot show is not drawn: a long text costs its layout only.
        const bool shows = Overlaps(
            {left, top, AddClamped(left, extent.width()), AddClamped(top, extent.height())},
            visible_);
        const int advance = shows ? dc.TextOut(left, top, AnsiToQString(piece)) : extent.width();
        if (state_.overline) {
            const int thickness = state_.fontWeight >= 700 ? 2 : 1;
            dc.FillSolidRect({left, top, left + advance, top + thickness}, state_.textColor);
        }
        engine_.AddHotArea({left, top, left + advance, top + extent.height()}, state_);
        shift_ = AddClamped(shift_, advance - extent.width());
    }
    x_ = AddClamped(x_, extent.width());
    lineItems_ = true;
}

void FlowLayout::OpenLine() {
    if (lineOpen_) return;
    lineOpen_ = true;
    lineItems_ = false;
    x_ = area_.left;
    ascent_ = descent_ = minHeight_ = 0;
    offset_ = shift_ = 0;
    if (engine_.Measuring()) {
        line_ = LineRecord{};
        line_.align = state_.horizontalAlign;
        return;
    }
    const std::vector<LineRecord>& lines = engine_.Records().lines;
    const std::size_t index = std::size_t(engine_.LineIndex());
    line_ = index < lines.size() ? lines[index] : LineRecord{};
    const int areaWidth = std::max(0, area_.Width());
    const int width = AddClamped(line_.width, MulDiv(areaWidth, line_.percentSum, 100));
    DeviceContext& dc = engine_.Dc();
    dc.SetTextJustification(0, 0);
    switch (line_.align) {
        case HAlign::Center:
            offset_ = (areaWidth - width) / 2;
            break;
        case HAlign::Right:
            offset_ = areaWidth - width;
            break;
        case HAlign::Justify:
            // Only lines that wrapped are stretched; the last line of a paragraph is not.
            if (line_.wrapped && line_.spaces > 0 && areaWidth > width) {
                dc.SetTextJustification(areaWidth - width, line_.spaces);
            }
            break;
        case HAlign::Left:
            break;
    }
}

void FlowLayout::EndLine(int count, bool wrapped) {
    OpenLine();
    int height = line_.height;
    if (engine_.Measuring()) {
        height = lineItems_ ? std::max(ascent_ + descent_, minHeight_) : engine_.Metrics().height;
        line_.width = x_ - area_.left;
        line_.height = height;
        line_.descent = descent_;
        line_.wrapped = wrapped;
        std::vector<LineRecord>& lines = engine_.Records().lines;
        const std::size_t index = std::size_t(engine_.LineIndex());
        if (lines.size() <= index) lines.resize(index + 1);
        lines[index] = line_;
        widest_ = std::max(widest_, line_.width);
    }
    const int times = std::clamp(count, 1, kMaxRepeat);
    y_ = AddClamped(y_, std::int64_t(times) * height);
    ++engine_.LineIndex();
    lineOpen_ = false;
}

}  // namespace dbx::markup
