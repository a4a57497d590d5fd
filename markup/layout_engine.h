#pragma once

#include <QSize>
#include <string_view>
#include <vector>

#include "device_context.h"
#include "layout_records.h"
#include "markup_images.h"
#include "markup_language.h"
#include "style_stack.h"
#include "style_state.h"

namespace dbx {
class EffectPainter;
class ResourceRegistry;
}  // namespace dbx

namespace dbx::markup {

// Deeper tables are laid out as flow text, which keeps the recursion of hostile texts bounded.
inline constexpr int kMaxTableDepth = 16;

struct LayoutSettings {
    int maxWidth = 0;  // 0: lines break only at explicit breaks
    int tabWidth = 32;
    int hoveredLink = -2;
    ImageShadow shadow;
    const ResourceRegistry* module = nullptr;
};

// One layout pass over a document: measuring (line and table records are made) or drawing
// (they are read back, and hot areas are recorded). Flow text and tables call back into it for
// what they share: the device context, the style selection and the running counters.
class LayoutEngine {
  public:
    LayoutEngine(Pass pass, DeviceContext& dc, const MarkupLanguage& language,
                 const LayoutSettings& settings, LayoutRecords& records,
                 std::vector<HotArea>& hotAreas, EffectPainter& effects);
    ~LayoutEngine();
    LayoutEngine(const LayoutEngine&) = delete;
    LayoutEngine& operator=(const LayoutEngine&) = delete;

    // The whole text, from the initial style with the "body" rule.
    QSize LayoutDocument(std::string_view text, const Rect& area);

    // Flow stretches and tables one below the other from the top of `area`; the state and the
    // stack carry on from one stretch to the next.
    QSize LayoutParts(std::string_view text, const Rect& area, StyleState& state, StyleStack& stack,
                      int depth);

    bool Measuring() const { return pass_ == Pass::Measure; }
    DeviceContext& Dc() { return dc_; }
    const MarkupLanguage& Language() const { return language_; }
    const LayoutSettings& Settings() const { return settings_; }
    LayoutRecords& Records() { return records_; }
    EffectPainter& Effects() { return effects_; }
    ResourceSources Sources() const;

    // Selects the font, colours and text background of a state, and reads the font's metrics.
    void SelectStyle(const StyleState& state);
    const TextMetrics& Metrics() const { return metrics_; }
    const FontMeasures& Measures() const { return measures_; }
    ValueReader Values() const { return language_.Values(measures_); }

    // Running numbers in document order, the same in both passes.
    int& LineIndex() { return lineIndex_; }
    int NextStretch() { return stretchIndex_++; }
    int NextTable() { return tableIndex_++; }
    int OpenLink() { return ++linkCounter_; }
    int CurrentLink() const { return linkCounter_; }

    void AddHotArea(const Rect& rect, const StyleState& state);

  private:
    Pass pass_;
    DeviceContext& dc_;
    const MarkupLanguage& language_;
    const LayoutSettings& settings_;
    LayoutRecords& records_;
    std::vector<HotArea>& hotAreas_;
    EffectPainter& effects_;
    TextMetrics metrics_;
    FontMeasures measures_;
    int lineIndex_ = 0;
    int stretchIndex_ = 0;
    int tableIndex_ = 0;
    int linkCounter_ = -1;
    // What the context had before, put back at the end.
    FontDesc savedFont_;
    ColorRef savedText_;
    ColorRef savedBack_;
    BkMode savedMode_;
};

}  // namespace dbx::markup
