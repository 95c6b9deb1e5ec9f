#pragma once
#include <gtest/gtest.h>

#include <string>

#include "korvel_process.h"

// Every end-to-end test starts with no Korvel running and no korvel.log or config.ini.
class KorvelE2ETest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"KorvelHost", L"Korvel"), nullptr)
            << "a Korvel from an earlier test still runs";
        ResetKorvelData();
    }

    // Starts Korvel and waits until its start-up has registered the shortcuts.
    void StartKorvel(ChildProcess& korvel) {
        ASSERT_TRUE(korvel.Start(SiblingProgram(L"Korvel.exe")))
            << "CreateProcessW failed: " << GetLastError();
        ASSERT_NE(WaitForHostWindow(10000), nullptr);
        ASSERT_TRUE(WaitForLogLine(L"name=窗口", 10000));
    }

    static std::string ReadConfigFile() {
        HANDLE file =
            CreateFileW(KorvelConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string bytes;
        if (file != INVALID_HANDLE_VALUE) {
            char buffer[4096];
            DWORD read = 0;
            while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
                bytes.append(buffer, read);
            }
            CloseHandle(file);
        }
        return bytes;
    }

    static void WriteConfig(const std::string& utf8Text) {
        CreateDirectoryW(KorvelDataFolder().c_str(), nullptr);
        HANDLE file = CreateFileW(KorvelConfigPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, utf8Text.data(), static_cast<DWORD>(utf8Text.size()), &written, nullptr);
        CloseHandle(file);
    }
};
