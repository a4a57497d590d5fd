#include "markup_renderer.h"

#include <algorithm>

#include "ansi_codepage.h"
#include "layout_math.h"
#include "shell.h"

namespace dbx {

using markup::HotArea;
using markup::LayoutEngine;
using markup::LinkKind;
using markup::Pass;

MarkupRenderer::MarkupRenderer() : MarkupRenderer(CurrentSystemColors()) {}

MarkupRenderer::MarkupRenderer(const SystemColors& colors) : language_(colors) {}

void MarkupRenderer::SetNotifyTarget(MarkupNotifyTarget* target, unsigned message,
                                     std::intptr_t parameter) {
    notify_ = Target{target, message, parameter};
}

void MarkupRenderer::SetLinkMessageTarget(MarkupNotifyTarget* target, unsigned message,
                                          std::intptr_t parameter) {
    linkMessage_ = Target{target, message, parameter};
}

void MarkupRenderer::AddReplacement(std::string from, std::string to) {
    language_.AddReplacement(std::move(from), std::move(to));
}

QSize MarkupRenderer::Measure(DeviceContext& dc, std::string_view text) {
    dc.SetTextJustification(0, 0);
    text_ = language_.Prepare(text);
    records_.Clear();
    hotAreas_.clear();
    if (text_.empty()) return QSize(0, 0);
    QSize size;
    {
        LayoutEngine engine(Pass::Measure, dc, language_, settings_, records_, hotAreas_, effects_);
        size = engine.LayoutDocument(text_, Rect{0, 0, settings_.maxWidth, 0});
    }
    if (size.width() == 0 && size.height() == 0) {
        text_.clear();
        records_.Clear();
        return QSize(0, 0);
    }
    int width = size.width();
    if (settings_.maxWidth > 0) width = std::min(width, settings_.maxWidth);
    return QSize(markup::AddClamped(width, 1), markup::AddClamped(size.height(), 1));
}

void MarkupRenderer::Draw(DeviceContext& dc, const Rect& rect) {
    hotAreas_.clear();
    if (text_.empty()) return;
    LayoutEngine engine(Pass::Draw, dc, language_, settings_, records_, hotAreas_, effects_);
    engine.LayoutDocument(text_, rect);
}

const HotArea* MarkupRenderer::AreaAt(QPoint p) const {
    for (const HotArea& area : hotAreas_) {
        const Rect& r = area.rect;
        if (p.x() >= r.left && p.x() <= r.right && p.y() >= r.top && p.y() <= r.bottom) {
            return &area;
        }
    }
    return nullptr;
}

bool MarkupRenderer::HitTest(QPoint point) {
    const HotArea* area = AreaAt(point);
    const int hovered = area != nullptr ? area->number : -2;
    // Decided before notifying: the receiver may redraw, which rebuilds the hot areas.
    const bool overLink = area != nullptr && !area->target.empty() && handCursor_.has_value();
    if (hovered != settings_.hoveredLink) {
        settings_.hoveredLink = hovered;
        if (notify_.receiver != nullptr) {
            notify_.receiver->OnLinkHover(notify_.message, hovered, notify_.parameter);
        }
    }
    return overLink;
}

void MarkupRenderer::Click(QPoint point) {
    const HotArea* area = AreaAt(point);
    if (area == nullptr || area->target.empty()) return;
    if (area->kind == LinkKind::Hyperlink) {
        // A target that cannot be opened is simply not followed.
        Shell::Current().Open(AnsiToQString(area->target));
    } else if (area->kind == LinkKind::Message && linkMessage_.receiver != nullptr) {
        const std::string target = area->target;
        linkMessage_.receiver->OnLinkMessage(linkMessage_.message, target, linkMessage_.parameter);
    }
}

void MarkupRenderer::PaintEffect(DeviceContext& dc, int effect, const Rect& rect, ColorRef color1,
                                 ColorRef color2, ColorRef color3, int granularity, int option) {
    effects_.Paint(dc, effect, rect, color1, color2, color3, granularity, option);
}

}  // namespace dbx
