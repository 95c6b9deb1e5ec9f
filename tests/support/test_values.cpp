// The test helpers that need no Windows: captured log lines, sample records and UTF-8 text. The native
// build of the portable core uses them as the Windows test programs do.
#include <cstdint>

#include "config/config_text.h"
#include "log/log.h"
#include "support/test_support.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(c));
    }
}

// The code point of a well-formed sequence at `at` and its length, or 0 when the bytes there do not start
// one.
size_t DecodeSequence(const std::string& bytes, size_t at, char32_t& c) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    return length;
}

} // namespace

CapturedLog::CapturedLog() {
    SetLogListener(&CapturedLog::OnLine, this);
}

CapturedLog::~CapturedLog() {
    SetLogListener(nullptr, nullptr);
}

void CapturedLog::OnLine(const std::wstring& line, void* context) {
    static_cast<CapturedLog*>(context)->lines_.push_back(line);
}

bool CapturedLog::Contains(const std::wstring& part) const {
    return Count(part) > 0;
}

int CapturedLog::Count(const std::wstring& part) const {
    int count = 0;
    for (const std::wstring& line : lines_) {
        if (line.find(part) != std::wstring::npos) {
            ++count;
        }
    }
    return count;
}

// UTF-16 where wchar_t has 16 bits, UTF-32 where it has 32; a lone surrogate or a value past U+10FFFF
// becomes U+FFFD.
std::string ToUtf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFFu;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = kReplacement;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Each byte that does not begin a well-formed sequence becomes one U+FFFD.
std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    size_t at = 0;
    while (at < text.size()) {
        char32_t c = 0;
        const size_t length = DecodeSequence(text, at, c);
        AppendCodePoint(out, length > 0 ? c : kReplacement);
        at += length > 0 ? length : 1;
    }
    return out;
}

AppConfig SampleConfig() {
    AppConfig config;
    config.region = {kModControl | kModAlt, 0x41, true};
    config.full = {kModControl | kModAlt, 0x46, true};
    config.window = {kModControl | kModAlt, 0x57, true};
    config.format = ImageFormat::Png;
    config.jpegQuality = 90;
    config.saveDir = L"D:\\shots";
    config.toolbar = false;
    config.language = UiLanguage::SimplifiedChinese;
    return config;
}

std::wstring Fields(const AppConfig& config) {
    return SerializeConfig(config);
}
