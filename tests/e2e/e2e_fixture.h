#pragma once
#include <gtest/gtest.h>

#include <string>

#include "desktop_probe.h"
#include "korvel_process.h"
#include "support/test_support.h"

// Every end-to-end test starts with no Korvel running and no korvel.log or config.ini.
class KorvelE2ETest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"KorvelHost", L"Korvel"), nullptr)
            << "a Korvel from an earlier test still runs";
        ResetKorvelData();
    }

    // Starts Korvel (the built one, or an installed one) and waits until its start-up has registered the
    // shortcuts.
    void StartKorvel(ChildProcess& korvel, const std::wstring& program = SiblingProgram(L"Korvel.exe")) {
        ASSERT_TRUE(korvel.Start(program)) << "CreateProcessW failed: " << GetLastError();
        // The first start in a fresh prefix also builds Wine's font cache, which can take a while.
        ASSERT_NE(WaitForHostWindow(60000), nullptr) << LogForFailure();
        ASSERT_TRUE(WaitForLogLine(L"name=窗口", 10000)) << LogForFailure();
    }

    static int LogCount(const std::wstring& part) {
        int count = 0;
        for (const std::wstring& line : ReadKorvelLog()) {
            count += line.find(part) != std::wstring::npos ? 1 : 0;
        }
        return count;
    }

    // Presses a capture shortcut until Korvel logs that a capture began. Under Wine a key press sent just as
    // a window takes the focus can reach the system without its modifiers, so no shortcut fires; only then
    // is it pressed again. A capture that began and then failed is left for the test to see.
    static void PressCaptureShortcut(UINT modifiers, WORD vk) {
        const std::wstring started = L"[INFO] 开始截图 mode=";
        const int before = LogCount(started);
        for (int attempt = 0; attempt < 3; ++attempt) {
            PressShortcut(modifiers, vk);
            if (WaitUntil([&] { return LogCount(started) > before; }, 3000)) {
                return;
            }
        }
    }

    // The log so far, to explain a failure.
    static std::string LogForFailure() {
        std::string text = "korvel.log:\n";
        for (const std::wstring& line : ReadKorvelLog()) {
            text += ToUtf8(line) + "\n";
        }
        return text;
    }

    static std::string ReadConfigFile() { return ReadFileBytes(KorvelConfigPath()); }

    static void WriteConfig(const std::string& utf8Text) {
        CreateDirectoryW(KorvelDataFolder().c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(KorvelConfigPath(), utf8Text));
    }

    // Starts a second program that holds a shortcut ("modifiers vk" in decimal), to stage a conflict.
    static void HoldShortcut(ChildProcess& holder, const wchar_t* modifiersAndKey) {
        ASSERT_TRUE(holder.Start(SiblingProgram(L"hotkey_holder.exe"), modifiersAndKey));
        Sleep(500);
        ASSERT_TRUE(holder.Running()) << "the holder could not register its shortcut";
    }
};
