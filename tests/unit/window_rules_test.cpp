#include <gtest/gtest.h>

#include <string>

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

// An ordinary application window of another process, which every test starts from.
WindowFacts CapturableFacts() {
    WindowFacts facts;
    facts.exists = true;
    facts.visible = true;
    facts.className = L"Notepad";
    facts.windowRectKnown = true;
    facts.windowRect = MakeRect(100, 100, 900, 700);
    return facts;
}

struct FactsCase {
    const char* name;
    void (*change)(WindowFacts& facts);
    bool capturable;
};

const FactsCase kFactsCases[] = {
    {"ordinary window", [](WindowFacts&) {}, true},
    {"gone", [](WindowFacts& f) { f.exists = false; }, false},
    {"hidden", [](WindowFacts& f) { f.visible = false; }, false},
    {"minimised", [](WindowFacts& f) { f.minimized = true; }, false},
    {"own process", [](WindowFacts& f) { f.ownProcess = true; }, false},
    {"cloaked", [](WindowFacts& f) { f.cloaked = true; }, false},
    {"desktop Progman", [](WindowFacts& f) { f.className = L"Progman"; }, false},
    {"desktop WorkerW", [](WindowFacts& f) { f.className = L"WorkerW"; }, false},
    {"taskbar", [](WindowFacts& f) { f.className = L"Shell_TrayWnd"; }, false},
    {"other case of Progman", [](WindowFacts& f) { f.className = L"progman"; }, true},
    {"other case of Shell_TrayWnd", [](WindowFacts& f) { f.className = L"shell_traywnd"; }, true},
    {"longer name with a shell prefix", [](WindowFacts& f) { f.className = L"WorkerWindow"; }, true},
    {"empty class name", [](WindowFacts& f) { f.className = L""; }, true},
    {"rectangle unknown", [](WindowFacts& f) { f.windowRectKnown = false; }, false},
    {"19 wide", [](WindowFacts& f) { f.windowRect = MakeRect(10, 10, 29, 300); }, false},
    {"19 high", [](WindowFacts& f) { f.windowRect = MakeRect(10, 10, 300, 29); }, false},
    {"20 x 20", [](WindowFacts& f) { f.windowRect = MakeRect(10, 10, 30, 30); }, true},
    {"inverted", [](WindowFacts& f) { f.windowRect = MakeRect(300, 300, 10, 10); }, false},
    {"left of the primary monitor", [](WindowFacts& f) { f.windowRect = MakeRect(-1800, -200, -1000, 400); },
     true},
    {"straddling two monitors", [](WindowFacts& f) { f.windowRect = MakeRect(-20, -20, 0, 0); }, true},
};

class WindowRulesFactsTest : public testing::TestWithParam<FactsCase> {};

} // namespace

TEST_P(WindowRulesFactsTest, DecidesFromTheFacts) {
    WindowFacts facts = CapturableFacts();
    GetParam().change(facts);
    EXPECT_EQ(GetParam().capturable, IsCapturableWindowFacts(facts));
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

// Every refusal alone is enough, whatever the later facts say.
TEST(WindowRulesTest, AnEarlierRefusalIsNotUndoneByLaterFacts) {
    WindowFacts facts = CapturableFacts();
    facts.visible = false;
    facts.className = L"progman";
    facts.windowRect = MakeRect(0, 0, 4000, 4000);
    EXPECT_FALSE(IsCapturableWindowFacts(facts));
}

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
