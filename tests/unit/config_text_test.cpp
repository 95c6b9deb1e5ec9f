#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "config/config_text.h"
#include "support/test_support.h"

TEST(ConfigTrimSpaces, DropsWhiteSpaceAtBothEndsOnly) {
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", L""},
        {L"   ", L""},
        {L"abc", L"abc"},
        {L"  region_vk  ", L"region_vk"},
        {L"\t\r\n\v\f x \f\v\n\r\t", L"x"},
        {L" a b ", L"a b"},
        {L"65\r", L"65"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimSpaces(c.text), c.expected) << "text: [" << c.text << "]";
    }
}

TEST(ConfigParseIntOr, AcceptsOnlyWholeNumbers) {
    struct Case {
        std::wstring text;
        int32_t expected;
    };
    const int32_t fallback = -77;
    const Case cases[] = {
        {L"12", 12},
        {L" 12", 12}, // leading white space is part of the number rules
        {L"+5", 5},
        {L"-0", 0},
        {L"-17", -17},
        {L"007", 7},
        {L"12a", fallback},
        {L"", fallback},
        {L"85%", fallback},
        {L"true", fallback},
        {L"-", fallback},
        {L"+", fallback},
        {L"+-5", fallback},
        {L"1 2", fallback},
        {L"0x10", fallback},
        {L"1.5", fallback},
        {std::wstring(L"5\0", 2), fallback},
        {L"2147483647", INT32_MAX},
        {L"2147483648", INT32_MAX},
        {L"99999999999", INT32_MAX},
        {L"99999999999999999999999999", INT32_MAX},
        {L"-2147483648", INT32_MIN},
        {L"-2147483649", INT32_MIN},
        {L"-99999999999", INT32_MIN},
        {L"-99999999999999999999999999", INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseIntOr(c.text, fallback), c.expected) << "text: [" << c.text << "]";
    }
}

TEST(ConfigApplyKey, StoresEachKeyWithItsFallback) {
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        std::function<void(AppConfig&)> expectedChange;
    };
    const Case cases[] = {
        {L"region_mod", L"5", [](AppConfig& c) { c.region.mod = 5; }},
        {L"region_vk", L"66", [](AppConfig& c) { c.region.vk = 66; }},
        {L"region_vk", L"x", [](AppConfig& c) { c.region.vk = 0; }},
        {L"region_enabled", L"0", [](AppConfig& c) { c.region.enabled = false; }},
        {L"full_mod", L"-1", [](AppConfig& c) { c.full.mod = 0xFFFFFFFFu; }},
        {L"full_vk", L"112", [](AppConfig& c) { c.full.vk = 112; }},
        {L"full_enabled", L"7", [](AppConfig&) {}},
        {L"window_mod", L"", [](AppConfig& c) { c.window.mod = 0; }},
        {L"window_vk", L"300", [](AppConfig& c) { c.window.vk = 300; }},
        {L"window_enabled", L"0", [](AppConfig& c) { c.window.enabled = false; }},
        {L"format", L"1", [](AppConfig& c) { c.format = ImageFormat::Jpeg; }},
        {L"format", L"jpeg", [](AppConfig& c) { c.format = ImageFormat::Png; }},
        {L"jpeg_quality", L"150", [](AppConfig& c) { c.jpegQuality = 150; }},
        {L"jpeg_quality", L"85%", [](AppConfig& c) { c.jpegQuality = 90; }},
        {L"path", L"E:\\pics = mine", [](AppConfig& c) { c.saveDir = L"E:\\pics = mine"; }},
        {L"path", L"", [](AppConfig& c) { c.saveDir.clear(); }},
        {L"toolbar", L"1", [](AppConfig& c) { c.toolbar = true; }},
        {L"toolbar", L"yes", [](AppConfig& c) { c.toolbar = false; }},
        {L"language", L"3", [](AppConfig& c) { c.language = UiLanguage::Japanese; }},
        {L"language", L"en", [](AppConfig& c) { c.language = UiLanguage::SimplifiedChinese; }},
        {L"markup_color", L"4", [](AppConfig& c) { c.markupColor = 4; }},
        {L"markup_color", L"blue", [](AppConfig& c) { c.markupColor = 0; }},
        {L"markup_color", L"9", [](AppConfig& c) { c.markupColor = 9; }},
        {L"markup_width", L"2", [](AppConfig& c) { c.markupWidth = 2; }},
        {L"markup_width", L"thick", [](AppConfig& c) { c.markupWidth = 1; }},
        {L"Markup_width", L"2", [](AppConfig&) {}},
        // Keys are case-sensitive and must match whole; anything else changes nothing.
        {L"Region_vk", L"66", [](AppConfig&) {}},
        {L"REGION_VK", L"66", [](AppConfig&) {}},
        {L"region", L"66", [](AppConfig&) {}},
        {L"region_vk2", L"66", [](AppConfig&) {}},
        {L"regionvk", L"66", [](AppConfig&) {}},
        {L"quality", L"50", [](AppConfig&) {}},
        {L"", L"66", [](AppConfig&) {}},
    };
    for (const Case& c : cases) {
        AppConfig base = SampleConfig();
        base.jpegQuality = 50;
        base.toolbar = true;
        base.language = UiLanguage::English;
        base.format = ImageFormat::Jpeg;
        base.markupColor = 6;
        base.markupWidth = 0;
        AppConfig expected = base;
        c.expectedChange(expected);

        CapturedLog log;
        ApplyConfigKey(base, c.key, c.value);
        EXPECT_EQ(Fields(base), Fields(expected)) << "key: " << c.key << " value: " << c.value;
        EXPECT_TRUE(log.Lines().empty()) << "key: " << c.key;
    }
}

