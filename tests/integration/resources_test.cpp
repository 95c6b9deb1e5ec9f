// The resources built into Korvel.exe (icon group 1, the manifest, the version block) and into
// KorvelSetup.exe (the same icon group, its own manifest and version block, and Korvel.exe itself).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring SiblingPath(const wchar_t* fileName) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + fileName;
}

std::wstring KorvelExePath() {
    return SiblingPath(L"Korvel.exe");
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

// A program of the build opened as data, to read its resources without running it.
class ProgramResources {
  public:
    explicit ProgramResources(const wchar_t* fileName)
        : module_(LoadLibraryExW(SiblingPath(fileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ProgramResources() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ProgramResources(const ProgramResources&) = delete;
    ProgramResources& operator=(const ProgramResources&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // The bytes of one resource in the given language (any language by default); empty when it is missing.
    std::string Resource(LPCWSTR type, LPCWSTR name,
                         WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) const {
        HRSRC found = FindResourceExW(module_, type, name, language);
        if (found == nullptr) {
            return {};
        }
        HGLOBAL loaded = LoadResource(module_, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return data != nullptr ? std::string(data, SizeofResource(module_, found)) : std::string();
    }

  private:
    HMODULE module_ = nullptr;
};

class KorvelResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(korvel_.Loaded()) << "Korvel.exe must be built beside the tests"; }

    std::string Resource(LPCWSTR type, LPCWSTR name) const { return korvel_.Resource(type, name); }

    ProgramResources korvel_{L"Korvel.exe"};
};

// The version block of a program file; empty when it has none.
std::vector<char> VersionBlock(const std::wstring& path) {
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        block.clear();
    }
    return block;
}

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
    const std::vector<char> block = VersionBlock(KorvelExePath());
    ASSERT_FALSE(block.empty());

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

TEST(SetupResourcesTest, CarriesTheBuiltKorvelAsRcData1InUsEnglish) {
    ProgramResources setup(L"KorvelSetup.exe");
    ASSERT_TRUE(setup.Loaded()) << "KorvelSetup.exe must be built beside the tests";
    const std::string carried =
        setup.Resource(RT_RCDATA, MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_FALSE(carried.empty());

    HANDLE file = CreateFileW(KorvelExePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string built(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, &built[0], static_cast<DWORD>(built.size()), &read, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(carried == built) << "carried " << carried.size() << " bytes, built " << built.size();
}

TEST(SetupResourcesTest, ShowsKorvelsIconGroup) {
    ProgramResources setup(L"KorvelSetup.exe");
    ProgramResources korvel(L"Korvel.exe");
    const std::string group = setup.Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(group, korvel.Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1)));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    for (int i = 0; i < header->count; ++i) {
        const LPCWSTR id = MAKEINTRESOURCEW(header->entries[i].id);
        EXPECT_EQ(setup.Resource(RT_ICON, id), korvel.Resource(RT_ICON, id)) << "image " << i;
    }
}

TEST(SetupResourcesTest, ManifestAsksForNoElevation) {
    ProgramResources setup(L"KorvelSetup.exe");
    const std::string manifest = setup.Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    for (const char* part : {"name=\"Korvel.Setup\" version=\"1.0.0.0\" type=\"win32\"",
                             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(SetupResourcesTest, VersionBlockNamesTheInstaller) {
    const std::vector<char> block = VersionBlock(SiblingPath(L"KorvelSetup.exe"));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(VersionString(block, L"ProductName"), L"KOR-VEL");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"KorvelSetup");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"KorvelSetup.exe");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.0.0");
}
