// The default save folder from what the system answers on this machine.
#include <gtest/gtest.h>

#include <string>

#include "config/config.h"
#include "support/test_support.h"

TEST(ConfigDefaultSaveFolder, IsThePicturesFolderOnThisMachine) {
    CapturedLog log;
    const std::wstring folder = GetDefaultSaveFolder();
    // The shell names the Pictures folder here, so neither fallback is taken.
    ASSERT_GT(folder.size(), 8u);
    EXPECT_EQ(folder.substr(folder.size() - 7), L"\\Korvel");
    EXPECT_NE(folder, L".\\Korvel");
    EXPECT_TRUE(log.Lines().empty());
}
