#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/markup_strip_layout.h"

namespace {

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

Point Centre(const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A 1920 x 1080 primary at 96 DPI whose taskbar takes the bottom 40 rows, and a 1280 x 1024 monitor at 144
// DPI left of it and 100 rows higher: a virtual screen from (-1280, -100), monitors of mixed DPI.
const MonitorArea kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96};
const MonitorArea kLeft{{-1280, -100, 0, 924}, {-1280, -100, 0, 924}, 144};
const Rect kLeftAndPrimary{-1280, -100, 1920, 1080};
// The primary with a 144-DPI monitor above it.
const MonitorArea kUpper{{0, -1080, 1920, 0}, {0, -1080, 1920, 0}, 144};
const Rect kUpperAndPrimary{0, -1080, 1920, 1080};

// The strip is 537 x 40 at 96 DPI and 807 x 60 at 144.
constexpr int kWidth96 = 537;
constexpr int kWidth144 = 807;

} // namespace

TEST(MarkupStripLayout, PlacementAtTheEdgesOfOneAndTwoMonitors) {
    struct Case {
        const char* name;
        Rect selection;
        std::vector<MonitorArea> monitors;
        Rect bounds;
        Rect strip;
        StripPlacement placement;
        int dpi;
    };
    const std::vector<Case> cases = {
        {"below, its right end at the selection's right edge",
         {600, 300, 1200, 700},
         {kPrimary},
         kPrimary.monitor,
         {1200 - kWidth96, 708, 1200, 748},
         StripPlacement::Below,
         96},
        {"no room above the taskbar: above the selection",
         {600, 300, 1200, 1000},
         {kPrimary},
         kPrimary.monitor,
         {1200 - kWidth96, 252, 1200, 292},
         StripPlacement::Above,
         96},
        {"just room below the taskbar",
         {600, 300, 1200, 992},
         {kPrimary},
         kPrimary.monitor,
         {1200 - kWidth96, 1000, 1200, 1040},
         StripPlacement::Below,
         96},
        {"room neither below nor above: inside the bottom edge",
         {600, 20, 1200, 1030},
         {kPrimary},
         kPrimary.monitor,
         {1200 - kWidth96, 982, 1200, 1022},
         StripPlacement::Inside,
         96},
        {"a selection narrower than the strip near the left edge: the strip stops at the work area",
         {100, 300, 400, 500},
         {kPrimary},
         kPrimary.monitor,
         {0, 508, kWidth96, 548},
         StripPlacement::Below,
         96},
        {"on the left monitor at 144 DPI, negative coordinates",
         {-1000, 200, -300, 600},
         {kPrimary, kLeft},
         kLeftAndPrimary,
         {-300 - kWidth144, 612, -300, 672},
         StripPlacement::Below,
         144},
        {"left monitor, no room below its bottom: above, still at its DPI",
         {-1000, 300, -300, 900},
         {kPrimary, kLeft},
         kLeftAndPrimary,
         {-300 - kWidth144, 228, -300, 288},
         StripPlacement::Above,
         144},
        {"a selection across both monitors: on the one holding the bottom edge's right end, inside its work "
         "area",
         {-500, 200, 300, 600},
         {kLeft, kPrimary},
         kLeftAndPrimary,
         {0, 608, kWidth96, 648},
         StripPlacement::Below,
         96},
        {"a selection ending at the left monitor's right edge: on the left monitor",
         {-900, 200, 0, 600},
         {kPrimary, kLeft},
         kLeftAndPrimary,
         {-kWidth144, 612, 0, 672},
         StripPlacement::Below,
         144},
        {"no room below on the primary: above, on the upper monitor at its DPI",
         {500, -200, 1500, 1070},
         {kPrimary, kUpper},
         kUpperAndPrimary,
         {1500 - kWidth144, -272, 1500, -212},
         StripPlacement::Above,
         144},
        {"no monitors known: the virtual screen counts as one, and the strip stays on it",
         {0, 0, 800, 600},
         {},
         {0, 0, 800, 600},
         {800 - kWidth96, 552, 800, 592},
         StripPlacement::Inside,
         96},
        {"a monitor narrower than the strip: from its left edge",
         {10, 10, 390, 100},
         {{{0, 0, 400, 300}, {0, 0, 400, 300}, 96}},
         {0, 0, 400, 300},
         {0, 108, kWidth96, 148},
         StripPlacement::Below,
         96},
    };
    for (const Case& c : cases) {
        const StripLayout layout = PlaceStrip(c.selection, c.monitors, c.bounds);
        EXPECT_EQ(Text(c.strip), Text(layout.strip)) << c.name;
        EXPECT_EQ(static_cast<int>(c.placement), static_cast<int>(layout.placement)) << c.name;
        EXPECT_EQ(c.dpi, layout.dpi) << c.name;
    }
}

