// Button labels: the four sources in order, the caller's button lines, countdown patterns.
#include <gtest/gtest.h>

#include "message_box_labels.h"
#include "resource_registry.h"

namespace dbx {
namespace {

TEST(MessageBoxLabels, FirstNonEmptySourceWins) {
    ResourceRegistry strings;
    strings.AddString(9007, "Ja");
    strings.AddString(500, "Jawohl");
    ButtonLabelMap map;
    LabelSources sources{&map, &strings, false};

    EXPECT_EQ(ResolveLabel(kIdYes, sources), "Ja");  // string table
    EXPECT_EQ(ResolveLabel(kIdNo, sources), "No");   // built-in
    map[kIdYes] = "Sure";
    EXPECT_EQ(ResolveLabel(kIdYes, sources), "Sure");  // map first
    map[kIdYes] = TextOrId::Id(500);
    EXPECT_EQ(ResolveLabel(kIdYes, sources), "Jawohl");  // map entry given by id
    map[kIdYes] = "";
    EXPECT_EQ(ResolveLabel(kIdYes, sources), "Ja");          // an empty entry falls through
    EXPECT_EQ(ResolveLabel(24, sources, "Later"), "Later");  // caller default
    EXPECT_EQ(ResolveLabel(kIdYes, sources, "Later"), "Ja");

    // Without string resources, ids resolve empty, the map's too.
    sources.noResources = true;
    map[kIdYes] = TextOrId::Id(500);
    EXPECT_EQ(ResolveLabel(kIdYes, sources), "Yes");
    EXPECT_EQ(ResolveLabel(kCheckBoxLabelKey, sources, "Never again"), "Never again");
}

TEST(MessageBoxLabels, PatternsTakeOnlyTheirTwoValues) {
    EXPECT_EQ(FormatLabel("%s = %d", "OK", 5), "OK = 5");
    EXPECT_EQ(FormatLabel("%s (%d seconds remaining)", "Title", 3), "Title (3 seconds remaining)");
    // Patterns from string tables may be in another order, repeat or ask for more.
    EXPECT_EQ(FormatLabel("%d s: %s", "Title", 12), "12 s: Title");
    EXPECT_EQ(FormatLabel("%s%s %n%x %p", "a", 1), "aa  ");
    EXPECT_EQ(FormatLabel("100%% %-5s%03d", "x", 7), "100% x7");
    EXPECT_EQ(FormatLabel("ends in %", "x", 1), "ends in %");
    EXPECT_EQ(FormatLabel("50%)", "x", 1), "50%)");
}

}  // namespace
}  // namespace dbx
