#pragma once
// What the capture tests share: a save folder of the test's own, a window of another program painting a known
// pattern, and reading back the picture that a capture wrote.
#include <regex>
#include <string>

#include "config/config_text.h"
#include "desktop_probe.h"
#include "e2e_fixture.h"
#include "support/image_file.h"
#include "support/pattern.h"

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
        CreateDirectoryW(L"C:\\korvel-e2e", nullptr);
        folder_ =
            L"C:\\korvel-e2e\\" + FromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
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
    static void ShowPattern(ChildProcess& pattern, const std::wstring& arguments, PatternPlace& place) {
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

    // The path of the newest file a capture was saved to, from the log lines "已保存 <path>".
    static std::wstring WaitForSavedPath(int earlierSaves = 0) {
        const std::wstring marker = L"[INFO] 已保存 ";
        const ULONGLONG deadline = GetTickCount64() + 10000;
        do {
            const std::vector<std::wstring> lines = ReadKorvelLog();
            int found = -1;
            int count = 0;
            for (int at = FindLogLine(lines, marker); at >= 0; at = FindLogLine(lines, marker, at + 1)) {
                found = at;
                ++count;
            }
            if (count > earlierSaves) {
                const std::wstring& line = lines[static_cast<size_t>(found)];
                return line.substr(line.find(marker) + marker.size());
            }
            Sleep(50);
        } while (GetTickCount64() < deadline);
        return {};
    }

    // Counts the pixels of `screenArea` whose colour in the picture (taken at `imageOrigin`) is not the
    // pattern's; a pixel outside the picture or the pattern window counts as a mismatch.
    static int PatternMismatches(const DecodedImage& image, POINT imageOrigin, const PatternPlace& place,
                                 const RECT& screenArea) {
        int mismatches = 0;
        for (int y = screenArea.top; y < screenArea.bottom; ++y) {
            for (int x = screenArea.left; x < screenArea.right; ++x) {
                const int px = x - imageOrigin.x;
                const int py = y - imageOrigin.y;
                const int cx = x - place.clientOrigin.x;
                const int cy = y - place.clientOrigin.y;
                if (px < 0 || py < 0 || px >= image.width || py >= image.height || cx < 0 || cy < 0 ||
                    cx >= place.clientSize.cx || cy >= place.clientSize.cy ||
                    image.At(px, py) != PatternColour(cx, cy)) {
                    ++mismatches;
                }
            }
        }
        return mismatches;
    }

    static RECT ClientArea(const PatternPlace& place) {
        return RECT{place.clientOrigin.x, place.clientOrigin.y, place.clientOrigin.x + place.clientSize.cx,
                    place.clientOrigin.y + place.clientSize.cy};
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

    static bool IsCaptureFileName(const std::wstring& path, const std::wstring& folder,
                                  const wchar_t* extension) {
        const std::wregex name(L"Korvel_20[0-9]{6}_[0-9]{6}_[0-9]{3}\\." + std::wstring(extension));
        return path.size() > folder.size() + 1 && path.compare(0, folder.size() + 1, folder + L"\\") == 0 &&
               std::regex_match(path.substr(folder.size() + 1), name);
    }

    std::wstring folder_;
};
