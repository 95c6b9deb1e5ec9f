#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/window_rules.h"

namespace {

Rect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Rect rect;
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return rect;
}

// An ordinary application window of another process, which every case starts from; it notes which facts
// the rules asked for, in order.
class FakeFacts : public WindowFacts {
  public:
    bool exists = true;
    bool visible = true;
    bool minimized = false;
    bool ownProcess = false;
    bool clickThrough = false;
    bool fullyTransparent = false;
    bool rectKnown = true;
    Rect rect = MakeRect(100, 100, 900, 700);
    bool cloaked = false;
    std::wstring className = L"Notepad";
    std::vector<std::string> asked;

    bool Exists() override { return Ask("exists", exists); }
    bool Visible() override { return Ask("visible", visible); }
    bool Minimized() override { return Ask("minimized", minimized); }
    bool OwnedByThisProcess() override { return Ask("own process", ownProcess); }
    bool ClickThrough() override { return Ask("click-through", clickThrough); }
    bool FullyTransparent() override { return Ask("fully transparent", fullyTransparent); }
    bool WindowRect(Rect& out) override {
        out = rect;
        return Ask("rectangle", rectKnown);
    }
    bool Cloaked() override { return Ask("cloaked", cloaked); }
    std::wstring ClassName() override {
        asked.push_back("class");
        return className;
    }

  private:
    bool Ask(const char* fact, bool value) {
        asked.push_back(fact);
        return value;
    }
};

struct FactsCase {
    const char* name;
    void (*change)(FakeFacts& facts);
    bool capturable;
    // The last fact asked for: a refusal ends the questions, so nothing after it is queried.
    const char* lastAsked;
};

const FactsCase kFactsCases[] = {
    {"ordinary window", [](FakeFacts&) {}, true, "class"},
    {"gone", [](FakeFacts& f) { f.exists = false; }, false, "exists"},
    {"hidden", [](FakeFacts& f) { f.visible = false; }, false, "visible"},
    {"minimised", [](FakeFacts& f) { f.minimized = true; }, false, "minimized"},
    {"own process", [](FakeFacts& f) { f.ownProcess = true; }, false, "own process"},
    {"click-through layer", [](FakeFacts& f) { f.clickThrough = true; }, false, "click-through"},
    {"fully transparent layer", [](FakeFacts& f) { f.fullyTransparent = true; }, false, "fully transparent"},
    {"rectangle unknown", [](FakeFacts& f) { f.rectKnown = false; }, false, "rectangle"},
    {"19 wide", [](FakeFacts& f) { f.rect = MakeRect(10, 10, 29, 300); }, false, "rectangle"},
    {"19 high", [](FakeFacts& f) { f.rect = MakeRect(10, 10, 300, 29); }, false, "rectangle"},
    {"20 x 20", [](FakeFacts& f) { f.rect = MakeRect(10, 10, 30, 30); }, true, "class"},
    {"inverted", [](FakeFacts& f) { f.rect = MakeRect(300, 300, 10, 10); }, false, "rectangle"},
    {"left of the primary monitor", [](FakeFacts& f) { f.rect = MakeRect(-1800, -200, -1000, 400); }, true,
     "class"},
    {"straddling two monitors", [](FakeFacts& f) { f.rect = MakeRect(-20, -20, 0, 0); }, true, "class"},
    {"cloaked", [](FakeFacts& f) { f.cloaked = true; }, false, "cloaked"},
    {"desktop Progman", [](FakeFacts& f) { f.className = L"Progman"; }, false, "class"},
    {"desktop WorkerW", [](FakeFacts& f) { f.className = L"WorkerW"; }, false, "class"},
    {"taskbar", [](FakeFacts& f) { f.className = L"Shell_TrayWnd"; }, false, "class"},
    {"taskbar of another monitor", [](FakeFacts& f) { f.className = L"Shell_SecondaryTrayWnd"; }, false,
     "class"},
    {"other case of Progman", [](FakeFacts& f) { f.className = L"progman"; }, true, "class"},
    {"other case of Shell_TrayWnd", [](FakeFacts& f) { f.className = L"shell_traywnd"; }, true, "class"},
    {"longer name with a shell prefix", [](FakeFacts& f) { f.className = L"WorkerWindow"; }, true, "class"},
    {"empty class name", [](FakeFacts& f) { f.className = L""; }, true, "class"},
};

class WindowRulesFactsTest : public testing::TestWithParam<FactsCase> {};

} // namespace

