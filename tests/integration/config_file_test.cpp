#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/config_file.h"
#include "config/config_text.h"
#include "log/data_folder.h"
#include "support/import_patch.h"
#include "support/test_support.h"
#include "text/texts.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

const char kDefaultText[] = "region_mod=3\r\n"
                            "region_vk=65\r\n"
                            "region_enabled=1\r\n"
                            "full_mod=3\r\n"
                            "full_vk=70\r\n"
                            "full_enabled=1\r\n"
                            "window_mod=3\r\n"
                            "window_vk=87\r\n"
                            "window_enabled=1\r\n"
                            "format=0\r\n"
                            "jpeg_quality=90\r\n"
                            "path=C:\\Users\\u\\Pictures\\Korvel\r\n"
                            "toolbar=0\r\n"
                            "language=0\r\n"
                            "markup_color=0\r\n"
                            "markup_width=1\r\n";

// A record that no load produces, to show when `out` was left alone.
AppConfig Sentinel() {
    AppConfig config = MakeDefaultConfig();
    config.region = {kModShift, 0x51, false};
    config.jpegQuality = 7;
    config.saveDir = L"untouched";
    return config;
}

// Holds a file open without sharing, as another program might.
class ExclusiveHandle {
  public:
    explicit ExclusiveHandle(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {}
    ~ExclusiveHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    ExclusiveHandle(const ExclusiveHandle&) = delete;
    ExclusiveHandle& operator=(const ExclusiveHandle&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

class ConfigFileTest : public testing::Test {
  protected:
    std::wstring Path() const { return folder_.Join(L"config.ini"); }
    bool Save(const AppConfig& config) { return SaveConfigTo(Path(), folder_.Path(), config); }

    // Loads `bytes` written as the file, starting from the sentinel record.
    AppConfig LoadBytes(const std::string& bytes, bool* result = nullptr) {
        EXPECT_TRUE(WriteFileBytes(Path(), bytes));
        AppConfig config = Sentinel();
        const bool loaded = LoadConfigFrom(Path(), config);
        if (result) {
            *result = loaded;
        }
        return config;
    }

    TempFolder folder_;
};

} // namespace

TEST_F(ConfigFileTest, SaveWritesByteOrderMarkAndCrLfLines) {
    AppConfig config = MakeDefaultConfig();
    config.saveDir = L"C:\\Users\\u\\Pictures\\Korvel";

    CapturedLog log;
    ASSERT_TRUE(Save(config));
    EXPECT_EQ(ReadFileBytes(Path()), kBom + kDefaultText);
    EXPECT_TRUE(
        log.Contains(L"[INFO] 已保存配置 path=" + Path() +
                     L" saveDir=C:\\Users\\u\\Pictures\\Korvel format=0 quality=90 toolbar=0 language=0"));
}

TEST_F(ConfigFileTest, SaveRewritesALongerFileWhole) {
    ASSERT_TRUE(WriteFileBytes(Path(), std::string(5000, '#')));
    AppConfig config = MakeDefaultConfig();
    config.saveDir = L"C:\\Users\\u\\Pictures\\Korvel";
    ASSERT_TRUE(Save(config));
    EXPECT_EQ(ReadFileBytes(Path()), kBom + kDefaultText);
}

TEST_F(ConfigFileTest, SaveThenLoadGivesTheValidatedRecord) {
    AppConfig config = MakeDefaultConfig();
    config.region = {0x4000 | kModWin | kModShift, 0x70, true};
    config.full = {kModAlt, 300, true};
    config.window = {0, 0, true};
    config.format = static_cast<ImageFormat>(5);
    config.jpegQuality = 55;
    config.saveDir = L"E:\\shots";
    config.toolbar = true;
    config.language = UiLanguage::TraditionalChinese;
    const AppConfig original = config;

    ASSERT_TRUE(Save(config));
    EXPECT_EQ(Fields(config), Fields(original)) << "a save changes only the file";

    AppConfig expected = original;
    ValidateConfig(expected);
    AppConfig loaded = Sentinel();
    ASSERT_TRUE(LoadConfigFrom(Path(), loaded));
    EXPECT_EQ(Fields(loaded), Fields(expected));
    EXPECT_EQ(loaded.region.mod, kModWin | kModShift);
    EXPECT_EQ(loaded.format, ImageFormat::Png);
}

TEST_F(ConfigFileTest, NonAsciiSaveFolderRoundTripsAsUtf8) {
    AppConfig config = MakeDefaultConfig();
    config.saveDir = L"D:\\截图\\Ünï";
    ASSERT_TRUE(Save(config));
    EXPECT_NE(ReadFileBytes(Path()).find("\r\npath=D:\\\xE6\x88\xAA\xE5\x9B\xBE\\\xC3\x9C\x6E\xC3\xAF\r\n"),
              std::string::npos);

    AppConfig loaded = Sentinel();
    ASSERT_TRUE(LoadConfigFrom(Path(), loaded));
    EXPECT_EQ(loaded.saveDir, L"D:\\截图\\Ünï");
}

TEST_F(ConfigFileTest, LineEndsAndByteOrderMarkDoNotMatter) {
    const std::string variants[] = {
        kBom + "region_vk=66\r\njpeg_quality=70\r\npath=D:\\x\r\n",
        "region_vk=66\r\njpeg_quality=70\r\npath=D:\\x\r\n",
        kBom + "region_vk=66\njpeg_quality=70\npath=D:\\x\n",
        "region_vk=66\njpeg_quality=70\npath=D:\\x",
        "region_vk=66\r\njpeg_quality=70\r\npath=D:\\x",
    };
    AppConfig expected = MakeDefaultConfig();
    expected.region.vk = 66;
    expected.jpegQuality = 70;
    expected.saveDir = L"D:\\x";
    for (const std::string& bytes : variants) {
        bool loaded = false;
        const AppConfig config = LoadBytes(bytes, &loaded);
        EXPECT_TRUE(loaded) << bytes;
        EXPECT_EQ(Fields(config), Fields(expected)) << bytes;
    }
}

TEST_F(ConfigFileTest, LoadLogsWhatItRead) {
    // The text of an unset shortcut follows the interface language, not the language being loaded.
    const UiLanguage previous = GetUiLanguage();
    SetUiLanguage(static_cast<uint32_t>(UiLanguage::SimplifiedChinese));
    CapturedLog log;
    bool loaded = false;
    LoadBytes("format=1\r\njpeg_quality=150\r\npath=D:\\x\r\ntoolbar=1\r\nlanguage=2\r\nfull_enabled=0\r\n",
              &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(log.Contains(L"[ERROR] 配置中的 JPEG 质量非法 value=150，改回 90"));
    EXPECT_TRUE(log.Contains(L"[INFO] 已读取配置 format=1 quality=90 path=D:\\x toolbar=1 language=2 "
                             L"region=Ctrl + Alt + A full=未设置 window=Ctrl + Alt + W"));
    SetUiLanguage(static_cast<uint32_t>(previous));
}

TEST_F(ConfigFileTest, MissingFileLeavesTheRecordAlone) {
    CapturedLog log;
    AppConfig config = Sentinel();
    EXPECT_FALSE(LoadConfigFrom(Path(), config));
    EXPECT_EQ(Fields(config), Fields(Sentinel()));
    EXPECT_TRUE(log.Contains(L"[INFO] 配置文件不存在，使用默认配置 path=" + Path()));
}

TEST_F(ConfigFileTest, FileOverOneMebibyteIsNotRead) {
    CapturedLog log;
    bool loaded = true;
    const AppConfig config = LoadBytes(std::string(1048577, '#'), &loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Fields(config), Fields(Sentinel()));
    EXPECT_TRUE(log.Contains(L"[ERROR] 配置文件大小异常 path=" + Path() + L" size=1048577"));
}

TEST_F(ConfigFileTest, FileOfExactlyOneMebibyteIsReadToTheEnd) {
    const std::string lastLine = "\njpeg_quality=55";
    std::string bytes = kBom + "region_vk=66\n#";
    bytes.append(1048576 - bytes.size() - lastLine.size(), 'x');
    bytes += lastLine;
    ASSERT_EQ(bytes.size(), 1048576u);

    bool loaded = false;
    const AppConfig config = LoadBytes(bytes, &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.region.vk, 66u);
    EXPECT_EQ(config.jpegQuality, 55);
}

TEST_F(ConfigFileTest, FileHeldWithoutSharingCannotBeOpened) {
    ASSERT_TRUE(WriteFileBytes(Path(), "region_vk=66\r\n"));
    ExclusiveHandle holder(Path());
    ASSERT_TRUE(holder.IsOpen());

    CapturedLog log;
    AppConfig config = Sentinel();
    EXPECT_FALSE(LoadConfigFrom(Path(), config));
    EXPECT_EQ(Fields(config), Fields(Sentinel()));
    EXPECT_TRUE(log.Contains(L"[ERROR] 打开配置文件失败 path=" + Path() + L" err=32"));
}

TEST_F(ConfigFileTest, EmptyFileGivesTheDefaults) {
    for (const std::string& bytes : {std::string(), kBom, std::string("\r\n\r\n")}) {
        bool loaded = false;
        const AppConfig config = LoadBytes(bytes, &loaded);
        EXPECT_TRUE(loaded);
        EXPECT_EQ(Fields(config), Fields(MakeDefaultConfig()));
    }
}

TEST_F(ConfigFileTest, MalformedUtf8SpoilsOnlyItsOwnLine) {
    CapturedLog log;
    bool loaded = false;
    const AppConfig config = LoadBytes("region_vk=66\r\n"
                                       "regi\xFFon_vk=70\r\n"
                                       "jpeg_quality=5\xC3\r\n"
                                       "path=D:\\a\xE6\x88\r\n"
                                       "full_vk=71\r\n",
                                       &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(config.region.vk, 66u);
    EXPECT_EQ(config.jpegQuality, 90);
    EXPECT_EQ(config.saveDir.substr(0, 4), L"D:\\a");
    EXPECT_NE(config.saveDir.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_EQ(config.full.vk, 71u);
    EXPECT_FALSE(log.Contains(L"UTF-8"));
}

// Saved as "Unicode" by an editor, in either byte order: the line says why every value is a default.
TEST_F(ConfigFileTest, AFileInUtf16IsReportedAsNotUtf8AndGivesTheDefaults) {
    const std::wstring text = L"[general]\r\nformat=1\r\nlanguage=2\r\n";
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "FE FF" : "FF FE");
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF);
            const char high = static_cast<char>(c >> 8);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        CapturedLog log;
        bool loaded = false;
        const AppConfig config = LoadBytes(bytes, &loaded);
        EXPECT_TRUE(loaded);
        EXPECT_EQ(Fields(config), Fields(MakeDefaultConfig()));
        const std::vector<std::wstring> lines = log.Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[0].find(L" [ERROR] 配置文件不是合法 UTF-8，err=1113\r\n"), std::wstring::npos);
        EXPECT_NE(lines[1].find(L" [INFO] 已读取配置 format=0 "), std::wstring::npos);
    }
}

TEST_F(ConfigFileTest, MissingKeysKeepDefaultsAndTheNextSaveWritesAll) {
    bool loaded = false;
    AppConfig config = LoadBytes("[general]\r\nregion_vk=66\r\n# note\r\n", &loaded);
    EXPECT_TRUE(loaded);
    AppConfig expected = MakeDefaultConfig();
    expected.region.vk = 66;
    EXPECT_EQ(Fields(config), Fields(expected));

    ASSERT_TRUE(Save(config));
    const std::string text = ReadFileBytes(Path());
    EXPECT_EQ(text, kBom + ToUtf8(SerializeConfig(expected)));
    size_t lines = 0;
    for (char c : text) {
        lines += c == '\n';
    }
    EXPECT_EQ(lines, 16u);
}

TEST_F(ConfigFileTest, SaveFailsWhenTheFolderIsAFile) {
    const std::wstring blocked = folder_.Join(L"blocked");
    ASSERT_TRUE(WriteFileBytes(blocked, "not a folder"));

    CapturedLog log;
    EXPECT_FALSE(SaveConfigTo(blocked + L"\\config.ini", blocked, MakeDefaultConfig()));
    EXPECT_TRUE(log.Contains(L"[ERROR] 保存配置失败，数据目录不可用"));
    EXPECT_EQ(ReadFileBytes(blocked), "not a folder");
}

TEST_F(ConfigFileTest, SaveFailsWhenTheFileCannotBeCreated) {
    ASSERT_TRUE(WriteFileBytes(Path(), "region_vk=66\r\n"));
    {
        ExclusiveHandle holder(Path());
        ASSERT_TRUE(holder.IsOpen());
        CapturedLog log;
        EXPECT_FALSE(Save(MakeDefaultConfig()));
        EXPECT_TRUE(log.Contains(L"[ERROR] 写入配置文件失败 path=" + Path() + L" err=32"));
    }
    EXPECT_EQ(ReadFileBytes(Path()), "region_vk=66\r\n");
}

namespace {

// How the write of the configuration text (the call after the byte-order mark) goes wrong.
enum class WriteTrouble { Fails, TakesHalf };
WriteTrouble trouble = WriteTrouble::Fails;
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
WriteFileFunction realWriteFile = nullptr;

BOOL WINAPI TroubledWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (size <= 3) {
        return realWriteFile(file, data, size, written, overlapped);
    }
    if (trouble == WriteTrouble::Fails) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    // Reports success for what it took, as a write may; it sets no error code.
    return realWriteFile(file, data, size / 2, written, overlapped);
}

} // namespace

