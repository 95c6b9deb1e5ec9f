// Screen and window capture through the real Korvel.exe: a shortcut pressed with SendInput writes a picture
// file at once, whose pixels are those of a window of known content.
#include "capture_fixture.h"

TEST_F(CaptureE2ETest, ScreenShortcutWritesTheWholeMonitorAsPng) {
    WriteSaveConfig(folder_, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    ChildProcess pattern;
    PatternPlace place;
    ASSERT_NO_FATAL_FAILURE(ShowPattern(pattern, L"300 200 320 240", place));

    SetCursorPos(20, 20);
    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'F');
    const std::wstring path = WaitForSavedPath();
    ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << ToUtf8(path) << LogForFailure();

    const DecodedImage image = DecodeImageFile(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(image.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(PatternMismatches(image, POINT{0, 0}, place, ClientArea(place)), 0);
    // The picture goes on to its preview.
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 预览已显示 hwnd=", 2000));

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

    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'W');
    const std::wstring path = WaitForSavedPath();
    ASSERT_TRUE(IsCaptureFileName(path, folder_, L"png")) << ToUtf8(path);

    // Wine has no frame bounds, so the window rectangle is what is captured.
    const DecodedImage image = DecodeImageFile(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, place.windowRect.right - place.windowRect.left);
    EXPECT_EQ(image.height, place.windowRect.bottom - place.windowRect.top);
    EXPECT_EQ(PatternMismatches(image, POINT{place.windowRect.left, place.windowRect.top}, place,
                                ClientArea(place)),
              0);
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

    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'F');
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

    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'F');
    ASSERT_TRUE(WaitForLogLine(L"[ERROR] 保存截图失败 dir=" + folder_ + L" format=0", 10000));
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 预览已显示 hwnd=", 2000));
    const std::vector<std::wstring> lines = ReadKorvelLog();
    EXPECT_GE(FindLogLine(lines, L"[ERROR] 创建目录失败：同名文件已存在 path=" + folder_), 0);
    EXPECT_EQ(FindLogLine(lines, L"[INFO] 已保存 "), -1);
    EXPECT_TRUE(korvel.Running());

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
    DeleteFileW(folder_.c_str());
}

// config.ini edited by hand: a save folder of 30000 levels. Wine, which does not hold programs to the
// 248 characters of Windows, would make level after level of it; the save refuses it before making any.
TEST_F(CaptureE2ETest, ASaveFolderTensOfThousandsOfLevelsDeepIsRefusedAtOnceAndKorvelGoesOn) {
    std::wstring deep = folder_;
    for (int level = 0; level < 30000; ++level) {
        deep += L"\\a";
    }
    WriteSaveConfig(deep, ImageFormat::Png, 90);
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));

    PressCaptureShortcut(MOD_CONTROL | MOD_ALT, 'F');
    ASSERT_TRUE(WaitForLogLine(L"[ERROR] 保存截图失败 dir=" + folder_ + L"\\a\\a\\a", 10000))
        << LogForFailure();
    EXPECT_TRUE(WaitForLogLine(L"[INFO] 预览已显示 hwnd=", 5000)) << "the picture is still shown";
    EXPECT_EQ(LogCount(L"[ERROR] 保存失败：目录路径过长 length=" + std::to_wstring(deep.size()) +
                       L" max=248 path=" + folder_ + L"\\a\\a"),
              1);
    EXPECT_EQ(LogCount(L"创建目录"), 0) << "no level made or tried";
    EXPECT_FALSE(DirectoryExists(folder_)) << "nothing created";
    EXPECT_TRUE(korvel.Running());

    // Still answering: its tray menu opens and Quit ends it normally.
    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}