TEST_P(WindowRulesFactsTest, DecidesFromTheFactsAndStopsAtTheFirstRefusal) {
    FakeFacts facts;
    GetParam().change(facts);
    EXPECT_EQ(GetParam().capturable, IsCapturableWindowFacts(facts));
    ASSERT_FALSE(facts.asked.empty());
    EXPECT_EQ(GetParam().lastAsked, facts.asked.back());
    // Each fact is asked for at most once.
    std::vector<std::string> sorted = facts.asked;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted.end(), std::adjacent_find(sorted.begin(), sorted.end()));
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowRulesFactsTest, testing::ValuesIn(kFactsCases),
                         [](const testing::TestParamInfo<FactsCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c) {
                                 const bool alnum = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ||
                                                    (*c >= '0' && *c <= '9');
                                 name += alnum ? *c : '_';
                             }
                             return name;
                         });

namespace {

struct AreaCase {
    const char* name;
    bool frameBoundsKnown;
    Rect frameBounds;
    bool windowRectKnown;
    Rect windowRect;
    Rect virtualScreen;
    WindowAreaResult result;
    Rect window;
    Rect clipped;
};

const Rect kScreen = MakeRect(0, 0, 1920, 1080);
// A second monitor left of the primary one.
const Rect kTwoScreens = MakeRect(-1280, 0, 1920, 1080);
const Rect kNone = Rect();

const AreaCase kAreaCases[] = {
    {"frame bounds preferred over the wider window rectangle", true, MakeRect(107, 100, 893, 693), true,
     MakeRect(100, 100, 900, 700), kScreen, WindowAreaResult::Ok, MakeRect(107, 100, 893, 693),
     MakeRect(107, 100, 893, 693)},
    {"window rectangle when the frame bounds are unknown", false, kNone, true, MakeRect(100, 100, 900, 700),
     kScreen, WindowAreaResult::Ok, MakeRect(100, 100, 900, 700), MakeRect(100, 100, 900, 700)},
    {"neither rectangle", false, kNone, false, kNone, kScreen, WindowAreaResult::NoRect, kNone, kNone},
    {"partly left of the screen", false, kNone, true, MakeRect(-100, 50, 300, 250), kScreen,
     WindowAreaResult::Ok, MakeRect(-100, 50, 300, 250), MakeRect(0, 50, 300, 250)},
    {"partly below and right of the screen", true, MakeRect(1800, 1000, 2100, 1300), false, kNone, kScreen,
     WindowAreaResult::Ok, MakeRect(1800, 1000, 2100, 1300), MakeRect(1800, 1000, 1920, 1080)},
    {"maximised on the left monitor", true, MakeRect(-1280, 0, 0, 1040), false, kNone, kTwoScreens,
     WindowAreaResult::Ok, MakeRect(-1280, 0, 0, 1040), MakeRect(-1280, 0, 0, 1040)},
    {"across both monitors", false, kNone, true, MakeRect(-200, 100, 200, 300), kTwoScreens,
     WindowAreaResult::Ok, MakeRect(-200, 100, 200, 300), MakeRect(-200, 100, 200, 300)},
    {"entirely off the screen", false, kNone, true, MakeRect(-500, 100, -100, 300), kScreen,
     WindowAreaResult::OffScreen, MakeRect(-500, 100, -100, 300), kNone},
    {"touching the screen edge only", true, MakeRect(1920, 0, 2200, 300), false, kNone, kScreen,
     WindowAreaResult::OffScreen, MakeRect(1920, 0, 2200, 300), kNone},
    {"frame bounds empty", true, MakeRect(300, 300, 300, 300), true, MakeRect(100, 100, 900, 700), kScreen,
     WindowAreaResult::OffScreen, MakeRect(300, 300, 300, 300), kNone},
};

class WindowAreaTest : public testing::TestWithParam<AreaCase> {};

std::string Show(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

} // namespace

TEST_P(WindowAreaTest, ChoosesAndClipsTheRectangle) {
    const AreaCase& c = GetParam();
    WindowAreaFacts facts;
    facts.frameBoundsKnown = c.frameBoundsKnown;
    facts.frameBounds = c.frameBounds;
    facts.windowRectKnown = c.windowRectKnown;
    facts.windowRect = c.windowRect;
    facts.virtualScreen = c.virtualScreen;
    const WindowArea area = PlanWindowArea(facts);
    EXPECT_EQ(static_cast<int>(c.result), static_cast<int>(area.result)) << c.name;
    EXPECT_EQ(Show(c.window), Show(area.window)) << c.name;
    EXPECT_EQ(Show(c.clipped), Show(area.clipped)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowAreaTest, testing::ValuesIn(kAreaCases));