TEST(ConfigApplyKey, NonNumericEnabledFallsBackToEnabled) {
    AppConfig config = SampleConfig();
    config.region.enabled = false;
    ApplyConfigKey(config, L"region_enabled", L"true");
    EXPECT_TRUE(config.region.enabled);
}

TEST(ConfigApplyText, LineEndsAndLastLineAllReadTheSame) {
    const wchar_t* texts[] = {
        L"region_vk=66\nformat=1\npath=E:\\caps\n",
        L"region_vk=66\r\nformat=1\r\npath=E:\\caps\r\n",
        L"region_vk=66\r\nformat=1\r\npath=E:\\caps",
        L"region_vk=66\nformat=1\npath=E:\\caps",
        L"\n\r\nregion_vk=66\n\n  \nformat=1\r\n\t\npath=E:\\caps\r\n\r\n",
    };
    AppConfig expected = SampleConfig();
    expected.region.vk = 66;
    expected.format = ImageFormat::Jpeg;
    expected.saveDir = L"E:\\caps";
    for (const wchar_t* text : texts) {
        CapturedLog log;
        AppConfig config = SampleConfig();
        ApplyConfigText(config, text);
        EXPECT_EQ(Fields(config), Fields(expected)) << "text: " << text;
        EXPECT_TRUE(log.Lines().empty()) << "text: " << text;
    }
}

TEST(ConfigApplyText, LinesAreReadByTheirRules) {
    struct Case {
        const wchar_t* name;
        const wchar_t* text;
        std::function<void(AppConfig&)> expectedChange;
    };
    const Case cases[] = {
        {L"blanks around key, equals and value", L"  region_vk = 65  \n  full_vk\t=\t71\t",
         [](AppConfig& c) {
             c.region.vk = 65;
             c.full.vk = 71;
         }},
        {L"region_enabled=true stays enabled", L"region_enabled=true", [](AppConfig&) {}},
        {L"region_enabled=0 disables", L"region_enabled=0", [](AppConfig& c) { c.region.enabled = false; }},
        {L"toolbar=yes is false", L"toolbar=1\ntoolbar=yes", [](AppConfig&) {}},
        {L"jpeg_quality=85% falls back", L"jpeg_quality=40\njpeg_quality=85%",
         [](AppConfig& c) { c.jpegQuality = 90; }},
        {L"unknown key Region_vk", L"Region_vk=66", [](AppConfig&) {}},
        {L"path= leaves the folder empty", L"path=", [](AppConfig& c) { c.saveDir.clear(); }},
        {L"value keeps later equals signs", L"path=E:\\a=b", [](AppConfig& c) { c.saveDir = L"E:\\a=b"; }},
        {L"comments", L"# region_vk=66\n; full_vk=66\n   # window_vk=66\n\t;format=1", [](AppConfig&) {}},
        {L"duplicate key overrides", L"region_vk=66\nregion_vk=67\nregion_vk=68",
         [](AppConfig& c) { c.region.vk = 68; }},
        {L"empty key", L"=5\n = \n", [](AppConfig&) {}},
        {L"empty text", L"", [](AppConfig&) {}},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        AppConfig config = SampleConfig();
        AppConfig expected = SampleConfig();
        c.expectedChange(expected);
        ApplyConfigText(config, c.text);
        EXPECT_EQ(Fields(config), Fields(expected)) << c.name;
        EXPECT_TRUE(log.Lines().empty()) << c.name;
    }
}

