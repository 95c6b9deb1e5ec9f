// Screen and window capture through the real Korvel.exe: a shortcut pressed with SendInput writes a picture
// file at once, whose pixels are those of a window of known content.
#include <regex>
#include <string>

#include "config/config_text.h"
#include "desktop_probe.h"
#include "e2e_fixture.h"
#include "support/image_file.h"
#include "support/pattern.h"

namespace {

const wchar_t kShotsRoot[] = L"C:\\korvel-e2e";

struct PatternPlace {
    HWND window = nullptr;
    RECT windowRect = {};
    POINT clientOrigin = {};
    SIZE clientSize = {};
};

class CaptureE2ETest : public KorvelE2ETest {
  protected:
    void SetUp() override {
        KorvelE2ETest::SetUp();
        CreateDirectoryW(kShotsRoot, nullptr);
        folder_ = std::wstring(kShotsRoot) + L"\\" +
                  FromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        RemoveFolderFiles(folder_);
    }

    // config.ini with the save folder, format and quality given, the rest at their defaults.
    void WriteSaveConfig(const std::wstring& folder, ImageFormat format, int quality) {
        AppConfig config = SampleConfig();
        config.saveDir = folder;
        config.format = format;
        config.jpegQuality = quality;
        WriteConfig("\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config)));
    }

    // Starts the pattern window of another process and waits until it is painted in front.
    void ShowPattern(ChildProcess& pattern, const std::wstring& arguments, PatternPlace& place) {
        ASSERT_TRUE(pattern.Start(SiblingProgram(L"pattern_window.exe"), arguments));
        for (int i = 0; i < 100 && place.window == nullptr; ++i) {
            place.window = FindWindowW(L"KorvelTestPattern", nullptr);
            Sleep(50);
        }
        ASSERT_NE(place.window, nullptr);
        Sleep(400); // painted and brought to the front
        GetWindowRect(place.window, &place.windowRect);
        RECT client = {};
        GetClientRect(place.window, &client);
        ClientToScreen(place.window, &place.clientOrigin);
        place.clientSize = {client.right, client.bottom};
    }

    // The path of the file the capture was saved to, from the log line "已保存 <path>".
    static std::wstring WaitForSavedPath() {
        const std::wstring marker = L"[INFO] 已保存 ";
        if (!WaitForLogLine(marker, 10000)) {
            return {};
        }
        const std::vector<std::wstring> lines = ReadKorvelLog();
        const std::wstring& line = lines[static_cast<size_t>(FindLogLine(lines, marker))];
        return line.substr(line.find(marker) + marker.size());
    }

    // Counts the client-area pixels of the pattern window that differ in the picture taken at `origin`.
    static int PatternMismatches(const DecodedImage& image, POINT origin, const PatternPlace& place) {
        int mismatches = 0;
        for (int y = 0; y < place.clientSize.cy; ++y) {
            for (int x = 0; x < place.clientSize.cx; ++x) {
                const int px = place.clientOrigin.x + x - origin.x;
                const int py = place.clientOrigin.y + y - origin.y;
                if (px < 0 || py < 0 || px >= image.width || py >= image.height ||
                    image.At(px, py) != PatternColour(x, y)) {
                    ++mismatches;
                }
            }
        }
        return mismatches;
    }

    static void RemoveFolderFiles(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
        DeleteFileW(folder.c_str());
    }

    std::wstring folder_;
};

bool IsCaptureFileName(const std::wstring& path, const std::wstring& folder, const wchar_t* extension) {
    const std::wregex name(L"Korvel_20[0-9]{6}_[0-9]{6}_[0-9]{3}\\." + std::wstring(extension));
    return path.size() > folder.size() + 1 && path.compare(0, folder.size() + 1, folder + L"\\") == 0 &&
           std::regex_match(path.substr(folder.size() + 1), name);
}

} // namespace

TEST_F(CaptureE2ETest, ScreenShortcutWritesTheWholeMonitorAsPng) {
    WriteSaveConfig(folder_, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    ChildProcess pattern;
    PatternPlace place;
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern, L"300 200 320 240", place));

    SetCursorPos(20, 20);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    const std::wstring path = WaitForSavedPath();
    ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << ToUtf8(path);

    const DecodedImage image = DecodeImageFile(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(image.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(PatternMismatches(image, POINT{0, 0}, place), 0);
    // The picture goes on to the preview even though none exists yet.
    EXPECT_TRUE(WaitForLogLine(L"ShowPreview size=" + std::to_wstring(image.width) + L"x", 2000));

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(CaptureE2ETest, WindowShortcutCapturesExactlyTheForegroundWindow) {
    WriteSaveConfig(folder_, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    ChildProcess pattern;
    PatternPlace place;
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern, L"400 300 360 260 framed", place));
    ASSERT_EQ(GetForegroundWindow(), place.window);

    PressShortcut(MOD_CONTROL | MOD_ALT, 'W');
    const std::wstring path = WaitForSavedPath();
    ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << ToUtf8(path);

    // Wine has no frame bounds, so the window rectangle is what is captured.
    const DecodedImage image = DecodeImageFile(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, place.windowRect.right - place.windowRect.left);
    EXPECT_EQ(image.height, place.windowRect.bottom - place.windowRect.top);
    EXPECT_EQ(PatternMismatches(image, POINT{place.windowRect.left, place.windowRect.top}, place), 0);
    const std::wstring done = L"[INFO] 截图完成 size=" + std::to_wstring(image.width) + L"x" +
                              std::to_wstring(image.height) + L" origin=(" +
                              std::to_wstring(place.windowRect.left) + L"," +
                              std::to_wstring(place.windowRect.top) + L")";
    EXPECT_GE(FindLogLine(ReadKorvelLog(), done), 0) << ToUtf8(done);

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(CaptureE2ETest, JpegFormatWritesAJpgWithTheConfiguredQuality) {
    WriteSaveConfig(folder_, ImageFormat::Jpeg, 30);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));

    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    const std::wstring path = WaitForSavedPath();
    ASSERT_TRUE(IsCaptureFileName(path, folder_, L"jpg")) << ToUtf8(path);
    // Wine's encoder ignores the quality, so what is checked is the quality Korvel hands it.
    EXPECT_GE(FindLogLine(ReadKorvelLog(), L"[INFO] 按 JPEG 保存 quality=30 path=" + path), 0);
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.compare(0, 2, "\xFF\xD8"), 0);
    const DecodedImage image = DecodeImageFile(path);
    EXPECT_EQ(image.width, GetSystemMetrics(SM_CXSCREEN));

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(CaptureE2ETest, BlockedSaveFolderIsLoggedAndTheCaptureStillReachesThePreview) {
    ASSERT_TRUE(WriteFileBytes(folder_, "a file where the folder should be"));
    WriteSaveConfig(folder_, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));

    PressShortcut(MOD_CONTROL | MOD_ALT, 'F');
    ASSERT_TRUE(WaitForLogLine(L"[ERROR] 保存截图失败 dir=" + folder_ + L" format=0", 10000));
    EXPECT_TRUE(WaitForLogLine(L"ShowPreview size=", 2000));
    const std::vector<std::wstring> lines = ReadKorvelLog();
    EXPECT_GE(FindLogLine(lines, L"[ERROR] 创建目录失败：同名文件已存在 path=" + folder_), 0);
    EXPECT_EQ(FindLogLine(lines, L"[INFO] 已保存 "), -1);
    EXPECT_TRUE(korvel.Running());

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
    DeleteFileW(folder_.c_str());
}
