#pragma once

#include <QSize>
#include <string>
#include <string_view>

#include "layout_engine.h"
#include "markup_tags.h"

namespace dbx::markup {

// Lays out one stretch of flow text as "<body>" + stretch + "</body>": text runs wrapped to
// the width measuring used, breaks, tabs, rules, images and strings, line by line.
//
// Both passes move a layout position x that starts every line at the area's left edge, so they
// wrap and place tab stops alike. Drawing adds to it the line's alignment offset and a shift
// made of justification pixels and of the share of percentage rules.
class FlowLayout {
  public:
    FlowLayout(LayoutEngine& engine, const Rect& area, StyleState& state, StyleStack& stack);

    // Measuring: the widest line and the height; drawing: the height.
    QSize Run(std::string_view stretch);

  private:
    void Text(std::string run);
    void Tag(const TagInfo& tag);
    void Place(std::string_view piece);
    void OpenLine();
    void EndLine(int count, bool wrapped);
    bool WrapsAt(int width) const;
    int TextWidth(std::string_view text) const;
    int TextTop(int height, int ascent) const;
    int ImageTop(int height) const;
    int DrawX() const { return x_ + offset_ + shift_; }

    // flow_items.cpp
    void Tab(int count);
    void Rule(const TagInfo& tag);
    void Image(const TagInfo& tag);
    void String(const TagInfo& tag);

    LayoutEngine& engine_;
    Rect area_;
    StyleState& state_;
    StyleStack& stack_;
    int wrapRight_ = 0;
    bool wraps_ = false;
    int x_ = 0;
    int y_ = 0;
    int widest_ = 0;
    bool lineOpen_ = false;
    bool lineItems_ = false;
    // Measuring: what the open line holds so far.
    int ascent_ = 0;
    int descent_ = 0;
    int minHeight_ = 0;
    // Drawing: the record of the open line and where it is drawn.
    Rect visible_;  // what the device shows
    LineRecord line_;
    int offset_ = 0;
    int shift_ = 0;
};

}  // namespace dbx::markup
