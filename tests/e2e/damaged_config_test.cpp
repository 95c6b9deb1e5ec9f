// config.ini damaged in the ways a disk, another editor or a hand can damage it, read by the real Korvel.exe:
// every start keeps what it can, falls back to the defaults for the rest, says so in its log, and the
// program then quits with 0.
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "config/config.h"
#include "config/config_text.h"
#include "e2e_fixture.h"

namespace {

using namespace std::string_literals;

constexpr size_t kReadLimit = 1048576;
const std::string kBom = "\xEF\xBB\xBF";

// What start-up leaves where config.ini was.
enum class Afterwards {
    Kept,        // read and left as it was
    Replaced,    // not readable: the defaults were written over it
    StillFolder, // a folder of that name, which nothing can read or replace
};

struct DamagedConfig {
    const char* name;
    std::function<void(const std::wstring& path)> make;
    // Parts of log lines that the start must write, in this order.
    std::function<std::vector<std::wstring>()> lines;
    Afterwards afterwards;
};

void PrintTo(const DamagedConfig& config, std::ostream* out) {
    *out << config.name;
}

std::function<void(const std::wstring&)> FileOf(std::string (*bytes)()) {
    return [bytes](const std::wstring& path) { ASSERT_TRUE(WriteFileBytes(path, bytes())); };
}

std::wstring DefaultSaveFolder() {
    return MakeDefaultConfig().saveDir;
}

// The line in which the loaded record is reported; the toolbar stays off and the window shortcut at its
// default in every case.
std::wstring ConfigReadLine(int format, int quality, const std::wstring& path, int language,
                            const std::wstring& region = L"Ctrl + Alt + A") {
    return L"[INFO] 已读取配置 format=" + std::to_wstring(format) + L" quality=" + std::to_wstring(quality) +
           L" path=" + path + L" toolbar=0 language=" + std::to_wstring(language) + L" region=" + region +
           L" full=Ctrl + Alt + F window=Ctrl + Alt + W";
}

std::wstring DefaultsReadLine() {
    return ConfigReadLine(0, 90, DefaultSaveFolder(), 0);
}

// The same line for a path too long to be logged whole: its beginning.
std::wstring ConfigReadLineWithPathStart(const std::wstring& pathStart) {
    return L"[INFO] 已读取配置 format=0 quality=90 path=" + pathStart;
}

std::string RandomBytes() {
    std::mt19937 generator(20261210);
    std::string bytes(65536, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

// Broken sequences become U+FFFD: a damaged line fails to match, the lines around it still count.
std::string InvalidUtf8() {
    return kBom + "\xC3\x28 broken\r\n"
                  "lang\xFFuage=3\r\n"
                  "language=2\r\n"
                  "format=\xE2\x82\r\n"
                  "jpeg_quality=7\xC0\r\n"
                  "path=C:\\Shots\\\xF0\x9F\x93\xB7 ok\r\n";
}

// A NUL is a character like any other: it is not a space, it ends no number and no key.
std::string Nuls() {
    return "\0\0\0\r\n"
           "format=1\r\n"
           "jpeg_quality=5\0\r\n"
           "language=3\r\n"
           "\0path=C:\\nul\r\n"s;
}

// Saved as "Unicode" by an editor: not UTF-8, which the log says, and every value keeps its default.
std::string Utf16() {
    const std::wstring text = L"format=1\r\nlanguage=2\r\npath=C:\\Utf16\r\n";
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// A valid file padded with comment lines to exactly `size` bytes. Its last line sets the language, so
// language 2 in the log shows that the whole file was read.
std::string PaddedTo(size_t size) {
    const std::string last = "language=2\r\n";
    const std::string comment = "#" + std::string(997, '-') + "\r\n";
    std::string bytes = kBom;
    while (bytes.size() + comment.size() + last.size() <= size) {
        bytes += comment;
    }
    const size_t rest = size - bytes.size() - last.size();
    if (rest > 0) {
        bytes += std::string(rest - 1, '#') + "\n";
    }
    return bytes + last;
}

std::string AtTheLimit() {
    return PaddedTo(kReadLimit);
}

std::string OneByteOver() {
    return PaddedTo(kReadLimit + 1);
}

std::string LongLines() {
    return kBom + "#" + std::string(300000, 'c') + "\r\n" + std::string(200000, 'x') + "\r\nlanguage=1\r\n";
}

// A key no one knows, a number past any width (clamped, then repaired) and a negative key code.
std::string LongKeysAndNumbers() {
    return kBom + std::string(100000, 'k') + "=1\r\njpeg_quality=" + std::string(50000, '9') +
           "\r\nregion_vk=-" + std::string(40000, '9') + "\r\n";
}

std::string LongPath() {
    return kBom + "path=C:\\" + std::string(40000, 'p') + "\r\n";
}

std::string DeepPath() {
    std::string path = "C:\\korvel-e2e\\deep";
    for (int level = 0; level < 30000; ++level) {
        path += "\\a";
    }
    return kBom + "path=" + path + "\r\n";
}

std::string Empty() {
    return {};
}

const DamagedConfig kDamagedConfigs[] = {
    {"RandomBytes", FileOf(RandomBytes), [] { return std::vector<std::wstring>{DefaultsReadLine()}; },
     Afterwards::Kept},
    {"InvalidUtf8", FileOf(InvalidUtf8),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置行缺少等号：\uFFFD( broken",
                                          ConfigReadLine(0, 90, L"C:\\Shots\\\U0001F4F7 ok", 2)};
     },
     Afterwards::Kept},
    {"Nuls", FileOf(Nuls),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置行缺少等号：",
                                          ConfigReadLine(1, 90, DefaultSaveFolder(), 3)};
     },
     Afterwards::Kept},
    {"Utf16", FileOf(Utf16),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置文件不是合法 UTF-8，err=1113", DefaultsReadLine()};
     },
     Afterwards::Kept},
    {"ExactlyOneMebibyte", FileOf(AtTheLimit),
     [] { return std::vector<std::wstring>{ConfigReadLine(0, 90, DefaultSaveFolder(), 2)}; },
     Afterwards::Kept},
    {"OneByteOverOneMebibyte", FileOf(OneByteOver),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置文件大小异常 path=" + KorvelConfigPath() +
                                              L" size=1048577",
                                          L"[INFO] 已保存配置 path=" + KorvelConfigPath()};
     },
     Afterwards::Replaced},
    {"VeryLongLines", FileOf(LongLines),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置行缺少等号：" + std::wstring(100, L'x'),
                                          ConfigReadLine(0, 90, DefaultSaveFolder(), 1)};
     },
     Afterwards::Kept},
    {"VeryLongKeysAndNumbers", FileOf(LongKeysAndNumbers),
     [] {
         return std::vector<std::wstring>{L"[ERROR] 配置中的 JPEG 质量非法 value=2147483647，改回 90",
                                          ConfigReadLine(0, 90, DefaultSaveFolder(), 0, L"未设置")};
     },
     Afterwards::Kept},
    {"VeryLongPath", FileOf(LongPath),
     [] { return std::vector<std::wstring>{ConfigReadLineWithPathStart(L"C:\\" + std::wstring(200, L'p'))}; },
     Afterwards::Kept},
    {"PathOfThirtyThousandLevels", FileOf(DeepPath),
     [] {
         return std::vector<std::wstring>{ConfigReadLineWithPathStart(L"C:\\korvel-e2e\\deep\\a\\a\\a\\a")};
     },
     Afterwards::Kept},
    {"Empty", FileOf(Empty), [] { return std::vector<std::wstring>{DefaultsReadLine()}; }, Afterwards::Kept},
    {"AFolderNamedConfigIni",
     [](const std::wstring& path) { ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)); },
     [] {
         return std::vector<std::wstring>{L"[ERROR] 打开配置文件失败 path=" + KorvelConfigPath() + L" err=",
                                          L"[ERROR] 写入配置文件失败 path=" + KorvelConfigPath() + L" err=",
                                          L"[ERROR] 写入默认配置失败，本次仍使用内存中的默认值"};
     },
     Afterwards::StillFolder},
};