TEST_F(ConfigFileTest, AFailedOrShortWriteLogsWhatHappenedNotAStaleCode) {
    struct Case {
        WriteTrouble trouble;
        std::wstring line;
    };
    const std::wstring text = SerializeConfig(SampleConfig());
    const unsigned long size = static_cast<unsigned long>(ToUtf8(text).size());
    const Case cases[] = {
        {WriteTrouble::Fails, L"[ERROR] 写入配置内容失败 path=" + Path() + L" err=112\r\n"},
        {WriteTrouble::TakesHalf, L"[ERROR] 写入配置内容不完整 path=" + Path() + L" written=" +
                                      std::to_wstring(size / 2) + L" size=" + std::to_wstring(size) +
                                      L"\r\n"},
    };
    for (const Case& c : cases) {
        // An existing file: CREATE_ALWAYS then leaves ERROR_ALREADY_EXISTS (183) as the last error.
        ASSERT_TRUE(WriteFileBytes(Path(), "region_vk=66\r\n"));
        trouble = c.trouble;
        CapturedLog log;
        bool saved = true;
        {
            ImportPatch patch("WriteFile", reinterpret_cast<const void*>(&TroubledWrite));
            ASSERT_TRUE(patch.Active());
            realWriteFile = patch.Original<WriteFileFunction>();
            saved = Save(SampleConfig());
        }
        EXPECT_FALSE(saved);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find(c.line), std::wstring::npos) << ToUtf8(log.Lines()[0]);
    }
}

