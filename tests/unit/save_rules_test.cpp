#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "capture/save_rules.h"
#include "support/test_support.h"

namespace {

struct TrimCase {
    const wchar_t* folder;
    const wchar_t* expected;
};

const TrimCase kTrimCases[] = {
    {L"D:\\Shots\\/", L"D:\\Shots"},
    {L"D:\\Shots", L"D:\\Shots"},
    {L"C:\\", L"C:\\"},   // a drive root keeps its separator
    {L"C:", L"C:"},       // too short to trim
    {L"C:\\\\", L"C:\\"}, // trimmed down to the root, not past it
    {L"C:/", L"C:/"},
    {L"D:/a//", L"D:/a"},
    {L"", L""},
    {L"\\", L"\\"},
    {L"\\\\server\\share\\", L"\\\\server\\share"},
    {L".\\Korvel\\", L".\\Korvel"},
    {L"D:\\a\\b/c", L"D:\\a\\b/c"}, // separators inside stay
};

class TrimSaveFolderTest : public ::testing::TestWithParam<TrimCase> {};

LocalTimeStamp MakeStamp(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                         unsigned second, unsigned milliseconds) {
    LocalTimeStamp time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    time.milliseconds = milliseconds;
    return time;
}

} // namespace

TEST_P(TrimSaveFolderTest, DropsTrailingSeparatorsButKeepsARoot) {
    EXPECT_EQ(std::wstring(GetParam().expected), TrimSaveFolder(GetParam().folder))
        << ToUtf8(GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Folders, TrimSaveFolderTest, ::testing::ValuesIn(kTrimCases));

TEST(SaveRulesTest, ImageExtensionIsJpgOnlyForFormatOne) {
    const struct {
        int format;
        const wchar_t* extension;
    } cases[] = {{0, L"png"}, {1, L"jpg"}, {2, L"png"}, {-1, L"png"}, {INT_MAX, L"png"}};
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.extension), ImageExtension(c.format)) << "format " << c.format;
    }
}

TEST(SaveRulesTest, ClampJpegQualityKeepsOneToHundred) {
    const struct {
        int quality;
        uint32_t expected;
    } cases[] = {{INT_MIN, 1}, {-5, 1}, {0, 1}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {INT_MAX, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ClampJpegQuality(c.quality)) << "quality " << c.quality;
    }
}

TEST(SaveRulesTest, CaptureFileNameSpellsTheTimeToTheMillisecond) {
    EXPECT_EQ(L"Korvel_20240305_142530_047.png",
              CaptureFileName(MakeStamp(2024, 3, 5, 14, 25, 30, 47), L"png"));
}

TEST(SaveRulesTest, CaptureFileNamePadsEveryField) {
    EXPECT_EQ(L"Korvel_20000101_000000_000.png", CaptureFileName(MakeStamp(2000, 1, 1, 0, 0, 0, 0), L"png"));
    EXPECT_EQ(L"Korvel_09991209_090807_006.jpg", CaptureFileName(MakeStamp(999, 12, 9, 9, 8, 7, 6), L"jpg"));
    EXPECT_EQ(L"Korvel_20991231_235959_999.jpg",
              CaptureFileName(MakeStamp(2099, 12, 31, 23, 59, 59, 999), L"jpg"));
}

TEST(SaveRulesTest, CaptureFileNameTakesTheExtensionOfTheFormat) {
    const LocalTimeStamp time = MakeStamp(2024, 3, 5, 14, 25, 30, 47);
    EXPECT_EQ(L"Korvel_20240305_142530_047.jpg", CaptureFileName(time, ImageExtension(1)));
    EXPECT_EQ(L"Korvel_20240305_142530_047.png", CaptureFileName(time, ImageExtension(7)));
}

namespace {

// `start` padded with letters to `length` characters, then `end` appended.
std::wstring FolderOfLength(const std::wstring& start, size_t length, const std::wstring& end = L"") {
    return start + std::wstring(length - start.size(), L'a') + end;
}

} // namespace

TEST(SaveRulesTest, AFolderLongerThan248CharactersIsTooLongWhateverItsSeparators) {
    const struct {
        const char* name;
        std::wstring folder;
        bool tooLong;
    } cases[] = {
        {"248", FolderOfLength(L"C:\\shots\\", 248), false},
        {"249", FolderOfLength(L"C:\\shots\\", 249), true},
        {"248 and a trailing separator", FolderOfLength(L"C:\\shots\\", 248, L"\\"), false},
        {"248 and trailing separators of both kinds", FolderOfLength(L"C:\\shots\\", 248, L"\\/"), false},
        {"249 and a trailing separator", FolderOfLength(L"C:\\shots\\", 249, L"\\"), true},
        {"248 in forward slashes", FolderOfLength(L"C:/shots/", 248, L"/"), false},
        {"249 in forward slashes", FolderOfLength(L"C:/shots/", 249), true},
        {"248 with the long-path prefix", FolderOfLength(L"\\\\?\\C:\\shots\\", 248), false},
        {"249 with the long-path prefix", FolderOfLength(L"\\\\?\\C:\\shots\\", 249), true},
        {"a network share of 249", FolderOfLength(L"\\\\server\\share\\", 249), true},
        {"a drive root", L"C:\\", false},
        {"empty", L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.tooLong, SaveFolderTooLong(c.folder)) << c.name;
    }
}
