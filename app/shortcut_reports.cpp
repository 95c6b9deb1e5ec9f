#include "app/shortcut_reports.h"

ShortcutReport ReportShortcutFailures(RegistrationPass pass, ShortcutSet heldBefore, ShortcutSet failed,
                                      ShortcutSet announced) {
    ShortcutReport report;
    report.logged = pass == RegistrationPass::AfterRecording ? failed & heldBefore : failed;
    report.balloon = (report.logged & ~announced) != 0;
    return report;
}
