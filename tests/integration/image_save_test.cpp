// Encoding through the real GDI+ of the system, and the automatic save into real folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/gdiplus_session.h"
#include "capture/gdiplus_headers.h"
#include "capture/image_save.h"
#include "capture/jpeg_quality.h"
#include "capture/save_rules.h"
#include "log/log.h"
#include "support/bitmap_pixels.h"
#include "support/image_file.h"
#include "support/test_support.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(StartGdiplus()); }
    void TearDown() override { StopGdiplus(); }
};
::testing::Environment* const gdiplusEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

const GUID kQualityGuid = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// Every pixel differs from its neighbours, so a picture shifted, flipped or cut by one pixel no longer
// matches.
uint32_t FinePattern(int x, int y) {
    return (static_cast<uint32_t>(x * 37 + y * 5) & 0xFF) << 16 |
           (static_cast<uint32_t>(y * 29 + 3) & 0xFF) << 8 | (static_cast<uint32_t>(x * y + 200) & 0xFF);
}

// Flat 16 x 16 blocks, the size of a JPEG block with halved colour resolution, so that the lossy encoder has
// nothing to blur and the decoded colours stay near the originals.
uint32_t BlockPattern(int x, int y) {
    const uint32_t column = static_cast<uint32_t>(x / 16);
    const uint32_t row = static_cast<uint32_t>(y / 16);
    return ((column * 70 + 30) & 0xFF) << 16 | ((row * 90 + 20) & 0xFF) << 8 |
           (((column + row) * 50 + 60) & 0xFF);
}

// Largest difference of one colour channel between the decoded picture and the pattern.
int LargestChannelError(const std::vector<uint32_t>& decoded, const std::vector<uint32_t>& expected) {
    int largest = 0;
    for (size_t i = 0; i < decoded.size() && i < expected.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = static_cast<int>((decoded[i] >> shift) & 0xFF);
            const int b = static_cast<int>((expected[i] >> shift) & 0xFF);
            largest = std::max(largest, std::abs(a - b));
        }
    }
    return largest;
}

// Everything after the time stamp, e.g. " [INFO] 按 PNG 保存 path=C:\\x.png\r\n".
std::vector<std::wstring> Messages(const CapturedLog& log) {
    std::vector<std::wstring> messages;
    for (const std::wstring& line : log.Lines()) {
        messages.push_back(line.size() > 19 ? line.substr(19) : line);
    }
    return messages;
}

std::wstring Info(const std::wstring& text) {
    return L" [INFO] " + text + L"\r\n";
}

std::wstring Error(const std::wstring& text) {
    return L" [ERROR] " + text + L"\r\n";
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The names of the files (not folders) directly in `folder`.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// "Korvel_" + 8 digits + "_" + 6 digits + "_" + 3 digits + "." + extension.
bool HasCaptureNameShape(const std::wstring& name, const std::wstring& extension) {
    const std::wstring shape = L"Korvel_dddddddd_dddddd_ddd." + extension;
    if (name.size() != shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool matches = shape[i] == L'd' ? (name[i] >= L'0' && name[i] <= L'9') : name[i] == shape[i];
        if (!matches) {
            return false;
        }
    }
    return true;
}

class SaveBitmapTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetLogForTesting(); }
    void TearDown() override {
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
    }

    HBITMAP MakeBitmap(int width, int height, const PixelPattern& pattern) {
        bitmap_ = CreatePatternBitmap(width, height, pattern);
        EXPECT_NE(nullptr, bitmap_);
        return bitmap_;
    }

    TempFolder folder_;
    CapturedLog log_;
    HBITMAP bitmap_ = nullptr;
};

class AutoSaveTest : public SaveBitmapTest {
  protected:
    void SetUp() override {
        SaveBitmapTest::SetUp();
        image_.bitmap = MakeBitmap(33, 21, FinePattern);
        image_.width = 33;
        image_.height = 21;
        image_.originX = -40;
        image_.originY = 12;
    }

