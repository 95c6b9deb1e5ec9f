#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/setup_rules.h"
#include "support/test_support.h"

namespace {

const char* Name(ProgramStart start) {
    switch (start) {
    case ProgramStart::Directly:
        return "Directly";
    case ProgramStart::ThroughDesktopShell:
        return "ThroughDesktopShell";
    case ProgramStart::DirectlyElevated:
        return "DirectlyElevated";
    }
    return "?";
}

std::wstring Line(const SetupLogTime& time, std::initializer_list<const wchar_t*> parts) {
    SetupLogLine line;
    FormatSetupLogLine(time, parts, line);
    EXPECT_EQ(line.length, std::wstring(line.text).size());
    return line.text;
}

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
        std::vector<const wchar_t*> arguments;
        for (const std::wstring& argument : c.arguments) {
            arguments.push_back(argument.c_str());
        }
        std::vector<std::wstring> unknown;
        const InstallerOptions options =
            ParseInstallerArguments(arguments.data(), static_cast<int>(arguments.size()),
                                    [&](const wchar_t* argument) { unknown.push_back(argument); });
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
        EXPECT_EQ(std::wstring(JoinPath(c.folder, c.name).text), c.joined)
            << ToUtf8(c.folder) << " + " << ToUtf8(c.name);
    }
}

TEST(SetupRules, PathsThatWouldNotFitComeBackEmptyNeverCut) {
    // Room for kSetupPathChars - 1 characters and the terminator.
    const std::wstring folder(kSetupPathChars - 12, L'a');
    const std::wstring fits = folder + L"\\Korvel.exe"; // exactly the room there is
    ASSERT_EQ(fits.size(), kSetupPathChars - 1);
    EXPECT_EQ(std::wstring(JoinPath(folder.c_str(), L"Korvel.exe").text), fits);
    EXPECT_TRUE(JoinPath(folder.c_str(), L"Korvel.exe!").Empty());
    EXPECT_TRUE(JoinPath((folder + L"\\\\").c_str(), L"Korvel.exe").Empty());

    EXPECT_EQ(std::wstring(TempPathBeside(L"C:\\用户\\KOR-VEL\\Korvel.exe").text),
              L"C:\\用户\\KOR-VEL\\Korvel.exe.new");
    EXPECT_EQ(std::wstring(TempPathBeside(fits.substr(4).c_str()).text), fits.substr(4) + L".new");
    EXPECT_TRUE(TempPathBeside(fits.substr(3).c_str()).Empty());

    // Appending cuts where the buffer ends, keeps it terminated and says so.
    wchar_t buffer[6] = L"ab";
    EXPECT_TRUE(AppendText(buffer, 6, L"cde"));
    EXPECT_STREQ(buffer, L"abcde");
    EXPECT_FALSE(AppendText(buffer, 6, L"f"));
    EXPECT_STREQ(buffer, L"abcde");
    wchar_t small[4] = L"";
    EXPECT_FALSE(AppendText(small, 4, L"wxyz"));
    EXPECT_STREQ(small, L"wxy");
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
        EXPECT_STREQ(FormatDecimal(c.value).text, c.text) << c.value;
    }
}

