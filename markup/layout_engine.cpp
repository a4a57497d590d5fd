#include "layout_engine.h"

#include <algorithm>

#include "flow_layout.h"
#include "layout_math.h"
#include "resource_registry.h"
#include "table_layout.h"
#include "table_text.h"

namespace dbx::markup {
namespace {

// Face names may be written in quotes, as the built-in "pre" rule does; fonts are found by the
// bare name.
FontDesc FontFor(const StyleState& state) {
    FontDesc font = FontOf(state);
    std::string& face = font.face;
    if (face.size() >= 2 && (face.front() == '"' || face.front() == '\'') &&
        face.back() == face.front()) {
        face = face.substr(1, face.size() - 2);
    }
    return font;
}

}  // namespace

LayoutEngine::LayoutEngine(Pass pass, DeviceContext& dc, const MarkupLanguage& language,
                           const LayoutSettings& settings, LayoutRecords& records,
                           std::vector<HotArea>& hotAreas, EffectPainter& effects)
    : pass_(pass),
      dc_(dc),
      language_(language),
      settings_(settings),
      records_(records),
      hotAreas_(hotAreas),
      effects_(effects),
      savedFont_(dc.SelectedFont()),
      savedText_(dc.TextColor()),
      savedBack_(dc.BkColor()),
      savedMode_(dc.GetBkMode()) {}

LayoutEngine::~LayoutEngine() {
    dc_.SelectFont(savedFont_);
    dc_.SetTextColor(savedText_);
    dc_.SetBkColor(savedBack_);
    dc_.SetBkMode(savedMode_);
    dc_.SetTextJustification(0, 0);
}

ResourceSources LayoutEngine::Sources() const {
    return ResourceSources{ResourceRegistry::Instance(), settings_.module};
}

void LayoutEngine::SelectStyle(const StyleState& state) {
    dc_.SelectFont(FontFor(state));
    dc_.SetTextColor(state.textColor);
    dc_.SetBkColor(state.backgroundColor);
    dc_.SetBkMode(state.backgroundMode);
    metrics_ = dc_.GetTextMetrics();
    measures_ = FontMeasures{metrics_.xHeight, metrics_.height, dc_.PixelsPerInchY()};
}

QSize LayoutEngine::LayoutDocument(std::string_view text, const Rect& area) {
    lineIndex_ = 0;
    stretchIndex_ = 0;
    tableIndex_ = 0;
    linkCounter_ = -1;
    StyleState state;
    SelectStyle(state);
    language_.ApplyRule("body", state, measures_);
    SelectStyle(state);
    StyleStack stack;
    return LayoutParts(text, area, state, stack, 0);
}

QSize LayoutEngine::LayoutParts(std::string_view text, const Rect& area, StyleState& state,
                                StyleStack& stack, int depth) {
    const std::vector<TextPart> parts =
        depth >= kMaxTableDepth ? std::vector<TextPart>{{false, text}} : SplitAtTables(text);
    int width = 0;
    int y = area.top;
    for (const TextPart& part : parts) {
        if (part.text.empty()) continue;
        const Rect sub{area.left, y, area.right, area.bottom};
        const QSize size = part.table ? TableLayout(*this).Run(part.text, sub, state, depth)
                                      : FlowLayout(*this, sub, state, stack).Run(part.text);
        width = std::max(width, size.width());
        y = AddClamped(y, size.height());
    }
    return QSize(width, y - area.top);
}

void LayoutEngine::AddHotArea(const Rect& rect, const StyleState& state) {
    if (pass_ != Pass::Draw || state.linkKind == LinkKind::None) return;
    hotAreas_.push_back(HotArea{rect, state.linkKind, linkCounter_, state.linkTarget});
}

}  // namespace dbx::markup
