#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "text/texts.h"

namespace {

// Every test leaves the process in the start-up language, whatever order the tests run in.
class TextsTest : public ::testing::Test {
  protected:
    void TearDown() override { SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese)); }
};

std::vector<std::wstring> SplitCrLf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(TextsTest, StartsInSimplifiedChinese) {
    EXPECT_EQ(GetUiLanguage(), UiLanguage::SimplifiedChinese);
    EXPECT_STREQ(GetText(40), L"关闭");
}

TEST_F(TextsTest, EveryTextIsPresentInEveryLanguage) {
    CapturedLog log;
    for (uint32_t language = 0; language < kLanguageCount; ++language) {
        SetUiLanguage(language);
        for (TextId id = 0; id < kTextCount; ++id) {
            const wchar_t* text = GetText(id);
            ASSERT_NE(text, nullptr) << "id " << id << " language " << language;
            EXPECT_NE(text[0], L'\0') << "id " << id << " language " << language;
            if (id != 18) {
                // Only the about text is laid out in lines.
                EXPECT_EQ(std::wstring(text).find_first_of(L"\r\n"), std::wstring::npos)
                    << "id " << id << " language " << language;
            }
        }
    }
    EXPECT_EQ(log.Count(L"[ERROR]"), 0);
}

struct TextCase {
    UiLanguage language;
    TextId id;
    const wchar_t* expected;
};

class TextsSpotTest : public TextsTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextsSpotTest, GivesTheTextOfTheCurrentLanguage) {
    const TextCase& c = GetParam();
    SetUiLanguage(static_cast<uint32_t>(c.language));
    EXPECT_STREQ(GetText(c.id), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextsSpotTest,
    ::testing::Values(TextCase{UiLanguage::SimplifiedChinese, 0, L"KOR-VEL 设置"},
                      TextCase{UiLanguage::SimplifiedChinese, 13, L"请按下快捷键，Backspace 清除"},
                      TextCase{UiLanguage::SimplifiedChinese, 14, L"未设置"},
                      TextCase{UiLanguage::SimplifiedChinese, 30, L"访问Ondralux"},
                      TextCase{UiLanguage::SimplifiedChinese, 43,
                               L"拖动四边调整大小，双击或 Enter 确认，Esc 取消"},
                      TextCase{UiLanguage::TraditionalChinese, 5, L"全螢幕"},
                      TextCase{UiLanguage::TraditionalChinese, 17, L"關於 KOR-VEL"},
                      TextCase{UiLanguage::TraditionalChinese, 40, L"關閉"},
                      TextCase{UiLanguage::TraditionalChinese, 46, L"複製失敗，剪貼簿被占用。"},
                      TextCase{UiLanguage::English, 11, L"OK"}, TextCase{UiLanguage::English, 14, L"None"},
                      TextCase{UiLanguage::English, 16,
                               L"The interface switches right away. OK remembers it. Cancel restores the "
                               L"previous language."},
                      TextCase{UiLanguage::English, 40, L"Close"},
                      TextCase{UiLanguage::English, 48,
                               L"A shortcut could not be registered. It may conflict with another app."},
                      TextCase{UiLanguage::Japanese, 6, L"ウィンドウ"},
                      TextCase{UiLanguage::Japanese, 17, L"KOR-VEL について"},
                      TextCase{UiLanguage::Japanese, 34, L"窓"},
                      TextCase{UiLanguage::Japanese, 42, L"ドラッグで範囲選択。Esc で取消"},
                      TextCase{UiLanguage::Japanese, 47,
                               L"KOR-VEL を起動しました。トレイアイコンから撮影または設定を開けます。"}));

struct AboutCase {
    UiLanguage language;
    const wchar_t* firstLine;
    const wchar_t* lastLine;
};

class TextsAboutTest : public TextsTest, public ::testing::WithParamInterface<AboutCase> {};

TEST_P(TextsAboutTest, HasTwelveLinesEndingWithTheSiteAddress) {
    const AboutCase& c = GetParam();
    SetUiLanguage(static_cast<uint32_t>(c.language));
    const std::wstring about = GetText(18);
    const std::vector<std::wstring> lines = SplitCrLf(about);
    ASSERT_EQ(lines.size(), 12u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool shouldBeEmpty = i == 2 || i == 9;
        EXPECT_EQ(lines[i].empty(), shouldBeEmpty) << "line " << i + 1;
        // No stray CR or LF outside the CR LF pairs.
        EXPECT_EQ(lines[i].find_first_of(L"\r\n"), std::wstring::npos) << "line " << i + 1;
    }
    EXPECT_EQ(lines[0], c.firstLine);
    EXPECT_EQ(lines[11], c.lastLine);
    EXPECT_TRUE(EndsWith(about, KORVEL_SITE_URL));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, TextsAboutTest,
    ::testing::Values(
        AboutCase{UiLanguage::SimplifiedChinese, L"缘起", L"更多详情，请访问Ondralux：" KORVEL_SITE_URL},
        AboutCase{UiLanguage::TraditionalChinese, L"緣起", L"更多詳情，請造訪Ondralux：" KORVEL_SITE_URL},
        AboutCase{UiLanguage::English, L"Origin", L"For more, visit Ondralux: " KORVEL_SITE_URL},
        AboutCase{UiLanguage::Japanese, L"きっかけ", L"詳しくはOndraluxへ：" KORVEL_SITE_URL}));

TEST_F(TextsTest, IdPastTheLastGivesEmptyTextAndOneError) {
    CapturedLog log;
    const wchar_t* text = GetText(kTextCount);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains(L"[ERROR] 文案编号越界 id=" + std::to_wstring(kTextCount)));
}

TEST_F(TextsTest, LargestIdGivesEmptyText) {
    // The row arithmetic must not wrap round into the table.
    CapturedLog log;
    EXPECT_STREQ(GetText(0xFFFFFFFFu), L"");
    EXPECT_EQ(log.Count(L"[ERROR] 文案编号越界 id="), 1);
}

TEST_F(TextsTest, ValidLanguageIsStoredAndLogged) {
    CapturedLog log;
    SetUiLanguage(3);
    EXPECT_EQ(GetUiLanguage(), UiLanguage::Japanese);
    EXPECT_STREQ(GetText(40), L"閉じる");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains(L"[INFO] 界面语言 language=3"));
}

struct RefusedCase {
    UiLanguage current;
    uint32_t value;
    const wchar_t* line;
};

class TextsRefusedLanguageTest : public TextsTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(TextsRefusedLanguageTest, KeepsTheCurrentLanguage) {
    const RefusedCase& c = GetParam();
    SetUiLanguage(static_cast<uint32_t>(c.current));
    CapturedLog log;
    SetUiLanguage(c.value);
    EXPECT_EQ(GetUiLanguage(), c.current);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains(c.line)) << log.Lines()[0];
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextsRefusedLanguageTest,
    ::testing::Values(
        RefusedCase{UiLanguage::SimplifiedChinese, 4, L"[ERROR] 界面语言非法 value=4，保持 0"},
        RefusedCase{UiLanguage::SimplifiedChinese, 0xFFFFFFFFu, L"[ERROR] 界面语言非法 value=-1，保持 0"},
        RefusedCase{UiLanguage::English, 0xFFFFFFFFu, L"[ERROR] 界面语言非法 value=-1，保持 2"},
        RefusedCase{UiLanguage::Japanese, 0x80000000u, L"[ERROR] 界面语言非法 value=-2147483648，保持 3"}));

} // namespace