TEST_F(ConfigFileTest, SaveNeverChangesItsArgument) {
    AppConfig config = MakeDefaultConfig();
    config.saveDir.clear();
    config.jpegQuality = 0;
    config.language = static_cast<UiLanguage>(-1);
    config.window.vk = 999;
    const std::wstring before = Fields(config);

    ASSERT_TRUE(Save(config));
    EXPECT_EQ(Fields(config), before);
    const std::string text = ReadFileBytes(Path());
    EXPECT_NE(text.find("\r\njpeg_quality=90\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nwindow_vk=0\r\nwindow_enabled=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\npath=" + ToUtf8(GetDefaultSaveFolder()) + "\r\n"), std::string::npos);
}

namespace {

// A system without a roaming application-data folder, whose temporary folder is a test folder.
std::wstring temporaryFolder;

HRESULT WINAPI NoFolder(HWND, int, HANDLE, DWORD, LPWSTR path) {
    path[0] = L'\0';
    return E_FAIL;
}

DWORD WINAPI TestTemporaryFolder(DWORD size, LPWSTR buffer) {
    const std::wstring folder = temporaryFolder + L"\\";
    if (size <= folder.size()) {
        return static_cast<DWORD>(folder.size() + 1);
    }
    wcscpy_s(buffer, size, folder.c_str());
    return static_cast<DWORD>(folder.size());
}

} // namespace