TEST(SetupRules, FormatHex32WritesEightUpperCaseDigits) {
    struct Case {
        std::uint32_t value;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0x00000000"},           {1, L"0x00000001"},           {0x80004005u, L"0x80004005"},
        {0x8007000Eu, L"0x8007000E"}, {0xFFFFFFFFu, L"0xFFFFFFFF"}, {0x0ABCDEF0u, L"0x0ABCDEF0"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(FormatHex32(c.value).text, c.text) << c.value;
    }
}

TEST(SetupRules, LogLineIsTimeStampSpaceMessageAndCrLf) {
    struct Case {
        SetupLogTime time;
        std::initializer_list<const wchar_t*> parts;
        const wchar_t* line;
    };
    const SetupLogTime may = {2024, 5, 1, 9, 3, 7};
    const Case cases[] = {
        {may, {L"开始安装"}, L"2024-05-01 09:03:07 开始安装\r\n"},
        {{2025, 12, 31, 23, 59, 59}, {L"安装完成"}, L"2025-12-31 23:59:59 安装完成\r\n"},
        {{999, 1, 2, 0, 4, 5}, {L"x"}, L"0999-01-02 00:04:05 x\r\n"},
        {{10000, 1, 2, 0, 4, 5}, {L"x"}, L"10000-01-02 00:04:05 x\r\n"},
        {may,
         {L"已写出 ", L"C:\\用户\\张三\\Programs\\KOR-VEL\\Korvel.exe", L" size=", L"336896"},
         L"2024-05-01 09:03:07 已写出 C:\\用户\\张三\\Programs\\KOR-VEL\\Korvel.exe size=336896\r\n"},
        // Printf-like characters in a path are text, not a format.
        {may, {L"忽略未知参数 ", L"/%s%n"}, L"2024-05-01 09:03:07 忽略未知参数 /%s%n\r\n"},
        {may, {L""}, L"2024-05-01 09:03:07 \r\n"},
        {may, {L"a", nullptr, L"b"}, L"2024-05-01 09:03:07 ab\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Line(c.time, c.parts), c.line) << ToUtf8(c.line);
    }
}

TEST(SetupRules, NoTextInTheLogCanStartALineOfItsOwn) {
    const SetupLogTime may = {2024, 5, 1, 9, 3, 7};
    struct Case {
        const wchar_t* argument;
        const wchar_t* line;
    };
    const Case cases[] = {
        // An argument that forges a line of its own after a line break.
        {L"/x\r\n2024-05-01 09:03:08 安装完成",
         L"2024-05-01 09:03:07 忽略未知参数 /x  2024-05-01 09:03:08 安装完成\r\n"},
        {L"a\nb\rc", L"2024-05-01 09:03:07 忽略未知参数 a b c\r\n"},
        // Other controls: tab, vertical tab, form feed, escape, DEL, C1 controls such as next-line, and the
        // Unicode line and paragraph separators.
        {L"\t\v\f\x1B\x7F\x85\x9F\x2028\x2029|", L"2024-05-01 09:03:07 忽略未知参数          |\r\n"},
        // Printable neighbours stay.
        {L" ~\xA0\x2027\x202A", L"2024-05-01 09:03:07 忽略未知参数  ~\xA0\x2027\x202A\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Line(may, {L"忽略未知参数 ", c.argument}), c.line) << ToUtf8(c.argument);
    }
}

TEST(SetupRules, AnOverLongMessageIsCutBeforeItsLineEnd) {
    const std::wstring longArgument(kSetupLogLineChars * 2, L'x');
    const std::wstring line = Line({2024, 5, 1, 9, 3, 7}, {L"忽略未知参数 ", longArgument.c_str(), L"\n"});
    EXPECT_EQ(line.size(), kSetupLogLineChars - 1);
    EXPECT_EQ(line.compare(0, 29, L"2024-05-01 09:03:07 忽略未知参数 xx"), 0);
    EXPECT_EQ(line.substr(line.size() - 3), L"x\r\n");
}

TEST(SetupRules, ProgramStartsUnelevatedWhereverTheTokenAllows) {
    using Kind = TokenElevationKind;
    struct Case {
        bool elevated;
        Kind kind;
        bool shellAnswered;
        ProgramStart start;
    };
    const Case cases[] = {
        // A standard user, or an administrator without "Run as administrator": as it is.
        {false, Kind::Limited, false, ProgramStart::Directly},
        {false, Kind::Limited, true, ProgramStart::Directly},
        {false, Kind::Default, false, ProgramStart::Directly},
        {false, Kind::Default, true, ProgramStart::Directly},
        // Run as administrator, or a standard user who typed an administrator's password: the full half of a
        // split token goes through the desktop shell, and only where none answers starts it elevated.
        {true, Kind::Full, true, ProgramStart::ThroughDesktopShell},
        {true, Kind::Full, false, ProgramStart::DirectlyElevated},
        // The full type alone counts as elevated.
        {false, Kind::Full, true, ProgramStart::ThroughDesktopShell},
        {false, Kind::Full, false, ProgramStart::DirectlyElevated},
        // Elevated without a split token (UAC off, the built-in Administrator): the shell has no lesser
        // rights to give.
        {true, Kind::Default, true, ProgramStart::DirectlyElevated},
        {true, Kind::Default, false, ProgramStart::DirectlyElevated},
        {true, Kind::Limited, true, ProgramStart::DirectlyElevated},
        {true, Kind::Limited, false, ProgramStart::DirectlyElevated},
    };
    for (const Case& c : cases) {
        TokenFacts facts;
        facts.elevated = c.elevated;
        facts.kind = c.kind;
        facts.desktopShellAnswered = c.shellAnswered;
        EXPECT_STREQ(Name(ChooseProgramStart(facts)), Name(c.start))
            << "elevated=" << c.elevated << " type=" << static_cast<int>(c.kind)
            << " shell=" << c.shellAnswered;
    }
}
