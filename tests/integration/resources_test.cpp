// The resources built into Korvel.exe: icon group 1, the manifest and the version block.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::wstring KorvelExePath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"Korvel.exe";
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

class KorvelResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryExW(KorvelExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "Korvel.exe must be built beside the tests";
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    // The bytes of one resource; empty when it is missing.
    std::string Resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = FindResourceW(module_, name, type);
        if (found == nullptr) {
            return {};
        }
        HGLOBAL loaded = LoadResource(module_, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return data != nullptr ? std::string(data, SizeofResource(module_, found)) : std::string();
    }

    HMODULE module_ = nullptr;
};

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr) {
        return {};
    }
    return std::wstring(value);
}

} // namespace

TEST_F(KorvelResourcesTest, IconGroupHoldsFourPngImagesWithAlpha) {
    const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), 6u);
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    ASSERT_EQ(header->count, 4);
    const int expectedSizes[] = {16, 32, 48, 256};
    for (int i = 0; i < 4; ++i) {
        const IconGroupEntry& entry = header->entries[i];
        SCOPED_TRACE(expectedSizes[i]);
        EXPECT_EQ(entry.width == 0 ? 256 : entry.width, expectedSizes[i]);
        EXPECT_EQ(entry.bitCount, 32);
        const std::string image = Resource(RT_ICON, MAKEINTRESOURCEW(entry.id));
        ASSERT_GE(image.size(), 33u);
        EXPECT_EQ(image.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << "stored as PNG";
        // IHDR: big-endian width and height, 8 bits per channel, colour type 6 (RGBA).
        const auto byteAt = [&](size_t at) { return static_cast<unsigned char>(image[at]); };
        const unsigned width = (byteAt(16) << 24) | (byteAt(17) << 16) | (byteAt(18) << 8) | byteAt(19);
        EXPECT_EQ(width, static_cast<unsigned>(expectedSizes[i]));
        EXPECT_EQ(byteAt(24), 8);
        EXPECT_EQ(byteAt(25), 6);
    }
}

TEST_F(KorvelResourcesTest, ManifestAsksForCommonControls6AndPerMonitorV2) {
    const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    for (const char* part :
         {"name=\"Korvel.app\" version=\"1.0.0.0\" type=\"win32\"",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">true/pm</dpiAware>", ">PerMonitorV2</dpiAwareness>"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST_F(KorvelResourcesTest, VersionBlockNamesTheProduct) {
    const std::wstring path = KorvelExePath();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(block, L"ProductName"), L"KOR-VEL");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"Korvel");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Korvel.exe");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.0.0");
    EXPECT_NE(VersionString(block, L"FileDescription").find(L"screenshot"), std::wstring::npos);
}
