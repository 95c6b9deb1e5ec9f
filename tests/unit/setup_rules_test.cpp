#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/setup_rules.h"
#include "support/test_support.h"

namespace {

const char* Name(InstallerSwitch kind) {
    switch (kind) {
    case InstallerSwitch::Silent:
        return "Silent";
    case InstallerSwitch::Uninstall:
        return "Uninstall";
    case InstallerSwitch::Unknown:
        return "Unknown";
    }
    return "?";
}

} // namespace

TEST(SetupRules, SwitchesMatchWholeWordsInAnyCase) {
    struct Case {
        const wchar_t* argument;
        InstallerSwitch kind;
    };
    const Case cases[] = {
        {L"/silent", InstallerSwitch::Silent},
        {L"/SILENT", InstallerSwitch::Silent},
        {L"/SiLeNt", InstallerSwitch::Silent},
        {L"/S", InstallerSwitch::Silent},
        {L"/s", InstallerSwitch::Silent},
        {L"/quiet", InstallerSwitch::Silent},
        {L"/QUIET", InstallerSwitch::Silent},
        {L"/uninstall", InstallerSwitch::Uninstall},
        {L"/UNINSTALL", InstallerSwitch::Uninstall},
        {L"/Uninstall", InstallerSwitch::Uninstall},
        // Whole words only: no prefixes, no other leading characters, nothing around them.
        {L"/x", InstallerSwitch::Unknown},
        {L"/si", InstallerSwitch::Unknown},
        {L"/silently", InstallerSwitch::Unknown},
        {L"/uninstal", InstallerSwitch::Unknown},
        {L"/u", InstallerSwitch::Unknown},
        {L"silent", InstallerSwitch::Unknown},
        {L"-S", InstallerSwitch::Unknown},
        {L"--silent", InstallerSwitch::Unknown},
        {L" /S", InstallerSwitch::Unknown},
        {L"/S ", InstallerSwitch::Unknown},
        {L"/", InstallerSwitch::Unknown},
        {L"", InstallerSwitch::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(MatchInstallerSwitch(c.argument)), Name(c.kind))
            << "\"" << ToUtf8(c.argument) << "\"";
    }
}

TEST(SetupRules, ArgumentsCombineInAnyOrderAndRepetition) {
    struct Case {
        std::vector<std::wstring> arguments;
        bool silent;
        bool uninstall;
        std::vector<std::wstring> unknown;
    };
    const Case cases[] = {
        {{}, false, false, {}},
        {{L"/S"}, true, false, {}},
        {{L"/uninstall"}, false, true, {}},
        {{L"/UNINSTALL", L"/s"}, true, true, {}},
        {{L"/s", L"/Uninstall"}, true, true, {}},
        {{L"/quiet", L"/silent", L"/S", L"/QUIET"}, true, false, {}},
        {{L"/uninstall", L"/uninstall"}, false, true, {}},
        {{L"/x", L"/silent"}, true, false, {L"/x"}},
        {{L"b", L"/S", L"a", L"/x", L"a"}, true, false, {L"b", L"a", L"/x", L"a"}},
        {{L"C:\\新建文件夹\\文件.txt"}, false, false, {L"C:\\新建文件夹\\文件.txt"}},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const std::wstring& argument : c.arguments) {
            label += ToUtf8(argument) + " ";
        }
        std::vector<std::wstring> unknown;
        const InstallerOptions options = ParseInstallerArguments(c.arguments, unknown);
        EXPECT_EQ(options.silent, c.silent) << label;
        EXPECT_EQ(options.uninstall, c.uninstall) << label;
        EXPECT_EQ(unknown, c.unknown) << label;
    }
}

TEST(SetupRules, JoinPathPutsExactlyOneBackslashBetween) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* joined;
    };
    const Case cases[] = {
        {L"C:\\Users\\u\\AppData\\Local\\Programs\\KOR-VEL", L"Korvel.exe",
         L"C:\\Users\\u\\AppData\\Local\\Programs\\KOR-VEL\\Korvel.exe"},
        {L"C:\\dir\\", L"Korvel.exe", L"C:\\dir\\Korvel.exe"},
        {L"C:\\", L"a", L"C:\\a"},
        {L"C:", L"a", L"C:\\a"},
        {L"", L"Korvel.exe", L"Korvel.exe"},
        {L"", L"", L""},
        {L"dir", L"", L"dir\\"},
        // Only the backslash counts: a folder ending in a slash still gets one.
        {L"C:/dir/", L"a", L"C:/dir/\\a"},
        {L"\\\\server\\share", L"a", L"\\\\server\\share\\a"},
        {L"C:\\用户\\文档", L"截图.lnk", L"C:\\用户\\文档\\截图.lnk"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << ToUtf8(c.folder) << " + " << ToUtf8(c.name);
    }
}

TEST(SetupRules, FormatDecimalWritesPlainDigits) {
    struct Case {
        std::uint32_t value;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0"},
        {5, L"5"},
        {10, L"10"},
        {32, L"32"},
        {183, L"183"},
        {336896, L"336896"},
        {1000000, L"1000000"},
        {2147483648u, L"2147483648"},
        {4294967295u, L"4294967295"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDecimal(c.value), c.text) << c.value;
    }
}

TEST(SetupRules, LogLineIsTimeStampSpaceMessageAndCrLf) {
    struct Case {
        SetupLogTime time;
        const wchar_t* message;
        const wchar_t* line;
    };
    const Case cases[] = {
        {{2024, 5, 1, 9, 3, 7}, L"开始安装", L"2024-05-01 09:03:07 开始安装\r\n"},
        {{2025, 12, 31, 23, 59, 59}, L"安装完成", L"2025-12-31 23:59:59 安装完成\r\n"},
        {{999, 1, 2, 0, 4, 5}, L"x", L"0999-01-02 00:04:05 x\r\n"},
        {{2024, 5, 1, 9, 3, 7},
         L"已写出 C:\\用户\\张三\\Programs\\KOR-VEL\\Korvel.exe size=336896",
         L"2024-05-01 09:03:07 已写出 C:\\用户\\张三\\Programs\\KOR-VEL\\Korvel.exe size=336896\r\n"},
        // Printf-like characters in a path are text, not a format.
        {{2024, 5, 1, 9, 3, 7}, L"忽略未知参数 /%s%n", L"2024-05-01 09:03:07 忽略未知参数 /%s%n\r\n"},
        {{2024, 5, 1, 9, 3, 7}, L"", L"2024-05-01 09:03:07 \r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSetupLogLine(c.time, c.message), c.line) << ToUtf8(c.message);
    }
}
