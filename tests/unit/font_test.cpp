#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "text/font.h"
#include "text/texts.h"

namespace {

// Every test leaves the process in the start-up language, whatever order the tests run in.
class InterfaceFontTest : public ::testing::Test {
  protected:
    void TearDown() override { SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese)); }
};

// Deletes the font it was given when it goes.
class OwnedFont {
  public:
    explicit OwnedFont(HFONT font) : font_(font) {}
    ~OwnedFont() {
        if (font_ != nullptr) {
            DeleteObject(font_);
        }
    }
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;
    HFONT Get() const { return font_; }

  private:
    HFONT font_;
};

// The description GDI keeps for a font: what it was created with, whatever face it maps to.
LOGFONTW Describe(HFONT font) {
    LOGFONTW description = {};
    EXPECT_EQ(GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
    return description;
}

struct FaceCase {
    int32_t language;
    const wchar_t* face;
};

class InterfaceFontFaceTest : public ::testing::TestWithParam<FaceCase> {};

TEST_P(InterfaceFontFaceTest, FollowsTheLanguage) {
    const FaceCase& c = GetParam();
    EXPECT_STREQ(InterfaceFontFace(static_cast<UiLanguage>(c.language)), c.face);
}

INSTANTIATE_TEST_SUITE_P(Table, InterfaceFontFaceTest,
                         ::testing::Values(FaceCase{0, L"Microsoft YaHei UI"},
                                           FaceCase{1, L"Microsoft JhengHei UI"}, FaceCase{2, L"Segoe UI"},
                                           FaceCase{3, L"Yu Gothic UI"},
                                           // Out of range falls back to the Simplified Chinese face.
                                           FaceCase{4, L"Microsoft YaHei UI"},
                                           FaceCase{-1, L"Microsoft YaHei UI"}));

struct HeightCase {
    int dpi;
    int pointSize;
    int height;
};

class InterfaceFontHeightTest : public ::testing::TestWithParam<HeightCase> {};

TEST_P(InterfaceFontHeightTest, ScalesThePointSizeByDpi) {
    const HeightCase& c = GetParam();
    EXPECT_EQ(InterfaceFontHeight(c.dpi, c.pointSize), c.height) << c.pointSize << " pt at " << c.dpi;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InterfaceFontHeightTest,
    ::testing::Values(
        HeightCase{96, 9, -12}, HeightCase{144, 9, -18}, HeightCase{96, 12, -16}, HeightCase{120, 18, -30},
        // Non-positive arguments fall back to 96 DPI and 9 pt.
        HeightCase{0, 0, -12}, HeightCase{-5, 9, -12}, HeightCase{96, -1, -12}, HeightCase{144, 0, -18},
        // The settings window's two sizes at common scalings; MulDiv rounds to the nearest pixel.
        HeightCase{96, 10, -13}, HeightCase{120, 10, -17}, HeightCase{144, 10, -20}, HeightCase{192, 10, -27},
        HeightCase{96, 18, -24}, HeightCase{144, 18, -36}, HeightCase{192, 18, -48}));

TEST_F(InterfaceFontTest, CreatesTheFaceOfEachLanguage) {
    for (uint32_t language = 0; language < kLanguageCount; ++language) {
        SetUiLanguage(language);
        OwnedFont font(CreateInterfaceFont(144, 9));
        ASSERT_NE(font.Get(), nullptr) << "language " << language;
        const LOGFONTW description = Describe(font.Get());
        EXPECT_STREQ(description.lfFaceName, InterfaceFontFace(static_cast<UiLanguage>(language)));
        EXPECT_EQ(description.lfHeight, -18);
        EXPECT_EQ(description.lfWidth, 0);
        EXPECT_EQ(description.lfWeight, FW_NORMAL);
        EXPECT_EQ(description.lfItalic, 0);
        EXPECT_EQ(description.lfUnderline, 0);
        EXPECT_EQ(description.lfStrikeOut, 0);
        EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(description.lfQuality, CLEARTYPE_QUALITY);
    }
}

TEST_F(InterfaceFontTest, NonPositiveArgumentsGiveNinePointsAtNinetySixDpi) {
    OwnedFont defaults(CreateInterfaceFont(0, 0));
    OwnedFont negativeDpi(CreateInterfaceFont(-5, 9));
    ASSERT_NE(defaults.Get(), nullptr);
    ASSERT_NE(negativeDpi.Get(), nullptr);
    EXPECT_EQ(Describe(defaults.Get()).lfHeight, -12);
    EXPECT_EQ(Describe(negativeDpi.Get()).lfHeight, -12);
    EXPECT_STREQ(Describe(defaults.Get()).lfFaceName, L"Microsoft YaHei UI");
}

TEST_F(InterfaceFontTest, FontMadeBeforeALanguageChangeKeepsItsFace) {
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::English));
    OwnedFont before(CreateInterfaceFont(96, 9));
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::TraditionalChinese));
    OwnedFont after(CreateInterfaceFont(96, 9));
    ASSERT_NE(before.Get(), nullptr);
    ASSERT_NE(after.Get(), nullptr);
    EXPECT_STREQ(Describe(before.Get()).lfFaceName, L"Segoe UI");
    EXPECT_STREQ(Describe(after.Get()).lfFaceName, L"Microsoft JhengHei UI");
}

} // namespace