TEST(ConfigApplyText, LineWithoutEqualsIsLoggedAndSkipped) {
    CapturedLog log;
    AppConfig config = SampleConfig();
    ApplyConfigText(config, L"  [general]  \r\nregion_vk=66\r\njust words\r\n");

    EXPECT_EQ(config.region.vk, 66u);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_NE(log.Lines()[0].find(L"[ERROR] 配置行缺少等号：[general]\r\n"), std::wstring::npos)
        << log.Lines()[0];
    EXPECT_NE(log.Lines()[1].find(L"[ERROR] 配置行缺少等号：just words\r\n"), std::wstring::npos)
        << log.Lines()[1];
}

TEST(ConfigSerialize, DefaultsGiveTheKnownFile) {
    AppConfig config = SampleConfig();
    config.saveDir = L"C:\\Users\\u\\Pictures\\Korvel";
    EXPECT_EQ(SerializeConfig(config), L"region_mod=3\r\n"
                                       L"region_vk=65\r\n"
                                       L"region_enabled=1\r\n"
                                       L"full_mod=3\r\n"
                                       L"full_vk=70\r\n"
                                       L"full_enabled=1\r\n"
                                       L"window_mod=3\r\n"
                                       L"window_vk=87\r\n"
                                       L"window_enabled=1\r\n"
                                       L"format=0\r\n"
                                       L"jpeg_quality=90\r\n"
                                       L"path=C:\\Users\\u\\Pictures\\Korvel\r\n"
                                       L"toolbar=0\r\n"
                                       L"language=0\r\n"
                                       L"markup_color=0\r\n"
                                       L"markup_width=1\r\n");
}

TEST(ConfigSerialize, NumbersArePlainDecimal) {
    AppConfig config = SampleConfig();
    config.region = {0xFFFFFFFFu, 4000000000u, false};
    config.format = static_cast<ImageFormat>(-1);
    config.jpegQuality = -5;
    config.language = static_cast<UiLanguage>(-2);
    config.toolbar = true;
    const std::wstring text = SerializeConfig(config);
    EXPECT_NE(text.find(L"region_mod=4294967295\r\nregion_vk=4000000000\r\nregion_enabled=0\r\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"format=-1\r\njpeg_quality=-5\r\npath=D:\\shots\r\ntoolbar=1\r\nlanguage=-2\r\n"),
              std::wstring::npos);
}

TEST(ConfigSerialize, TextReadsBackToTheSameRecord) {
    AppConfig config;
    config.region = {0xF, 255, true};
    config.full = {0, 0x70, true};
    config.window = {kModShift, 0, false};
    config.format = ImageFormat::Jpeg;
    config.jpegQuality = 1;
    config.saveDir = L"D:\\截图\\Ünï = x";
    config.toolbar = true;
    config.language = UiLanguage::Japanese;
    config.markupColor = 7;
    config.markupWidth = 2;

    AppConfig read = SampleConfig();
    ApplyConfigText(read, SerializeConfig(config));
    EXPECT_EQ(Fields(read), Fields(config));
}

TEST(ConfigUtf16Bom, OnlyFfFeOrFeFfAtTheStartMarksUtf16) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        bool utf16;
    } cases[] = {
        {"\xFF\xFEr\0"s, true},  {"\xFE\xFF\0r"s, true},
        {"\xFF\xFE", true},      {"\xEF\xBB\xBFregion_vk=65", false},
        {"region_vk=65", false}, {"\xFF", false},
        {"\xFE", false},         {"\xFE\xFE", false},
        {"x\xFF\xFE", false},    {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartsWithUtf16Bom(c.bytes), c.utf16) << "bytes: " << testing::PrintToString(c.bytes);
    }
}

TEST(ConfigFromText, AFileWrittenBeforeTheMarkupKeysReadsTheirDefaultsWithoutARepair) {
    // The 14 lines of a file written before the markup colour and width were kept.
    AppConfig older = SampleConfig();
    older.toolbar = true;
    std::wstring text = SerializeConfig(older);
    text = text.substr(0, text.find(L"markup_color="));
    ASSERT_EQ(text.find(L"markup"), std::wstring::npos);
    CapturedLog log;
    const AppConfig read = ConfigFromText(text);
    EXPECT_EQ(0, read.markupColor);
    EXPECT_EQ(1, read.markupWidth);
    EXPECT_TRUE(read.toolbar);
    EXPECT_TRUE(log.Lines().empty());

    // Bad values fall back to the defaults, each with its repair line.
    const AppConfig repaired = ConfigFromText(text + L"markup_color=8\r\nmarkup_width=-1\r\n");
    EXPECT_EQ(0, repaired.markupColor);
    EXPECT_EQ(1, repaired.markupWidth);
    EXPECT_EQ(1, log.Count(L"[ERROR] 配置中的标注颜色非法 value=8，改回红色"));
    EXPECT_EQ(1, log.Count(L"[ERROR] 配置中的标注粗细非法 value=-1，改回中等"));
}
