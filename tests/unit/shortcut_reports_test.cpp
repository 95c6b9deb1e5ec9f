#include <gtest/gtest.h>

#include "app/shortcut_reports.h"

namespace {

constexpr ShortcutSet kNone = 0;
constexpr ShortcutSet kRegion = ShortcutBit(1);
constexpr ShortcutSet kScreen = ShortcutBit(2);
constexpr ShortcutSet kWindow = ShortcutBit(3);
constexpr ShortcutSet kAll = kRegion | kScreen | kWindow;

constexpr RegistrationPass kAfterRecording = RegistrationPass::AfterRecording;
constexpr RegistrationPass kOk = RegistrationPass::Apply;

} // namespace

// After a recording, only a shortcut that was held when it began and is now lost is reported; OK logs every
// failure, and shows the balloon unless each of them was announced on the way to it.
TEST(ShortcutReportsTest, EachPassReportsTheFailuresItOwes) {
    const struct {
        const char* name;
        RegistrationPass pass;
        ShortcutSet heldBefore;
        ShortcutSet failed;
        ShortcutSet announced;
        ShortcutSet logged;
        bool balloon;
    } cases[] = {
        {"recording: all taken back", kAfterRecording, kAll, kNone, kNone, kNone, false},
        {"recording: one taken meanwhile", kAfterRecording, kAll, kWindow, kNone, kWindow, true},
        {"recording: one failing already", kAfterRecording, kRegion | kScreen, kWindow, kNone, kNone, false},
        {"recording: failing already, announced before", kAfterRecording, kRegion | kScreen, kWindow, kWindow,
         kNone, false},
        {"recording: one lost, one failing already", kAfterRecording, kRegion | kScreen, kScreen | kWindow,
         kNone, kScreen, true},
        {"recording: two lost, one balloon", kAfterRecording, kAll, kRegion | kScreen, kNone,
         kRegion | kScreen, true},
        {"recording: nothing was held", kAfterRecording, kNone, kAll, kNone, kNone, false},
        {"recording: lost while another loss was announced", kAfterRecording, kAll, kRegion, kWindow, kRegion,
         true},
        {"OK: all registered", kOk, kAll, kNone, kNone, kNone, false},
        {"OK: one fails", kOk, kAll, kScreen, kNone, kScreen, true},
        {"OK: three fail, one balloon", kOk, kNone, kAll, kNone, kAll, true},
        {"OK: what was held before a recording plays no part", kOk, kNone, kScreen, kNone, kScreen, true},
        {"OK: the failure a recording's end announced", kOk, kAll, kWindow, kWindow, kWindow, false},
        {"OK: that one and another", kOk, kAll, kWindow | kRegion, kWindow, kWindow | kRegion, true},
        {"OK: an announced failure that OK fixed", kOk, kAll, kNone, kWindow, kNone, false},
    };
    for (const auto& c : cases) {
        const ShortcutReport report = ReportShortcutFailures(c.pass, c.heldBefore, c.failed, c.announced);
        EXPECT_EQ(report.logged, c.logged) << c.name;
        EXPECT_EQ(report.balloon, c.balloon) << c.name;
    }
}
