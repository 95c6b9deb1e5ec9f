// The proposed Save-as name and the choice of format from the chosen path and filter.
#include <gtest/gtest.h>

#include <string>

#include "preview/preview_export.h"
#include "support/test_support.h"

namespace {

TEST(ProposedSaveName, StampsSecondsWithoutMilliseconds) {
    EXPECT_EQ(ProposedSaveName(2025, 1, 2, 3, 4, 5, L"png"), L"Korvel_20250102_030405.png");
    EXPECT_EQ(ProposedSaveName(1999, 12, 31, 23, 59, 58, L"jpg"), L"Korvel_19991231_235958.jpg");
    // Every field is zero-padded to its width.
    EXPECT_EQ(ProposedSaveName(7, 0, 0, 0, 0, 0, L"png"), L"Korvel_00070000_000000.png");
}

struct SaveFormatCase {
    const wchar_t* path;
    unsigned filterIndex;
    int expected; // 0 PNG, 1 JPEG
};

class ChooseSaveFormatTest : public ::testing::TestWithParam<SaveFormatCase> {};

TEST_P(ChooseSaveFormatTest, JudgesByLastDotThenFilter) {
    const SaveFormatCase& c = GetParam();
    EXPECT_EQ(ChooseSaveFormat(c.path, c.filterIndex), c.expected)
        << ToUtf8(c.path) << " filter " << c.filterIndex;
}

const SaveFormatCase kSaveFormatCases[] = {
    // The name's ending wins over the filter, in any letter case.
    {L"C:\\shots\\a.PNG", 2, 0},
    {L"C:\\shots\\a.png", 2, 0},
    {L"C:\\shots\\a.jpeg", 1, 1},
    {L"C:\\shots\\a.JPG", 1, 1},
    {L"C:\\shots\\a.Jpeg", 1, 1},
    {L"C:\\shots\\a.jpg", 2, 1},
    // Only the last dot counts.
    {L"C:\\shots\\a.png.jpg", 1, 1},
    {L"C:\\shots\\a.jpg.png", 2, 0},
    // No dot at all: the filter decides.
    {L"C:\\shots\\picture", 1, 0},
    {L"C:\\shots\\picture", 2, 1},
    // The last dot lies in a folder name and the file has no extension: the filter decides.
    {L"C:\\my.shots\\picture", 1, 0},
    {L"C:\\my.shots\\picture", 2, 1},
    {L"C:\\shots.png\\picture", 2, 1},
    // Any other ending, or a dot with nothing after it: the filter decides.
    {L"C:\\shots\\a.gif", 1, 0},
    {L"C:\\shots\\a.gif", 2, 1},
    {L"C:\\shots\\a.", 1, 0},
    {L"C:\\shots\\a.", 2, 1},
    {L"C:\\shots\\a.jpgx", 2, 1},
    {L"C:\\shots\\a.pn", 2, 1},
    // Filter indexes other than 2 mean PNG.
    {L"C:\\shots\\picture", 0, 0},
    {L"C:\\shots\\picture", 3, 0},
    {L"", 2, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, ChooseSaveFormatTest, ::testing::ValuesIn(kSaveFormatCases));

} // namespace
