// Hot areas of links, hover notifications, the hover rule and clicks.
#include <tuple>

#include "render_fixture.h"
#include "shell.h"

namespace dbx::testing {
namespace {

struct Recorder : MarkupNotifyTarget {
    std::vector<std::tuple<unsigned, int, std::intptr_t>> hovers;
    std::vector<std::tuple<unsigned, std::string, std::intptr_t>> messages;
    void OnLinkHover(unsigned message, int link, std::intptr_t parameter) override {
        hovers.emplace_back(message, link, parameter);
    }
    void OnLinkMessage(unsigned message, const std::string& target,
                       std::intptr_t parameter) override {
        messages.emplace_back(message, target, parameter);
    }
};

struct RecordingShell : Shell {
    std::vector<QString>* opened;
    explicit RecordingShell(std::vector<QString>* log) : opened(log) {}
    bool Open(const QString& target) override {
        opened->push_back(target);
        return true;
    }
    bool Start(const QString&, const QStringList&, const QString&) override { return true; }
};

class RendererLinks : public RenderFixture {
  protected:
    const std::string text = "x <a href=\"http://a.example/\">first</a> y <a msg=note>second</a>";
    Recorder recorder;
    QSize size;

    void SetUp() override {
        size = Measure(text);
        Draw(size);
        renderer.SetNotifyTarget(&recorder, 0x8064, 7);
        renderer.SetLinkMessageTarget(&recorder, 0x8065, 9);
    }
    QPoint Inside(std::size_t area) const {
        const Rect& r = Areas().at(area).rect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_F(RendererLinks, EachDrawnLinkPieceHasAHotArea) {
    ASSERT_EQ(Areas().size(), 2u);
    EXPECT_EQ(Areas()[0].number, 0);
    EXPECT_EQ(Areas()[0].kind, markup::LinkKind::Hyperlink);
    EXPECT_EQ(Areas()[0].target, "http://a.example/");
    EXPECT_EQ(Areas()[0].rect.left, Width("x "));
    EXPECT_EQ(Areas()[0].rect.Width(), Width("first"));
    EXPECT_EQ(Areas()[1].number, 1);
    EXPECT_EQ(Areas()[1].kind, markup::LinkKind::Message);
    Draw(size);  // rebuilt, not added to
    EXPECT_EQ(Areas().size(), 2u);
    // A link without a target kind is no link.
    Draw(Measure("<a>plain</a>"));
    EXPECT_TRUE(Areas().empty());
}

TEST_F(RendererLinks, HoverIsReportedOnEnteringAndWithMinusTwoOnLeaving) {
    EXPECT_FALSE(renderer.HitTest({1, 1}));
    EXPECT_TRUE(recorder.hovers.empty());
    EXPECT_TRUE(renderer.HitTest(Inside(0)));
    EXPECT_TRUE(renderer.HitTest(Inside(0) + QPoint(1, 0)));
    EXPECT_TRUE(renderer.HitTest(Inside(1)));
    EXPECT_FALSE(renderer.HitTest({1, 1}));
    EXPECT_FALSE(renderer.HitTest({2, 1}));
    using H = std::tuple<unsigned, int, std::intptr_t>;
    EXPECT_EQ(recorder.hovers, (std::vector<H>{{0x8064, 0, 7}, {0x8064, 1, 7}, {0x8064, -2, 7}}));
    // Edges belong to the area.
    const Rect& r = Areas()[0].rect;
    EXPECT_TRUE(renderer.HitTest({r.right, r.bottom}));
}

TEST_F(RendererLinks, WithoutAHandCursorNoLinkIsReportedButHoverStillIs) {
    renderer.SetHandCursor(std::nullopt);
    EXPECT_FALSE(renderer.HitTest(Inside(0)));
    EXPECT_EQ(recorder.hovers.size(), 1u);
}

TEST_F(RendererLinks, TheHoveredLinkIsDrawnWithTheHoverRule) {
    const QImage before = Draw(size);
    renderer.HitTest(Inside(0));
    const QImage after = Draw(size);
    const Rect first = Areas()[0].rect;
    const Rect second = Areas()[1].rect;
    // "a:hover" underlines; the other link and the plain text stay as they were.
    EXPECT_NE(before.copy(first.ToQRect()), after.copy(first.ToQRect()));
    EXPECT_EQ(before.copy(second.ToQRect()), after.copy(second.ToQRect()));
    EXPECT_EQ(before.copy(0, 0, first.left, size.height()),
              after.copy(0, 0, first.left, size.height()));
}

TEST_F(RendererLinks, ClicksOpenHyperlinksAndSendMessageLinks) {
    std::vector<QString> opened;
    auto previous = Shell::Install(std::make_unique<RecordingShell>(&opened));
    renderer.Click(Inside(0));
    renderer.Click(Inside(1));
    renderer.Click({1, 1});
    Shell::Install(std::move(previous));
    EXPECT_EQ(opened, (std::vector<QString>{"http://a.example/"}));
    using M = std::tuple<unsigned, std::string, std::intptr_t>;
    EXPECT_EQ(recorder.messages, (std::vector<M>{{0x8065, "note", 9}}));
}

TEST_F(RendererLinks, ALinkWithAnEmptyTargetIsHoveredButNotFollowed) {
    Draw(Measure("<a href=\"\">empty</a>"));
    ASSERT_EQ(Areas().size(), 1u);
    std::vector<QString> opened;
    auto previous = Shell::Install(std::make_unique<RecordingShell>(&opened));
    EXPECT_FALSE(renderer.HitTest(Inside(0)));
    renderer.Click(Inside(0));
    Shell::Install(std::move(previous));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(recorder.hovers.size(), 1u);
}

}  // namespace
}  // namespace dbx::testing
