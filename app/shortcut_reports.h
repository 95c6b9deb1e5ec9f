#pragma once
// Which failures to register the global shortcuts are reported, free of Win32 calls. A pass registers the
// three configured shortcuts: at start and on OK (Apply), or when a shortcut box stops recording and
// Korvel takes back the shortcuts it let go (AfterRecording).
#include <cstdint>

// A set of the three shortcuts, identifier id as the bit 1 << (id - 1).
using ShortcutSet = uint32_t;
constexpr ShortcutSet ShortcutBit(int id) {
    return ShortcutSet{1} << (id - 1);
}

enum class RegistrationPass { Apply, AfterRecording };

struct ShortcutReport {
    ShortcutSet logged = 0; // failures written as ERROR lines; the others get an INFO line
    bool balloon = false;   // balloon 48
};

// `heldBefore`: the shortcuts Korvel held when the recording began (only AfterRecording reads it);
// `failed`: those the pass could not register; `announced`: failures that a recording's end has announced
// since the last OK. After a recording only a shortcut that was held and is now lost is reported: one that
// was failing already was reported then. OK logs every failure, and shows the balloon unless each of them
// was announced on the way to it, so that one OK announces a failure once.
ShortcutReport ReportShortcutFailures(RegistrationPass pass, ShortcutSet heldBefore, ShortcutSet failed,
                                      ShortcutSet announced);