class DamagedConfigTest : public KorvelE2ETest, public ::testing::WithParamInterface<DamagedConfig> {
  protected:
    void TearDown() override { RemoveDirectoryW(KorvelConfigPath().c_str()); }
};

} // namespace

TEST_P(DamagedConfigTest, StartsWithItsLogLineAndQuitsWithZero) {
    const DamagedConfig& damaged = GetParam();
    CreateDirectoryW(KorvelDataFolder().c_str(), nullptr);
    ASSERT_NO_FATAL_FAILURE(damaged.make(KorvelConfigPath()));
    const std::string before = ReadConfigFile();

    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel));
    const std::vector<std::wstring> lines = ReadKorvelLog();
    int at = 0;
    for (const std::wstring& part : damaged.lines()) {
        const int found = FindLogLine(lines, part, at);
        ASSERT_GE(found, at) << "missing or out of order: " << ToUtf8(part) << "\n" << LogForFailure();
        at = found + 1;
    }

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
    const std::vector<std::wstring> after = ReadKorvelLog();
    ASSERT_FALSE(after.empty());
    EXPECT_NE(after.back().find(L"[INFO] 进程退出"), std::wstring::npos);
    switch (damaged.afterwards) {
    case Afterwards::Kept:
        EXPECT_TRUE(ReadConfigFile() == before) << "the file was rewritten";
        break;
    case Afterwards::Replaced:
        EXPECT_TRUE(ReadConfigFile() == kBom + ToUtf8(SerializeConfig(MakeDefaultConfig())))
            << "the defaults were not written over it";
        break;
    case Afterwards::StillFolder:
        EXPECT_TRUE(DirectoryExists(KorvelConfigPath()));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DamagedConfigTest, ::testing::ValuesIn(kDamagedConfigs),
                         [](const ::testing::TestParamInfo<DamagedConfig>& info) {
                             return std::string(info.param.name);
                         });
