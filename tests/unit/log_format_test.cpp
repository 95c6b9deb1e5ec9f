#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cwchar>
#include <string>

#include "log/log.h"
#include "log/log_format.h"
#include "support/test_support.h"

namespace {

// FormatLogMessage takes a va_list, as LogInfo hands it on; this gives the tests the same shape.
std::wstring Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring message = FormatLogMessage(format, args);
    va_end(args);
    return message;
}

LogTime MakeTime(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                 unsigned second) {
    LogTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

// A live line carries the current time; checks "YYYY-MM-DD hh:mm:ss" and returns everything after it.
std::wstring AfterTimeStamp(const std::wstring& line) {
    const std::wstring shape = L"dddd-dd-dd dd:dd:dd";
    if (line.size() < shape.size()) {
        ADD_FAILURE() << "line too short for a time stamp";
        return std::wstring();
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == L'd') {
            EXPECT_TRUE(line[i] >= L'0' && line[i] <= L'9') << "position " << i;
        } else {
            EXPECT_EQ(shape[i], line[i]) << "position " << i;
        }
    }
    return line.substr(shape.size());
}

} // namespace

TEST(LogFormatLineTest, BuildsTheExactFrame) {
    EXPECT_EQ(L"2024-05-01 09:03:07 [INFO] 进程退出\r\n",
              FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"INFO", L"进程退出"));
}

TEST(LogFormatLineTest, PadsEveryFieldWithZeros) {
    EXPECT_EQ(L"0999-01-02 00:04:05 [INFO] x\r\n",
              FormatLogLine(MakeTime(999, 1, 2, 0, 4, 5), L"INFO", L"x"));
}

TEST(LogFormatLineTest, WritesTheErrorLevel) {
    EXPECT_EQ(L"2025-12-31 23:59:59 [ERROR] 创建目录失败：路径为空\r\n",
              FormatLogLine(MakeTime(2025, 12, 31, 23, 59, 59), L"ERROR", L"创建目录失败：路径为空"));
}

TEST(LogFormatLineTest, EmptyMessageStillEndsTheLine) {
    EXPECT_EQ(L"2024-05-01 09:03:07 [INFO] \r\n", FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"INFO", L""));
}

TEST(LogFormatLineTest, LineBreaksInsideTheMessageBecomeSpaces) {
    // A config.ini line with a stray CR, logged as it stood, would otherwise split one event over lines.
    EXPECT_EQ(L"2024-05-01 09:03:07 [ERROR] 配置行  缺少 等号 \r\n",
              FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"ERROR", L"配置行\r\n缺少\n等号\r"));
    EXPECT_EQ(L"2024-05-01 09:03:07 [IN FO] a b\r\n",
              FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"IN\nFO", L"a\rb"));
}

TEST(LogFormatLineTest, OverlongMessageKeepsTheLineEnd) {
    // Only a message that skipped the 3071-character cut can reach this; the line must still end in CR LF
    // so the next line does not run into it.
    const std::wstring message(5000, L'm');
    const std::wstring line = FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"INFO", message.c_str());
    EXPECT_LT(line.size(), kLogLineChars);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(L"\r\n", line.substr(line.size() - 2));
    EXPECT_EQ(0u, line.find(L"2024-05-01 09:03:07 [INFO] mmm"));
}

TEST(LogFormatLineTest, LongestCutMessageFitsWhole) {
    const std::wstring message(kLogMessageChars - 1, L'错');
    const std::wstring line = FormatLogLine(MakeTime(2024, 5, 1, 9, 3, 7), L"ERROR", message.c_str());
    EXPECT_EQ(L"2024-05-01 09:03:07 [ERROR] " + message + L"\r\n", line);
}

TEST(LogFormatMessageTest, WideStringArgumentComesOutIntact) {
    const wchar_t* path = L"C:\\用户\\Zoë\\korvel.log";
    EXPECT_EQ(L"日志初始化 path=C:\\用户\\Zoë\\korvel.log", Format(L"日志初始化 path=%s", path));
}

TEST(LogFormatMessageTest, NumbersFollowTheWidePrintfRules) {
    EXPECT_EQ(L"size=1920x-1080", Format(L"size=%dx%d", 1920, -1080));
    EXPECT_EQ(L"err=4294967295", Format(L"err=%lu", 4294967295UL));
    EXPECT_EQ(L"err=5", Format(L"err=%lu", 5UL));
    EXPECT_EQ(L"bytes=-5000000000", Format(L"bytes=%lld", -5000000000LL));
    EXPECT_EQ(L"hr=0x80004001", Format(L"hr=0x%08X", 0x80004001u));
    EXPECT_EQ(L"hr=0x0000ABCD", Format(L"hr=0x%08X", 0xABCDu));
    EXPECT_EQ(L"origin=(-1920,0) mode=2", Format(L"origin=(%d,%d) mode=%d", -1920, 0, 2));
}