TEST(MarkupStripLayout, ButtonsInTheirGroupsScaledForTheDpi) {
    for (const MonitorArea& monitor : {kPrimary, kLeft}) {
        SCOPED_TRACE(monitor.dpi);
        const Rect selection{monitor.work.right - 20, monitor.work.top + 10, monitor.work.right - 10,
                             monitor.work.top + 20};
        const StripLayout layout = PlaceStrip(selection, {monitor}, monitor.monitor);
        const int pad = monitor.dpi == 96 ? 4 : 6;
        const int side = monitor.dpi == 96 ? 32 : 48;
        const int gap = monitor.dpi == 96 ? 2 : 3;
        const int separator = monitor.dpi == 96 ? 9 : 14;
        const Rect& first = layout.buttons[0];
        EXPECT_EQ(layout.strip.left + pad, first.left);
        EXPECT_EQ(layout.strip.top + pad, first.top);
        EXPECT_EQ(side, first.right - first.left);
        EXPECT_EQ(side, first.bottom - first.top);
        // Mosaic ends the tools; Undo follows after a separator, whose line lies in its middle.
        const int mosaicRight = layout.strip.left + pad + 8 * side + 7 * gap;
        EXPECT_EQ(mosaicRight, layout.buttons[7].right);
        EXPECT_EQ(mosaicRight + separator, layout.buttons[8].left);
        EXPECT_EQ(mosaicRight + separator / 2, layout.separators[0]);
        EXPECT_EQ(layout.buttons[9].right + separator, layout.buttons[10].left);
        EXPECT_EQ(layout.buttons[11].right + separator, layout.buttons[12].left);
        EXPECT_EQ(layout.strip.right - pad, layout.buttons[14].right);
        EXPECT_EQ(layout.strip.bottom - pad, layout.buttons[14].bottom);
    }
}

TEST(MarkupStripLayout, HitTestFindsEachButtonAndNothingBetweenThem) {
    const StripLayout layout = PlaceStrip(Rect{600, 300, 1200, 700}, {kPrimary}, kPrimary.monitor);
    for (int i = 0; i < kStripButtonCount; ++i) {
        const Rect& b = layout.buttons[static_cast<size_t>(i)];
        EXPECT_EQ(i, StripButtonAt(layout, Centre(b))) << i;
        EXPECT_EQ(i, StripButtonAt(layout, Point{b.left, b.top})) << i;
        EXPECT_EQ(i, StripButtonAt(layout, Point{b.right - 1, b.bottom - 1})) << i;
    }
    // Between two buttons, on a separator and on the padding: the strip, but no button.
    const Point betweenButtons{layout.buttons[0].right, Centre(layout.buttons[0]).y};
    const Point onSeparator{layout.separators[1], Centre(layout.buttons[0]).y};
    const Point onPadding{layout.strip.left + 1, layout.strip.top + 1};
    for (const Point& p : {betweenButtons, onSeparator, onPadding}) {
        EXPECT_TRUE(StripContains(layout, p));
        EXPECT_EQ(kNoButton, StripButtonAt(layout, p));
    }
    EXPECT_FALSE(StripContains(layout, Point{layout.strip.right, layout.strip.top}));
    EXPECT_FALSE(StripContains(layout, Point{layout.strip.left, layout.strip.bottom}));
}