    // Saves into `folder`, checking the name's shape and that it was taken from the clock during the call.
    std::wstring SaveAndCheckName(const std::wstring& folder, const std::wstring& expectedFolder, int format,
                                  const std::wstring& extension) {
        std::wstring savedPath = L"left over";
        const std::wstring before = CaptureFileName(CurrentLocalTimeStamp(), extension.c_str());
        EXPECT_TRUE(AutoSaveCapture(image_, folder, format, 90, savedPath));
        const std::wstring after = CaptureFileName(CurrentLocalTimeStamp(), extension.c_str());

        const std::wstring prefix = expectedFolder + L"\\";
        EXPECT_TRUE(StartsWith(savedPath, prefix)) << ToUtf8(savedPath);
        const std::wstring name = savedPath.substr(std::min(prefix.size(), savedPath.size()));
        EXPECT_TRUE(HasCaptureNameShape(name, extension)) << ToUtf8(name);
        // Fixed-width fields sort like the times they spell.
        EXPECT_LE(before, name);
        EXPECT_GE(after, name);
        EXPECT_EQ(std::vector<std::wstring>{name}, FilesIn(expectedFolder));
        return savedPath;
    }

    CapturedImage image_;
};

} // namespace

TEST_F(SaveBitmapTest, PngKeepsEveryPixelExactly) {
    HBITMAP bitmap = MakeBitmap(37, 23, FinePattern);
    const std::wstring path = folder_.Join(L"fine.png");
    ASSERT_TRUE(SaveBitmapToFile(bitmap, path, 0, 10));

    EXPECT_EQ((std::vector<std::wstring>{Info(L"按 PNG 保存 path=" + path)}), Messages(log_))
        << "a PNG save ignores the quality";
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n"), bytes.substr(0, 8));
    const DecodedImage decoded = DecodeImageFile(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(37, decoded.width);
    EXPECT_EQ(23, decoded.height);
    EXPECT_EQ(PatternPixels(FinePattern, 0, 0, 37, 23), decoded.pixels);
}

TEST_F(SaveBitmapTest, CallersBitmapStaysUsableAndUnchanged) {
    HBITMAP bitmap = MakeBitmap(20, 10, FinePattern);
    ASSERT_TRUE(SaveBitmapToFile(bitmap, folder_.Join(L"a.png"), 0, 0));
    ASSERT_TRUE(SaveBitmapToFile(bitmap, folder_.Join(L"b.jpg"), 1, 80));

    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
    EXPECT_EQ(PatternPixels(FinePattern, 0, 0, 20, 10), ReadBitmapPixels(bitmap));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_NE(nullptr, previous) << "the bitmap can still be selected into a DC";
    const uint32_t expected = FinePattern(2, 3);
    EXPECT_EQ(RGB(expected >> 16 & 0xFF, expected >> 8 & 0xFF, expected & 0xFF), GetPixel(memory, 2, 3));
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(SaveBitmapTest, JpegWritesADecodablePictureCloseToTheOriginal) {
    HBITMAP bitmap = MakeBitmap(64, 48, BlockPattern);
    const std::wstring path = folder_.Join(L"blocks.jpg");
    ASSERT_TRUE(SaveBitmapToFile(bitmap, path, 1, 95));

    EXPECT_EQ((std::vector<std::wstring>{Info(L"按 JPEG 保存 quality=95 path=" + path)}), Messages(log_));
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(std::string("\xFF\xD8"), bytes.substr(0, 2));
    const DecodedImage decoded = DecodeImageFile(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(64, decoded.width);
    EXPECT_EQ(48, decoded.height);
    EXPECT_LE(LargestChannelError(decoded.pixels, PatternPixels(BlockPattern, 0, 0, 64, 48)), 12);
}

TEST_F(SaveBitmapTest, JpegQualityIsClampedBeforeTheEncoderSeesIt) {
    HBITMAP bitmap = MakeBitmap(16, 16, BlockPattern);
    const struct {
        int quality;
        const wchar_t* logged;
    } cases[] = {{0, L"1"}, {-20, L"1"}, {1, L"1"}, {100, L"100"}, {150, L"100"}};
    for (const auto& c : cases) {
        log_.Clear();
        const std::wstring path = folder_.Join(L"q" + std::to_wstring(c.quality) + L".jpg");
        EXPECT_TRUE(SaveBitmapToFile(bitmap, path, 1, c.quality)) << c.quality;
        EXPECT_EQ((std::vector<std::wstring>{
                      Info(std::wstring(L"按 JPEG 保存 quality=") + c.logged + L" path=" + path)}),
                  Messages(log_))
            << c.quality;
        EXPECT_TRUE(FileExists(path));
    }
}

TEST(JpegSaveParametersTest, HoldsExactlyOneClampedLongQuality) {
    const struct {
        int quality;
        ULONG expected;
    } cases[] = {{-5, 1}, {0, 1}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {150, 100}, {INT_MAX, 100}};
    for (const auto& c : cases) {
        JpegQualityParameters parameters;
        BuildJpegQualityParameters(c.quality, parameters);
        const Gdiplus::EncoderParameter& only = parameters.block.Parameter[0];
        EXPECT_EQ(1u, parameters.block.Count) << c.quality;
        EXPECT_TRUE(IsEqualGUID(kQualityGuid, only.Guid)) << c.quality;
        EXPECT_EQ(1u, only.NumberOfValues) << c.quality;
        EXPECT_EQ(4u, only.Type) << c.quality;
        ASSERT_EQ(static_cast<void*>(&parameters.quality), only.Value) << c.quality;
        EXPECT_EQ(c.expected, *static_cast<const ULONG*>(only.Value)) << c.quality;
    }
}

TEST_F(SaveBitmapTest, UnknownFormatIsSavedAsPng) {
    HBITMAP bitmap = MakeBitmap(9, 7, FinePattern);
    const std::wstring path = folder_.Join(L"seven.jpg"); // the name is the caller's; the content is PNG
    ASSERT_TRUE(SaveBitmapToFile(bitmap, path, 7, 50));

    EXPECT_EQ(
        (std::vector<std::wstring>{Error(L"未知图片格式 7，按 PNG 保存"), Info(L"按 PNG 保存 path=" + path)}),
        Messages(log_));
    EXPECT_EQ(std::string("\x89PNG"), ReadFileBytes(path).substr(0, 4));
    const DecodedImage decoded = DecodeImageFile(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(PatternPixels(FinePattern, 0, 0, 9, 7), decoded.pixels);
}

TEST_F(SaveBitmapTest, NullBitmapOrEmptyPathIsRefused) {
    HBITMAP bitmap = MakeBitmap(4, 4, FinePattern);
    EXPECT_FALSE(SaveBitmapToFile(nullptr, folder_.Join(L"x.png"), 0, 50));
    EXPECT_FALSE(SaveBitmapToFile(bitmap, L"", 1, 50));
    const std::wstring refused = Error(L"保存失败：位图或路径为空");
    EXPECT_EQ((std::vector<std::wstring>{refused, refused}), Messages(log_));
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}

TEST_F(SaveBitmapTest, StaleBitmapHandleFailsToWrap) {
    HBITMAP stale = CreatePatternBitmap(4, 4, FinePattern);
    ASSERT_NE(nullptr, stale);
    DeleteObject(stale);
    const std::wstring path = folder_.Join(L"stale.png");
    EXPECT_FALSE(SaveBitmapToFile(stale, path, 0, 50));

    ASSERT_EQ(1u, log_.Lines().size());
    const std::wstring line = Messages(log_)[0];
    EXPECT_TRUE(StartsWith(line, L" [ERROR] GDI+ 包装位图失败 status=")) << ToUtf8(line);
    EXPECT_NE(std::wstring::npos, line.find(L" path=" + path + L"\r\n")) << ToUtf8(line);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(SaveBitmapTest, MissingFolderMakesTheEncoderFail) {
    HBITMAP bitmap = MakeBitmap(8, 8, FinePattern);
    const std::wstring path = folder_.Join(L"missing\\shot.png");
    EXPECT_FALSE(SaveBitmapToFile(bitmap, path, 0, 50));

    const std::vector<std::wstring> messages = Messages(log_);
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(Info(L"按 PNG 保存 path=" + path), messages[0]);
    EXPECT_TRUE(StartsWith(messages[1], L" [ERROR] GDI+ 保存失败 status=")) << ToUtf8(messages[1]);
    EXPECT_NE(std::wstring::npos, messages[1].find(L" path=" + path + L"\r\n")) << ToUtf8(messages[1]);
    EXPECT_EQ(std::wstring::npos, messages[1].find(L"status=0 ")) << "a failure carries a failing status";
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(DirectoryExists(folder_.Join(L"missing"))) << "only the automatic save makes folders";
}

TEST(FindEncoderTest, FindsPngAndJpegByTheirExactMimeType) {
    ResetLogForTesting();
    CapturedLog log;
    CLSID png = {};
    CLSID jpeg = {};
    const int pngIndex = FindEncoderClsid(L"image/png", &png);
    const int jpegIndex = FindEncoderClsid(L"image/jpeg", &jpeg);
    EXPECT_GE(pngIndex, 0);
    EXPECT_GE(jpegIndex, 0);
    EXPECT_NE(pngIndex, jpegIndex);
    EXPECT_FALSE(IsEqualGUID(png, jpeg));
    EXPECT_FALSE(IsEqualGUID(GUID_NULL, png));
    EXPECT_TRUE(log.Lines().empty());
}

TEST(FindEncoderTest, UnknownOrDifferentlyCasedTypeIsNotFound) {
    ResetLogForTesting();
    const wchar_t* missing[] = {L"image/PNG", L"image/webp", L"image/jpg", L"image/png ", L""};
    for (const wchar_t* mime : missing) {
        CapturedLog log;
        CLSID clsid = {};
        EXPECT_EQ(-1, FindEncoderClsid(mime, &clsid)) << ToUtf8(mime);
        EXPECT_TRUE(IsEqualGUID(GUID_NULL, clsid)) << "left untouched: " << ToUtf8(mime);
        EXPECT_EQ((std::vector<std::wstring>{Error(std::wstring(L"找不到图片编码器 mime=") + mime)}),
                  Messages(log))
            << ToUtf8(mime);
    }
}

TEST_F(AutoSaveTest, CreatesTheFolderAndNamesTheFileAfterTheTime) {
    const std::wstring shots = folder_.Join(L"shots\\2024");
    const std::wstring path = SaveAndCheckName(shots, shots, 0, L"png");

    EXPECT_TRUE(DirectoryExists(shots));
    EXPECT_EQ((std::vector<std::wstring>{Info(L"已创建目录 " + folder_.Join(L"shots")),
                                         Info(L"已创建目录 " + shots), Info(L"按 PNG 保存 path=" + path)}),
              Messages(log_));
    const DecodedImage decoded = DecodeImageFile(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(PatternPixels(FinePattern, 0, 0, 33, 21), decoded.pixels);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(image_.bitmap)) << "the image stays the caller's";
    EXPECT_EQ(33, image_.width);
    EXPECT_EQ(-40, image_.originX);
}

TEST_F(AutoSaveTest, TrailingSeparatorsAreTrimmedBeforeJoining) {
    const std::wstring shots = folder_.Join(L"Shots");
    SaveAndCheckName(shots + L"\\/", shots, 0, L"png");
}

TEST_F(AutoSaveTest, JpegFormatWritesAJpgFile) {
    const std::wstring path = SaveAndCheckName(folder_.Path(), folder_.Path(), 1, L"jpg");
    EXPECT_EQ((std::vector<std::wstring>{Info(L"按 JPEG 保存 quality=90 path=" + path)}), Messages(log_));
    EXPECT_EQ(std::string("\xFF\xD8"), ReadFileBytes(path).substr(0, 2));
}

TEST_F(AutoSaveTest, UnknownFormatIsReportedTwiceAndSavedAsPng) {
    const std::wstring path = SaveAndCheckName(folder_.Path(), folder_.Path(), 2, L"png");
    const std::wstring unknown = Error(L"未知图片格式 2，按 PNG 保存");
    EXPECT_EQ((std::vector<std::wstring>{unknown, unknown, Info(L"按 PNG 保存 path=" + path)}),
              Messages(log_));
    EXPECT_EQ(std::string("\x89PNG"), ReadFileBytes(path).substr(0, 4));
}

TEST_F(AutoSaveTest, NonAsciiFolderWorks) {
    const std::wstring shots = folder_.Join(L"截图 Zoë");
    const std::wstring path = SaveAndCheckName(shots, shots, 0, L"png");
    const DecodedImage decoded = DecodeImageFile(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(PatternPixels(FinePattern, 0, 0, 33, 21), decoded.pixels);
}

TEST_F(AutoSaveTest, FolderBlockedByAFileFailsWithoutALineOfItsOwn) {
    const std::wstring blocked = folder_.Join(L"blocked");
    ASSERT_TRUE(WriteFileBytes(blocked, "not a folder"));
    std::wstring savedPath = L"left over";
    EXPECT_FALSE(AutoSaveCapture(image_, blocked + L"\\", 0, 50, savedPath));

    EXPECT_TRUE(savedPath.empty());
    EXPECT_EQ((std::vector<std::wstring>{Error(L"创建目录失败：同名文件已存在 path=" + blocked)}),
              Messages(log_));
    EXPECT_EQ(std::vector<std::wstring>{L"blocked"}, FilesIn(folder_.Path()));
}

// Wine would make every level of it; Windows would refuse it, but only after making the levels it can.
TEST_F(AutoSaveTest, AFolderLongerThanWindowsCanMakeIsRefusedBeforeAnyLevelIsMade) {
    std::wstring deep = folder_.Join(L"deep");
    while (deep.size() < kMaxSaveFolderChars + 1) {
        deep += L"\\level";
    }
    deep.resize(kMaxSaveFolderChars + 1);
    std::wstring savedPath = L"left over";
    EXPECT_FALSE(AutoSaveCapture(image_, deep + L"\\", 0, 50, savedPath));

    EXPECT_TRUE(savedPath.empty());
    EXPECT_EQ((std::vector<std::wstring>{Error(L"保存失败：目录路径过长 length=249 max=248 path=" + deep)}),
              Messages(log_));
    EXPECT_TRUE(FilesIn(folder_.Path()).empty()) << "nothing created";
}

TEST_F(AutoSaveTest, FailedEncodingLeavesTheOutputPathEmpty) {
    CapturedImage stale;
    stale.bitmap = CreatePatternBitmap(4, 4, FinePattern);
    ASSERT_NE(nullptr, stale.bitmap);
    DeleteObject(stale.bitmap);
    std::wstring savedPath = L"left over";
    EXPECT_FALSE(AutoSaveCapture(stale, folder_.Path(), 0, 50, savedPath));
    EXPECT_TRUE(savedPath.empty());
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}

TEST_F(AutoSaveTest, EmptyImageOrFolderIsRefused) {
    std::wstring savedPath = L"left over";
    EXPECT_FALSE(AutoSaveCapture(CapturedImage(), folder_.Path(), 0, 50, savedPath));
    EXPECT_TRUE(savedPath.empty());

    savedPath = L"left over";
    EXPECT_FALSE(AutoSaveCapture(image_, L"", 0, 50, savedPath));
    EXPECT_TRUE(savedPath.empty());

    EXPECT_EQ((std::vector<std::wstring>{Error(L"保存失败：位图为空"), Error(L"保存失败：目录为空")}),
              Messages(log_));
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}
