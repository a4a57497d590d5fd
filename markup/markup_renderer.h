#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device_context.h"
#include "effect_painter.h"
#include "layout_engine.h"
#include "layout_records.h"
#include "markup_language.h"
#include "markup_notify.h"
#include "system_colors.h"

namespace dbx {

class ResourceRegistry;

// Lays out and draws one markup text. Measure prepares the text and records its lines and
// tables; each Draw replays that layout into a rectangle and notes where the links went, so
// that HitTest and Click can answer for them afterwards.
class MarkupRenderer {
  public:
    // System colour names and the fixed colour come from `colors`, sampled now.
    MarkupRenderer();
    explicit MarkupRenderer(const SystemColors& colors);

    // Hover changes go to `target` (null: nowhere) with `message` and `parameter`.
    void SetNotifyTarget(MarkupNotifyTarget* target, unsigned message = 0,
                         std::intptr_t parameter = 0);
    // Clicks on message links go to `target` (null: nowhere).
    void SetLinkMessageTarget(MarkupNotifyTarget* target, unsigned message = 0,
                              std::intptr_t parameter = 0);

    // 0: unlimited; otherwise text wraps to it and the measured width is held to it.
    void SetMaxWidth(int pixels) { settings_.maxWidth = std::max(0, pixels); }
    // Tab stops lie this far apart; at least 1.
    void SetTabWidth(int pixels) { settings_.tabWidth = std::max(1, pixels); }
    void SetLineBreaks(bool on) { language_.SetLineBreaks(on); }
    void SetColorMode(bool on) { language_.SetColorMode(on); }
    void SetFixedColor(ColorRef color) { language_.SetFixedColor(color); }
    // nullopt restores the built-in sheet.
    void SetStyleSheet(std::optional<std::string_view> text) { language_.SetStyleSheet(text); }
    void AddReplacement(std::string from, std::string to);
    void SetImageShadow(const markup::ImageShadow& shadow) { settings_.shadow = shadow; }
    // Resources for iddll images and strings without srcdll; not owned.
    void SetResourceModule(const ResourceRegistry* module) { settings_.module = module; }
    // The cursor owners show over links; without one, hit tests report no links.
    void SetHandCursor(std::optional<Qt::CursorShape> cursor) { handCursor_ = cursor; }

    // The size the text needs, 1 pixel more each way; 0 × 0 for a text that shows nothing.
    QSize Measure(DeviceContext& dc, std::string_view text);
    // Draws the text of the last Measure into `rect`.
    void Draw(DeviceContext& dc, const Rect& rect);

    // True over a link with a target (owners then show the hand cursor). Tells the notify target
    // when the link under the point changes.
    bool HitTest(QPoint point);
    // Follows the link under the point: a hyperlink through the desktop shell, a message link
    // to the link-message target.
    void Click(QPoint point);

    void PaintEffect(DeviceContext& dc, int effect, const Rect& rect, ColorRef color1,
                     ColorRef color2, ColorRef color3, int granularity, int option = 0);

    const std::string& Text() const { return text_; }
    const std::vector<markup::HotArea>& HotAreas() const { return hotAreas_; }
    const markup::LayoutRecords& Records() const { return records_; }

  private:
    struct Target {
        MarkupNotifyTarget* receiver = nullptr;
        unsigned message = 0;
        std::intptr_t parameter = 0;
    };

    const markup::HotArea* AreaAt(QPoint point) const;

    markup::MarkupLanguage language_;
    markup::LayoutSettings settings_;
    markup::LayoutRecords records_;
    std::vector<markup::HotArea> hotAreas_;
    EffectPainter effects_;
    std::string text_;
    Target notify_;
    Target linkMessage_;
    std::optional<Qt::CursorShape> handCursor_ = Qt::PointingHandCursor;
};

}  // namespace dbx
