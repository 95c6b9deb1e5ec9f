#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/config.h"
#include "config/config_text.h"
#include "support/test_support.h"

namespace {

// Toolbar on, English, blue thin marks, so that a repair that resets the record would show.
AppConfig ValidatedSample() {
    AppConfig config = SampleConfig();
    config.toolbar = true;
    config.language = UiLanguage::English;
    config.markupColor = 4;
    config.markupWidth = 0;
    return config;
}

struct ValidateCase {
    const char* name;
    std::function<void(AppConfig&)> damage;
    std::function<void(AppConfig&)> repair; // what validation is expected to make of the damaged record
    const wchar_t* logLine;                 // the one line expected, or null for none
};

} // namespace

TEST(ConfigValidate, RepairsOutOfRangeValues) {
    const auto none = [](AppConfig&) {};
    const ValidateCase cases[] = {
        {"format 2", [](AppConfig& c) { c.format = static_cast<ImageFormat>(2); }, none,
         L"[ERROR] 配置中的图片格式非法 value=2，改回 PNG"},
        {"format -1", [](AppConfig& c) { c.format = static_cast<ImageFormat>(-1); }, none,
         L"[ERROR] 配置中的图片格式非法 value=-1，改回 PNG"},
        {"format 1", [](AppConfig& c) { c.format = ImageFormat::Jpeg; },
         [](AppConfig& c) { c.format = ImageFormat::Jpeg; }, nullptr},
        {"quality 0", [](AppConfig& c) { c.jpegQuality = 0; }, none,
         L"[ERROR] 配置中的 JPEG 质量非法 value=0，改回 90"},
        {"quality 101", [](AppConfig& c) { c.jpegQuality = 101; }, none,
         L"[ERROR] 配置中的 JPEG 质量非法 value=101，改回 90"},
        {"quality 1", [](AppConfig& c) { c.jpegQuality = 1; }, [](AppConfig& c) { c.jpegQuality = 1; },
         nullptr},
        {"quality 100", [](AppConfig& c) { c.jpegQuality = 100; }, [](AppConfig& c) { c.jpegQuality = 100; },
         nullptr},
        {"language -1", [](AppConfig& c) { c.language = static_cast<UiLanguage>(-1); },
         [](AppConfig& c) { c.language = UiLanguage::SimplifiedChinese; },
         L"[ERROR] 配置中的界面语言非法 value=-1，改回简体"},
        {"language 4", [](AppConfig& c) { c.language = static_cast<UiLanguage>(4); },
         [](AppConfig& c) { c.language = UiLanguage::SimplifiedChinese; },
         L"[ERROR] 配置中的界面语言非法 value=4，改回简体"},
        {"language 3", [](AppConfig& c) { c.language = UiLanguage::Japanese; },
         [](AppConfig& c) { c.language = UiLanguage::Japanese; }, nullptr},
        {"markup colour 8", [](AppConfig& c) { c.markupColor = 8; }, [](AppConfig& c) { c.markupColor = 0; },
         L"[ERROR] 配置中的标注颜色非法 value=8，改回红色"},
        {"markup colour -1", [](AppConfig& c) { c.markupColor = -1; },
         [](AppConfig& c) { c.markupColor = 0; }, L"[ERROR] 配置中的标注颜色非法 value=-1，改回红色"},
        {"markup colour 7", [](AppConfig& c) { c.markupColor = 7; }, [](AppConfig& c) { c.markupColor = 7; },
         nullptr},
        {"markup width 3", [](AppConfig& c) { c.markupWidth = 3; }, [](AppConfig& c) { c.markupWidth = 1; },
         L"[ERROR] 配置中的标注粗细非法 value=3，改回中等"},
        {"markup width -1", [](AppConfig& c) { c.markupWidth = -1; }, [](AppConfig& c) { c.markupWidth = 1; },
         L"[ERROR] 配置中的标注粗细非法 value=-1，改回中等"},
        {"markup width 2", [](AppConfig& c) { c.markupWidth = 2; }, [](AppConfig& c) { c.markupWidth = 2; },
         nullptr},
        {"vk 300", [](AppConfig& c) { c.region.vk = 300; },
         [](AppConfig& c) {
             c.region.vk = 0;
             c.region.enabled = false;
         },
         nullptr},
        {"vk 256", [](AppConfig& c) { c.full.vk = 256; },
         [](AppConfig& c) {
             c.full.vk = 0;
             c.full.enabled = false;
         },
         nullptr},
        {"vk 255", [](AppConfig& c) { c.window.vk = 255; }, [](AppConfig& c) { c.window.vk = 255; }, nullptr},
        {"vk 0 enabled", [](AppConfig& c) { c.window.vk = 0; },
         [](AppConfig& c) {
             c.window.vk = 0;
             c.window.enabled = false;
         },
         nullptr},
        {"mod 0x4003", [](AppConfig& c) { c.region.mod = 0x4003; }, none, nullptr},
        {"mod 0xFFFFFFFF", [](AppConfig& c) { c.full.mod = 0xFFFFFFFFu; },
         [](AppConfig& c) { c.full.mod = 0xF; }, nullptr},
        {"mod 0 with a key", [](AppConfig& c) { c.region.mod = 0; }, [](AppConfig& c) { c.region.mod = 0; },
         nullptr},
        {"disabled with a key", [](AppConfig& c) { c.full.enabled = false; },
         [](AppConfig& c) { c.full.enabled = false; }, nullptr},
    };
    for (const ValidateCase& c : cases) {
        AppConfig config = ValidatedSample();
        c.damage(config);
        AppConfig expected = ValidatedSample();
        c.repair(expected);

        CapturedLog log;
        ValidateConfig(config);
        EXPECT_EQ(Fields(config), Fields(expected)) << c.name;
        if (c.logLine) {
            ASSERT_EQ(log.Lines().size(), 1u) << c.name;
            EXPECT_NE(log.Lines()[0].find(c.logLine), std::wstring::npos) << c.name << ": " << log.Lines()[0];
        } else {
            EXPECT_TRUE(log.Lines().empty()) << c.name;
        }
    }
}