TEST(LogFormatMessageTest, PointerIsUpperCaseHexPaddedToPointerWidth) {
    void* pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(0x12ABCD));
    std::wstring expected(sizeof(void*) * 2 - 6, L'0');
    expected += L"12ABCD";
    EXPECT_EQ(L"hwnd=" + expected, Format(L"hwnd=%p", pointer));
}

TEST(LogFormatMessageTest, TextWidthsAndNarrowArgumentsFollowTheMicrosoftRules) {
    EXPECT_EQ(L"[   ab|cd   ]", Format(L"[%5s|%-5s]", L"ab", L"cd"));
    EXPECT_EQ(L"abc", Format(L"%.3s", L"abcdef"));
    EXPECT_EQ(L"narrow narrow", Format(L"%hs %S", "narrow", "narrow"));
    EXPECT_EQ(L"éx", Format(L"%c%c", L'é', L'x'));
    EXPECT_EQ(L"(null)", Format(L"%s", static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(L"   42|42   |00042|-5000000000", Format(L"%5d|%-5d|%05d|%I64d", 42, 42, 42, -5000000000LL));
    EXPECT_EQ(L"100%", Format(L"%d%%", 100));
}

TEST(LogFormatMessageTest, PercentSignsInArgumentsAreNotFormatted) {
    EXPECT_EQ(L"path=C:\\100%s\\%d", Format(L"path=%s", L"C:\\100%s\\%d"));
}

TEST(LogFormatMessageTest, LongMessageIsCutTo3071Characters) {
    std::wstring text;
    for (int i = 0; i < 5000; ++i) {
        text.push_back(static_cast<wchar_t>(L'A' + i % 26));
    }
    const std::wstring message = Format(L"%s", text.c_str());
    EXPECT_EQ(3071u, message.size());
    EXPECT_EQ(text.substr(0, 3071), message);
}

TEST(LogFormatMessageTest, LongFormatTextIsCutTo3071Characters) {
    const std::wstring format(5000, L'长');
    EXPECT_EQ(std::wstring(3071, L'长'), Format(format.c_str()));
}

TEST(LogFormatMessageTest, MessageOfExactly3071CharactersIsKept) {
    const std::wstring text(3071, L'z');
    EXPECT_EQ(text, Format(L"%s", text.c_str()));
}

TEST(LogFormatMessageTest, NullFormatGivesAnEmptyMessage) {
    EXPECT_EQ(L"", Format(nullptr));
}

struct RotateCase {
    unsigned long long size;
    bool rotate;
};

class LogRotateTest : public ::testing::TestWithParam<RotateCase> {};

TEST_P(LogRotateTest, RotatesOnlyAboveOneMebibyte) {
    EXPECT_EQ(GetParam().rotate, ShouldRotateLog(GetParam().size)) << GetParam().size;
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogRotateTest,
                         ::testing::Values(RotateCase{0, false}, RotateCase{1, false},
                                           RotateCase{1048575, false}, RotateCase{1048576, false},
                                           RotateCase{1048577, true}, RotateCase{2097152, true},
                                           RotateCase{0x100000000ULL, true},
                                           RotateCase{0x100000000ULL + 5, true}));

TEST(LogCaptureTest, LogInfoWritesAWholeLineWithANonAsciiArgument) {
    ResetLogForTesting();
    CapturedLog log;
    LogInfo(L"已保存 %s size=%dx%d", L"D:\\图片\\Zoë\\截图.png", 800, 600);
    ASSERT_EQ(1u, log.Lines().size());
    EXPECT_EQ(L" [INFO] 已保存 D:\\图片\\Zoë\\截图.png size=800x600\r\n", AfterTimeStamp(log.Lines()[0]));
}

TEST(LogCaptureTest, LogErrorWritesTheErrorLevel) {
    ResetLogForTesting();
    CapturedLog log;
    LogError(L"创建目录失败 path=%s err=%lu", L"C:\\用户\\Zoë", 5UL);
    ASSERT_EQ(1u, log.Lines().size());
    EXPECT_EQ(L" [ERROR] 创建目录失败 path=C:\\用户\\Zoë err=5\r\n", AfterTimeStamp(log.Lines()[0]));
}

TEST(LogCaptureTest, LogInfoCutsALongMessage) {
    ResetLogForTesting();
    CapturedLog log;
    const std::wstring text(5000, L'字');
    LogInfo(L"%s", text.c_str());
    ASSERT_EQ(1u, log.Lines().size());
    EXPECT_EQ(L" [INFO] " + std::wstring(3071, L'字') + L"\r\n", AfterTimeStamp(log.Lines()[0]));
}