TEST(MarkupStripLayout, PopoutsAndTooltipsOpenBelowTheStripOrAboveWhereThereIsNoRoom) {
    struct Case {
        const char* name;
        Rect selection;
        bool below;
    };
    const Case cases[] = {
        {"room below", {600, 300, 1200, 700}, true},
        {"strip near the taskbar", {600, 300, 1200, 985}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StripLayout layout = PlaceStrip(c.selection, {kPrimary}, kPrimary.monitor);
        const PopoutLayout colours = PlacePopout(layout, Popout::Colour);
        ASSERT_EQ(8u, colours.items.size());
        EXPECT_EQ(228, colours.panel.right - colours.panel.left);
        EXPECT_EQ(32, colours.panel.bottom - colours.panel.top);
        EXPECT_EQ(layout.buttons[10].left, colours.panel.left);
        if (c.below) {
            EXPECT_EQ(layout.strip.bottom + 4, colours.panel.top);
        } else {
            EXPECT_EQ(layout.strip.top - 4, colours.panel.bottom);
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(i, PopoutItemAt(colours, Centre(colours.items[static_cast<size_t>(i)])));
        }
        EXPECT_EQ(-1, PopoutItemAt(colours, Point{colours.panel.left, colours.panel.top}));

        const PopoutLayout widths = PlacePopout(layout, Popout::Width);
        ASSERT_EQ(3u, widths.items.size());
        EXPECT_EQ(layout.buttons[11].left, widths.panel.left);
        EXPECT_EQ(2, PopoutItemAt(widths, Centre(widths.items[2])));
        EXPECT_TRUE(PlacePopout(layout, Popout::None).items.empty());

        // A 60 x 14 text: 16 and 8 pixels of padding, centred on its button.
        const Rect tip = PlaceTooltip(layout, 3, 60, 14);
        EXPECT_EQ(76, tip.right - tip.left);
        EXPECT_EQ(22, tip.bottom - tip.top);
        EXPECT_EQ(Centre(layout.buttons[3]).x, (tip.left + tip.right) / 2);
        EXPECT_EQ(c.below ? layout.strip.bottom + 4 : layout.strip.top - 26, tip.top);
    }
}

TEST(MarkupStripLayout, PopoutsAndTooltipsStayInsideTheWorkArea) {
    // A strip at the right edge of the left monitor: the width pop-out and the Save tooltip would reach
    // past it onto the primary.
    const StripLayout layout = PlaceStrip(Rect{-900, 200, -2, 600}, {kPrimary, kLeft}, kLeftAndPrimary);
    const PopoutLayout widths = PlacePopout(layout, Popout::Width);
    EXPECT_LE(widths.panel.right, kLeft.work.right);
    const Rect tip = PlaceTooltip(layout, 14, 300, 20);
    EXPECT_EQ(kLeft.work.right, tip.right);
    EXPECT_EQ(Text(Rect()), Text(PlaceTooltip(layout, 15, 10, 10)));
}

TEST(MarkupStripLayout, MonitorAtTakesTheNearestMonitorForAPointInAGap) {
    const std::vector<MonitorArea> monitors = {kPrimary, kLeft};
    EXPECT_EQ(144, MonitorAt(monitors, Point{-10, 10}, kLeftAndPrimary).dpi);
    EXPECT_EQ(96, MonitorAt(monitors, Point{0, 10}, kLeftAndPrimary).dpi);
    // Below the left monitor, which ends at 924: its nearest is still the left one.
    EXPECT_EQ(144, MonitorAt(monitors, Point{-600, 1000}, kLeftAndPrimary).dpi);
    const MonitorArea none = MonitorAt({}, Point{5, 5}, Rect{0, 0, 10, 10});
    EXPECT_EQ(96, none.dpi);
    EXPECT_EQ(Text(Rect{0, 0, 10, 10}), Text(none.work));
}

TEST(MarkupStripLayout, EveryButtonsTooltipNamesItAndItsKeyInEveryLanguage) {
    struct Case {
        StripButton button;
        const wchar_t* key; // in every language
        const wchar_t* english;
        const wchar_t* simplified;
    };
    const Case cases[] = {
        {StripButton::Rectangle, L"(R)", L"Rectangle (R)", L"矩形 (R)"},
        {StripButton::Ellipse, L"(E)", L"Ellipse (E)", L"椭圆 (E)"},
        {StripButton::Arrow, L"(A)", L"Arrow (A)", L"箭头 (A)"},
        {StripButton::Pen, L"(P)", L"Pen (P)", L"画笔 (P)"},
        {StripButton::Highlighter, L"(H)", L"Highlighter (H)", L"荧光笔 (H)"},
        {StripButton::Text, L"(T)", L"Text (T)", L"文字 (T)"},
        {StripButton::Step, L"(N)", L"Step number (N)", L"序号 (N)"},
        {StripButton::Mosaic, L"(M)", L"Mosaic (M)", L"马赛克 (M)"},
        {StripButton::Undo, L"(Ctrl+Z)", L"Undo (Ctrl+Z)", L"撤销 (Ctrl+Z)"},
        {StripButton::Redo, L"(Ctrl+Y)", L"Redo (Ctrl+Y)", L"重做 (Ctrl+Y)"},
        {StripButton::Colour, L"", L"Colour", L"颜色"},
        {StripButton::Width, L"", L"Width (mouse wheel)", L"粗细（滚轮）"},
        {StripButton::Cancel, L"(Esc)", L"Cancel (Esc)", L"取消 (Esc)"},
        {StripButton::Copy, L"(Ctrl+C)", L"Copy (Ctrl+C)", L"复制 (Ctrl+C)"},
        {StripButton::Save, L"(Enter)", L"Save (Enter)", L"保存 (Enter)"},
    };
    for (const Case& c : cases) {
        const TextId id = StripButtonTooltip(static_cast<int32_t>(c.button));
        for (uint32_t language = 0; language < kLanguageCount; ++language) {
            SetUiLanguage(language);
            EXPECT_NE(std::wstring(GetText(id)).find(c.key), std::wstring::npos) << id << " " << language;
        }
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
        EXPECT_STREQ(c.english, GetText(id));
        SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese));
        EXPECT_STREQ(c.simplified, GetText(id));
    }
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::Japanese));
    EXPECT_STREQ(L"モザイク (M)", GetText(StripButtonTooltip(7)));
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::TraditionalChinese));
    EXPECT_STREQ(L"復原 (Ctrl+Z)", GetText(StripButtonTooltip(8)));
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese));
    EXPECT_EQ(kTextCount, StripButtonTooltip(kStripButtonCount));
    EXPECT_EQ(kTextCount, StripButtonTooltip(kNoButton));
}