TEST(ConfigValidate, RepairsEveryFieldInOnePass) {
    AppConfig config = ValidatedSample();
    config.format = static_cast<ImageFormat>(7);
    config.jpegQuality = -3;
    config.language = static_cast<UiLanguage>(9);
    config.markupColor = 100;
    config.markupWidth = 5;

    CapturedLog log;
    ValidateConfig(config);
    EXPECT_EQ(config.format, ImageFormat::Png);
    EXPECT_EQ(config.jpegQuality, 90);
    EXPECT_EQ(config.language, UiLanguage::SimplifiedChinese);
    EXPECT_EQ(config.markupColor, 0);
    EXPECT_EQ(config.markupWidth, 1);
    ASSERT_EQ(log.Lines().size(), 5u);
    EXPECT_NE(log.Lines()[0].find(L"value=7"), std::wstring::npos);
    EXPECT_NE(log.Lines()[1].find(L"value=-3"), std::wstring::npos);
    EXPECT_NE(log.Lines()[2].find(L"value=9"), std::wstring::npos);
    EXPECT_NE(log.Lines()[3].find(L"value=100"), std::wstring::npos);
    EXPECT_NE(log.Lines()[4].find(L"value=5"), std::wstring::npos);
}

TEST(ConfigValidate, EmptySaveFolderBecomesTheDefault) {
    AppConfig config = ValidatedSample();
    config.saveDir.clear();
    ValidateConfig(config);
    EXPECT_EQ(config.saveDir, GetDefaultSaveFolder());
    EXPECT_FALSE(config.saveDir.empty());
}

TEST(ConfigDefaultSaveFolder, FallsBackInOrder) {
    struct Case {
        const wchar_t* pictures;
        const wchar_t* userProfile;
        const wchar_t* expected;
        const wchar_t* logLine;
    };
    const Case cases[] = {
        {L"C:\\Users\\u\\Pictures", L"C:\\Users\\u", L"C:\\Users\\u\\Pictures\\Korvel", nullptr},
        {L"C:\\Users\\u\\Pictures", L"", L"C:\\Users\\u\\Pictures\\Korvel", nullptr},
        {L"", L"C:\\Users\\u", L"C:\\Users\\u\\Pictures\\Korvel",
         L"[ERROR] 读取图片目录失败，改用用户目录 Pictures"},
        {L"", L"", L".\\Korvel", L"[ERROR] 读取图片目录和用户目录都失败，保存路径退回当前目录"},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        EXPECT_EQ(ChooseSaveFolder(c.pictures, c.userProfile), c.expected);
        if (c.logLine) {
            ASSERT_EQ(log.Lines().size(), 1u) << c.expected;
            EXPECT_NE(log.Lines()[0].find(c.logLine), std::wstring::npos) << log.Lines()[0];
        } else {
            EXPECT_TRUE(log.Lines().empty()) << c.expected;
        }
    }
}

TEST(ConfigDefaults, MakeDefaultConfigGivesTheShippedSettings) {
    const AppConfig config = MakeDefaultConfig();
    AppConfig expected = ValidatedSample();
    expected.toolbar = false;
    expected.language = UiLanguage::SimplifiedChinese;
    expected.markupColor = 0;
    expected.markupWidth = 1;
    expected.saveDir = GetDefaultSaveFolder();
    EXPECT_EQ(Fields(config), Fields(expected));
}

TEST(ConfigDefaults, GetConfigIsOneRecordBuiltWithTheDefaults) {
    AppConfig& first = GetConfig();
    EXPECT_EQ(&first, &GetConfig());
    EXPECT_EQ(first.region.vk, 0x41u);
    EXPECT_EQ(first.saveDir, GetDefaultSaveFolder());
}