TEST_F(ConfigFileTest, SaveRepairsBeforeItLooksForTheDataFolder) {
    temporaryFolder = folder_.Path();
    AppConfig config = SampleConfig();
    config.jpegQuality = 0;
    CapturedLog log;
    bool saved = false;
    {
        ImportPatch noAppData("SHGetFolderPathW", reinterpret_cast<const void*>(&NoFolder));
        ImportPatch temporary("GetTempPathW", reinterpret_cast<const void*>(&TestTemporaryFolder));
        ASSERT_TRUE(noAppData.Active() && temporary.Active());
        saved = SaveConfig(config);
    }
    EXPECT_TRUE(saved);
    const std::wstring dataFolder = folder_.Join(L"Korvel");
    const std::vector<std::wstring>& lines = log.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find(L"[ERROR] 配置中的 JPEG 质量非法 value=0，改回 90\r\n"), std::wstring::npos)
        << ToUtf8(lines[0]);
    EXPECT_NE(lines[1].find(L"[ERROR] 读取 APPDATA 失败，改用临时目录 " + dataFolder + L"\r\n"),
              std::wstring::npos)
        << ToUtf8(lines[1]);
    EXPECT_NE(lines.back().find(L"[INFO] 已保存配置 path=" + dataFolder + L"\\config.ini"),
              std::wstring::npos);
    EXPECT_NE(ReadFileBytes(dataFolder + L"\\config.ini").find("\r\njpeg_quality=90\r\n"), std::string::npos);
}
