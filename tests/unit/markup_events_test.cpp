#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/markup_events.h"
#include "tests/support/test_support.h"

namespace {

constexpr uint32_t kEnter = 13;
constexpr uint32_t kEscape = 27;

// A 1920 x 1080 primary at 96 DPI (taskbar 40 rows) and a 1280 x 1024 monitor at 144 DPI on its left.
const MonitorArea kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96};
const MonitorArea kLeft{{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, 144};
const Rect kBounds{-1280, 0, 1920, 1080};
// The selection used throughout: its strip lies below it, from x = 663 to 1200.
const Rect kSelection{600, 300, 1200, 700};
const Point kInside{800, 450};
const Point kOutside{300, 200};

std::string Text(const Point& p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

std::string Text(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

Point Centre(const Rect& r) {
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The overlay's two models, driven the way the overlay window drives them.
struct Overlay {
    SelectionState selection;
    MarkupState markup;

    Overlay() {
        selection.bounds = kBounds;
        selection.hasSelection = true;
        selection.selection = kSelection;
        markup.monitors = {kPrimary, kLeft};
    }

    MarkupEffects Press(const Point& p, bool doubleClick = false) {
        return OnOverlayPress(selection, markup, p, doubleClick);
    }
    MarkupEffects Move(const Point& p, bool shift = false) {
        return OnOverlayMove(selection, markup, p, shift);
    }
    MarkupEffects Release(const Point& p, bool shift = false) {
        return OnOverlayRelease(selection, markup, p, shift);
    }
    MarkupEffects Key(uint32_t vk, bool ctrl = false, bool shift = false, bool alt = false) {
        return OnOverlayKey(selection, markup, vk, KeyModifiers{shift, ctrl, alt});
    }
    MarkupEffects Drag(const Point& from, const Point& to, bool shift = false) {
        Press(from);
        Move(Point{(from.x + to.x) / 2, (from.y + to.y) / 2}, shift);
        Move(to, shift);
        return Release(to, shift);
    }
    // A double-click arrives as press, release, double-click, release.
    MarkupEffects DoubleClick(const Point& p) {
        Press(p);
        Release(p);
        const MarkupEffects effects = Press(p, true);
        Release(p);
        return effects;
    }
    MarkupEffects PressButton(StripButton button) {
        return Press(Centre(CurrentStrip(selection, markup).buttons[static_cast<size_t>(button)]));
    }
    const Mark& Last() const { return markup.history.marks[markup.history.live - 1]; }
};

} // namespace

TEST(MarkupEvents, ToolKeysPickAndDropAToolOnceASelectionShows) {
    struct Case {
        const char* name;
        std::vector<uint32_t> keys;
        bool ctrl;
        bool alt;
        bool selected;
        Tool tool;
    };
    const Case cases[] = {
        {"R picks the rectangle", {'R'}, false, false, true, Tool::Rectangle},
        {"the same key again drops it", {'R', 'R'}, false, false, true, Tool::None},
        {"another key picks another tool", {'R', 'M'}, false, false, true, Tool::Mosaic},
        {"E", {'E'}, false, false, true, Tool::Ellipse},
        {"A", {'A'}, false, false, true, Tool::Arrow},
        {"P", {'P'}, false, false, true, Tool::Pen},
        {"H", {'H'}, false, false, true, Tool::Highlighter},
        {"T", {'T'}, false, false, true, Tool::Text},
        {"N", {'N'}, false, false, true, Tool::Step},
        {"a key that is no tool's", {'Q'}, false, false, true, Tool::None},
        {"no selection: no strip, no tool", {'R'}, false, false, false, Tool::None},
        {"with Alt (a system key)", {'R'}, false, true, true, Tool::None},
        {"with Ctrl", {'R'}, true, false, true, Tool::None},
    };
    for (const Case& c : cases) {
        Overlay overlay;
        overlay.selection.hasSelection = c.selected;
        for (uint32_t key : c.keys) {
            const MarkupEffects effects = overlay.Key(key, c.ctrl, false, c.alt);
            EXPECT_EQ(OverlayFinish::None, effects.finish) << c.name;
        }
        EXPECT_EQ(static_cast<int>(c.tool), static_cast<int>(overlay.markup.tool)) << c.name;
    }
}

TEST(MarkupEvents, ShapesAreDrawnFromPressToReleaseWithTheirShiftConstraints) {
    struct Case {
        const char* name;
        Tool tool;
        Point from;
        Point to;
        bool shift;
        Point expectedTo;
        int size;
    };
    const Case cases[] = {
        {"rectangle", Tool::Rectangle, {700, 400}, {760, 420}, false, {760, 420}, 4},
        {"square", Tool::Rectangle, {700, 400}, {760, 420}, true, {760, 460}, 4},
        {"circle up and left", Tool::Ellipse, {900, 500}, {850, 480}, true, {850, 450}, 4},
        {"arrow", Tool::Arrow, {700, 400}, {800, 430}, false, {800, 430}, 4},
        {"arrow at 45 degrees", Tool::Arrow, {700, 400}, {800, 460}, true, {780, 480}, 4},
        {"mosaic", Tool::Mosaic, {700, 400}, {900, 500}, false, {900, 500}, 16},
    };
    for (const Case& c : cases) {
        Overlay overlay;
        overlay.markup.tool = c.tool;
        const MarkupEffects press = overlay.Press(c.from);
        EXPECT_TRUE(press.captureMouse) << c.name;
        EXPECT_TRUE(overlay.markup.drawing) << c.name;
        const MarkupEffects release = overlay.Drag(c.from, c.to, c.shift);
        EXPECT_TRUE(release.releaseMouse) << c.name;
        EXPECT_TRUE(release.marksChanged) << c.name;
        ASSERT_EQ(1u, overlay.markup.history.live) << c.name;
        const Mark& mark = overlay.Last();
        EXPECT_EQ(static_cast<int>(c.tool), static_cast<int>(mark.kind)) << c.name;
        EXPECT_EQ(Text(c.from), Text(mark.from)) << c.name;
        EXPECT_EQ(Text(c.expectedTo), Text(mark.to)) << c.name;
        EXPECT_EQ(c.size, mark.size) << c.name;
        EXPECT_EQ(Text(kSelection), Text(overlay.selection.selection)) << c.name;
    }
}

TEST(MarkupEvents, MarksTakeTheColourWidthAndDpiOfWhereTheyAreDrawn) {
    Overlay overlay;
    overlay.selection.selection = Rect{-900, 200, 300, 600}; // across both monitors
    overlay.markup.tool = Tool::Pen;
    overlay.markup.colour = 4;
    overlay.markup.widthLevel = 2;
    overlay.Drag(Point{-500, 300}, Point{-400, 350});
    overlay.Drag(Point{100, 300}, Point{200, 350});
    ASSERT_EQ(2u, overlay.markup.history.live);
    EXPECT_EQ(12, overlay.markup.history.marks[0].size) << "thick at 144 DPI";
    EXPECT_EQ(8, overlay.markup.history.marks[1].size) << "thick at 96 DPI";
    EXPECT_EQ(4, overlay.markup.history.marks[1].colour);
    EXPECT_EQ(3u, overlay.markup.history.marks[1].points.size()) << "press, the move between, release";
}

TEST(MarkupEvents, AClickWithAShapeLeavesNoMarkButAPenClickLeavesADot) {
    for (Tool tool : {Tool::Rectangle, Tool::Ellipse, Tool::Arrow, Tool::Mosaic}) {
        Overlay overlay;
        overlay.markup.tool = tool;
        overlay.Press(kInside);
        const MarkupEffects effects = overlay.Release(Point{kInside.x + 1, kInside.y + 1});
        EXPECT_FALSE(effects.marksChanged);
        EXPECT_TRUE(effects.releaseMouse);
        EXPECT_EQ(0u, overlay.markup.history.live) << static_cast<int>(tool);
    }
    Overlay pen;
    pen.markup.tool = Tool::Pen;
    pen.Press(kInside);
    pen.Release(kInside);
    ASSERT_EQ(1u, pen.markup.history.live);
    EXPECT_EQ(1u, pen.Last().points.size());
}

TEST(MarkupEvents, APressAwayFromTheSelectionStartsANewOneOnlyWhileThereAreNoMarks) {
    struct Case {
        const char* name;
        Tool tool;
        bool marks;
        Point press;
        bool newSelection;
        DragKind kind;
    };
    const Case cases[] = {
        {"no tool, no marks", Tool::None, false, kOutside, true, DragKind::NewRect},
        {"a tool, no marks", Tool::Arrow, false, kOutside, true, DragKind::NewRect},
        {"marks: a stray click is ignored", Tool::None, true, kOutside, false, DragKind::None},
        {"marks and a tool: ignored too", Tool::Arrow, true, kOutside, false, DragKind::None},
        {"a tool: the grab band still resizes", Tool::Arrow, true, {1203, 450}, false, DragKind::RightEdge},
        {"a tool: the corner band too", Tool::Pen, false, {598, 302}, false, DragKind::TopLeft},
    };
    for (const Case& c : cases) {
        Overlay overlay;
        if (c.marks) {
            overlay.markup.tool = Tool::Rectangle;
            overlay.Drag(Point{700, 400}, Point{750, 450});
            ASSERT_EQ(1u, overlay.markup.history.live);
        }
        overlay.markup.tool = c.tool;
        overlay.Press(c.press);
        EXPECT_EQ(static_cast<int>(c.kind), static_cast<int>(overlay.selection.dragKind)) << c.name;
        EXPECT_EQ(c.newSelection, !overlay.selection.hasSelection) << c.name;
        EXPECT_FALSE(overlay.markup.drawing) << c.name;
        overlay.Release(c.press);
        if (c.kind == DragKind::None) {
            EXPECT_EQ(Text(kSelection), Text(overlay.selection.selection)) << c.name;
        }
    }
}

TEST(MarkupEvents, TheRightButtonDropsAToolAndCancelsOnlyWithoutOne) {
    Overlay overlay;
    overlay.markup.tool = Tool::Ellipse;
    overlay.Press(kInside);
    overlay.Move(Point{900, 500});
    MarkupEffects effects = OnOverlayRightPress(overlay.selection, overlay.markup);
    EXPECT_EQ(OverlayFinish::None, effects.finish);
    EXPECT_TRUE(effects.releaseMouse) << "the mark being drawn is dropped with the tool";
    EXPECT_EQ(Tool::None, overlay.markup.tool);
    EXPECT_FALSE(overlay.markup.drawing);
    EXPECT_EQ(0u, overlay.markup.history.live);
    effects = OnOverlayRightPress(overlay.selection, overlay.markup);
    EXPECT_EQ(OverlayFinish::Cancel, effects.finish);
}

TEST(MarkupEvents, TheTextBoxTakesTheKeysAndEndsKeepingItsText) {
    Overlay overlay;
    overlay.Key('T');
    MarkupEffects effects = overlay.Press(kInside);
    EXPECT_TRUE(effects.openTextBox);
    EXPECT_TRUE(overlay.markup.textOpen);
    EXPECT_EQ(Text(kInside), Text(overlay.markup.pending.from));
    EXPECT_EQ(24, overlay.markup.pending.size);
    // Keys belong to the box: no tool is picked, Enter (a new line) does not confirm, Esc does not cancel.
    EXPECT_EQ(OverlayFinish::None, overlay.Key('R').finish);
    EXPECT_EQ(Tool::Text, overlay.markup.tool);
    EXPECT_EQ(OverlayFinish::None, overlay.Key(kEnter).finish);
    SetTextDraft(overlay.markup, L"Hello\r\n你好");
    effects = overlay.Key(kEscape);
    EXPECT_EQ(OverlayFinish::None, effects.finish);
    EXPECT_TRUE(effects.closeTextBox);
    EXPECT_TRUE(effects.marksChanged);
    EXPECT_FALSE(overlay.markup.textOpen);
    ASSERT_EQ(1u, overlay.markup.history.live);
    EXPECT_EQ(L"Hello\r\n你好", overlay.Last().text);

    // A click elsewhere commits; a box of spaces and line breaks leaves nothing.
    struct Case {
        const char* name;
        std::wstring text;
        size_t live;
    };
    const Case cases[] = {{"text", L"x", 2}, {"empty", L"", 1}, {"only white space", L" \r\n\t", 1}};
    for (const Case& c : cases) {
        Overlay box = overlay;
        box.Press(kInside);
        ASSERT_TRUE(box.markup.textOpen) << c.name;
        SetTextDraft(box.markup, c.text);
        effects = box.Press(Point{1000, 600});
        EXPECT_TRUE(effects.closeTextBox) << c.name;
        EXPECT_FALSE(effects.openTextBox) << "the click that ends a box opens no other " << c.name;
        EXPECT_EQ(c.live, box.markup.history.live) << c.name;
    }
}

TEST(MarkupEvents, PickingAnotherToolOrUsingTheStripEndsTheTextBox) {
    Overlay overlay;
    overlay.markup.tool = Tool::Text;
    overlay.Press(kInside);
    SetTextDraft(overlay.markup, std::wstring(1500, L'x'));
    EXPECT_EQ(1000u, overlay.markup.pending.text.size()) << "at most 1,000 characters a box";
    const MarkupEffects effects = overlay.PressButton(StripButton::Arrow);
    EXPECT_TRUE(effects.closeTextBox);
    EXPECT_EQ(Tool::Arrow, overlay.markup.tool);
    ASSERT_EQ(1u, overlay.markup.history.live);

    // The strip's Save with a box open: the text is kept and the selection confirmed.
    overlay.markup.tool = Tool::Text;
    overlay.Press(kInside);
    SetTextDraft(overlay.markup, L"ok");
    const MarkupEffects saved = overlay.PressButton(StripButton::Save);
    EXPECT_EQ(OverlayFinish::Confirm, saved.finish);
    EXPECT_EQ(2u, overlay.markup.history.live);
}

TEST(MarkupEvents, StepsCountOnFromOneAndContinueAfterTheHighestLeft) {
    Overlay overlay;
    overlay.Key('N');
    overlay.Press(Point{700, 400});
    overlay.Release(Point{700, 400});
    // The second click of a quick pair arrives as a double-click: it places the next step, not a
    // confirmation.
    const MarkupEffects second = overlay.Press(Point{800, 400}, true);
    overlay.Release(Point{800, 400});
    EXPECT_EQ(OverlayFinish::None, second.finish);
    EXPECT_TRUE(second.marksChanged);
    ASSERT_EQ(2u, overlay.markup.history.live);
    EXPECT_EQ(1, overlay.markup.history.marks[0].step);
    EXPECT_EQ(2, overlay.markup.history.marks[1].step);
    EXPECT_EQ(Text(Point{800, 400}), Text(overlay.markup.history.marks[1].from));

    overlay.Key('Z', true);
    overlay.Press(Point{900, 400});
    EXPECT_EQ(2, overlay.Last().step) << "after an undo: one more than the highest step left";
    overlay.Key('Z', true);
    overlay.Key('Z', true);
    overlay.Press(Point{900, 500});
    EXPECT_EQ(1, overlay.Last().step);
}

TEST(MarkupEvents, UndoAndRedoByKeysAndButtons) {
    Overlay overlay;
    overlay.markup.tool = Tool::Rectangle;
    overlay.Drag(Point{700, 400}, Point{750, 450});
    overlay.Drag(Point{800, 400}, Point{850, 450});
    struct Step {
        const char* name;
        uint32_t key; // 0: the strip button below
        bool ctrl;
        bool shift;
        StripButton button;
        size_t live;
    };
    const Step steps[] = {
        {"Ctrl+Z", 'Z', true, false, StripButton::Undo, 1},
        {"Undo button", 0, false, false, StripButton::Undo, 0},
        {"Undo with nothing left", 'Z', true, false, StripButton::Undo, 0},
        {"Ctrl+Y", 'Y', true, false, StripButton::Redo, 1},
        {"Ctrl+Shift+Z", 'Z', true, true, StripButton::Redo, 2},
        {"Redo with nothing undone", 0, false, false, StripButton::Redo, 2},
        {"Undo button again", 0, false, false, StripButton::Undo, 1},
        {"Redo button", 0, false, false, StripButton::Redo, 2},
    };
    for (const Step& s : steps) {
        const size_t before = overlay.markup.history.live;
        const MarkupEffects effects =
            s.key != 0 ? overlay.Key(s.key, s.ctrl, s.shift) : overlay.PressButton(s.button);
        EXPECT_EQ(s.live, overlay.markup.history.live) << s.name;
        EXPECT_EQ(before != s.live, effects.marksChanged) << s.name;
    }
    // A new mark drops what waited for a redo.
    overlay.Key('Z', true);
    overlay.Drag(Point{700, 500}, Point{750, 550});
    EXPECT_FALSE(overlay.Key('Y', true).marksChanged);
    EXPECT_EQ(2u, overlay.markup.history.live);
}

TEST(MarkupEvents, SaveCopyAndCancelEndTheOverlayFromTheStripAndCtrlC) {
    struct Case {
        const char* name;
        StripButton button;
        bool ctrlC;
        Rect selection;
        OverlayFinish finish;
        bool copy;
    };
    const Case cases[] = {
        {"Save", StripButton::Save, false, kSelection, OverlayFinish::Confirm, false},
        {"Copy", StripButton::Copy, false, kSelection, OverlayFinish::Confirm, true},
        {"Ctrl+C", StripButton::Copy, true, kSelection, OverlayFinish::Confirm, true},
        {"Cancel", StripButton::Cancel, false, kSelection, OverlayFinish::Cancel, false},
        {"Save on a selection too small to confirm",
         StripButton::Save,
         false,
         {600, 300, 603, 700},
         OverlayFinish::None,
         false},
        {"Ctrl+C on it", StripButton::Copy, true, {600, 300, 603, 700}, OverlayFinish::None, false},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        Overlay overlay;
        overlay.selection.selection = c.selection;
        const MarkupEffects effects = c.ctrlC ? overlay.Key('C', true) : overlay.PressButton(c.button);
        EXPECT_EQ(static_cast<int>(c.finish), static_cast<int>(effects.finish)) << c.name;
        EXPECT_EQ(c.copy, effects.copy) << c.name;
        if (c.finish == OverlayFinish::Confirm) {
            EXPECT_EQ(1, log.Count(c.copy ? L"[INFO] 复制并确认选区 rect=(600,300,1200,700)"
                                          : L"[INFO] 工具条确认选区 rect=(600,300,1200,700)"))
                << c.name;
        }
    }
}

TEST(MarkupEvents, ADoubleClickConfirmsInsideTheSelectionWithoutATool) {
    struct Case {
        const char* name;
        Tool tool;
        bool marks;
        Point at;
        OverlayFinish finish;
    };
    const Case cases[] = {
        {"no tool, inside", Tool::None, false, kInside, OverlayFinish::Confirm},
        {"no tool, inside, with marks", Tool::None, true, kInside, OverlayFinish::Confirm},
        {"a tool, inside: two presses of the tool", Tool::Rectangle, false, kInside, OverlayFinish::None},
        {"with marks, outside: nothing", Tool::None, true, kOutside, OverlayFinish::None},
    };
    for (const Case& c : cases) {
        Overlay overlay;
        if (c.marks) {
            overlay.markup.tool = Tool::Step;
            overlay.Press(Point{1000, 600});
            overlay.Release(Point{1000, 600});
        }
        overlay.markup.tool = c.tool;
        EXPECT_EQ(static_cast<int>(c.finish), static_cast<int>(overlay.DoubleClick(c.at).finish)) << c.name;
    }
}

TEST(MarkupEvents, ThePopoutsPickAColourAndAWidthAndTheWheelStepsTheWidth) {
    Overlay overlay;
    overlay.PressButton(StripButton::Colour);
    ASSERT_EQ(Popout::Colour, overlay.markup.popout);
    const StripLayout strip = CurrentStrip(overlay.selection, overlay.markup);
    const PopoutLayout colours = PlacePopout(strip, Popout::Colour);
    overlay.Move(Centre(colours.items[2]));
    EXPECT_EQ(2, overlay.markup.hoveredItem);
    overlay.Press(Centre(colours.items[2]));
    EXPECT_EQ(2, overlay.markup.colour);
    EXPECT_EQ(Popout::None, overlay.markup.popout);

    // A press elsewhere closes it and does nothing else: no new selection, no colour.
    overlay.PressButton(StripButton::Colour);
    overlay.Press(kOutside);
    EXPECT_EQ(Popout::None, overlay.markup.popout);
    EXPECT_EQ(2, overlay.markup.colour);
    EXPECT_TRUE(overlay.selection.hasSelection);
    EXPECT_FALSE(overlay.selection.dragging);

    overlay.PressButton(StripButton::Width);
    overlay.PressButton(StripButton::Width); // the button again closes it
    EXPECT_EQ(Popout::None, overlay.markup.popout);
    overlay.PressButton(StripButton::Width);
    overlay.Press(Centre(PlacePopout(strip, Popout::Width).items[0]));
    EXPECT_EQ(0, overlay.markup.widthLevel);

    const int steps[] = {-120, 120, 120, 120, -120};
    const int levels[] = {0, 1, 2, 2, 1};
    for (size_t i = 0; i < 5; ++i) {
        OnOverlayWheel(overlay.selection, overlay.markup, steps[i]);
        EXPECT_EQ(levels[i], overlay.markup.widthLevel) << i;
    }
    overlay.selection.dragging = true;
    OnOverlayWheel(overlay.selection, overlay.markup, 120);
    EXPECT_EQ(1, overlay.markup.widthLevel) << "no strip, no width change";
}

TEST(MarkupEvents, EnterKeepsAMarkStillBeingDrawnAndConfirms) {
    Overlay overlay;
    overlay.markup.tool = Tool::Arrow;
    overlay.Press(Point{700, 400});
    overlay.Move(Point{900, 420});
    const MarkupEffects effects = overlay.Key(kEnter);
    EXPECT_EQ(OverlayFinish::Confirm, effects.finish);
    EXPECT_TRUE(effects.marksChanged);
    EXPECT_TRUE(effects.releaseMouse);
    ASSERT_EQ(1u, overlay.markup.history.live);
    EXPECT_EQ(Text(Point{900, 420}), Text(overlay.Last().to));
}

TEST(MarkupEvents, TheStripHidesWhileTheSelectionIsDrawnOrResized) {
    Overlay overlay;
    EXPECT_TRUE(StripShown(overlay.selection, overlay.markup));
    const StripLayout strip = CurrentStrip(overlay.selection, overlay.markup);
    overlay.Press(Point{1200, 450}); // the right edge's band
    EXPECT_FALSE(StripShown(overlay.selection, overlay.markup));
    overlay.Move(Point{1300, 450});
    overlay.Release(Point{1300, 450});
    EXPECT_TRUE(StripShown(overlay.selection, overlay.markup));
    EXPECT_EQ(strip.strip.right + 100, CurrentStrip(overlay.selection, overlay.markup).strip.right);
    overlay.selection.finished = true;
    EXPECT_FALSE(StripShown(overlay.selection, overlay.markup));
}

TEST(MarkupEvents, TheCursorFollowsWhatAPressWouldDo) {
    struct Case {
        const char* name;
        Tool tool;
        Point pointer;
        OverlayCursor cursor;
    };
    const Case cases[] = {
        {"over the strip", Tool::None, {1000, 720}, OverlayCursor::Arrow},
        {"inside, no tool", Tool::None, kInside, OverlayCursor::Cross},
        {"inside, a shape", Tool::Rectangle, kInside, OverlayCursor::Cross},
        {"inside, text", Tool::Text, kInside, OverlayCursor::IBeam},
        {"on the right band with a tool", Tool::Text, {1201, 450}, OverlayCursor::SizeWE},
        {"outside with a tool", Tool::Text, kOutside, OverlayCursor::Cross},
    };
    for (const Case& c : cases) {
        Overlay overlay;
        overlay.markup.tool = c.tool;
        overlay.Move(c.pointer);
        EXPECT_EQ(static_cast<int>(c.cursor),
                  static_cast<int>(PointerCursor(overlay.selection, overlay.markup)))
            << c.name;
    }
}

TEST(MarkupEvents, TheLogNamesTheMarksMadeByKind) {
    Overlay overlay;
    overlay.markup.tool = Tool::Rectangle;
    overlay.Drag(Point{700, 400}, Point{750, 450});
    overlay.Drag(Point{800, 400}, Point{850, 450});
    overlay.markup.tool = Tool::Step;
    overlay.Press(Point{900, 500});
    overlay.markup.tool = Tool::Mosaic;
    overlay.Drag(Point{700, 500}, Point{800, 600});
    overlay.Key('Z', true);
    CapturedLog log;
    LogMarksMade(overlay.markup.history);
    EXPECT_EQ(1, log.Count(L"[INFO] 标注 count=3 rect=2 ellipse=0 arrow=0 pen=0 highlight=0 text=0 step=1 "
                           L"mosaic=0"));
    log.Clear();
    LogMarksMade(MarkupHistory());
    EXPECT_TRUE(log.Lines().empty());
}
