// config.ini as any bytes: reading never crashes, the record it gives needs no repair, and writing it and
// reading the file again gives the same record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config_text.h"
#include "support/test_support.h"

namespace {

// The bytes as LoadConfig reads them: an optional byte-order mark, then UTF-8.
AppConfig Read(const std::string& bytes) {
    return ConfigFromText(FromUtf8(WithoutUtf8Bom(bytes)));
}

bool SameBinding(const HotkeyBinding& a, const HotkeyBinding& b) {
    return a.mod == b.mod && a.vk == b.vk && a.enabled == b.enabled;
}

// Field by field, not through the file's text, so that a field the writer drops cannot hide.
bool SameRecord(const AppConfig& a, const AppConfig& b) {
    return SameBinding(a.region, b.region) && SameBinding(a.full, b.full) &&
           SameBinding(a.window, b.window) && a.format == b.format && a.jpegQuality == b.jpegQuality &&
           a.saveDir == b.saveDir && a.toolbar == b.toolbar && a.language == b.language &&
           a.markupColor == b.markupColor && a.markupWidth == b.markupWidth;
}

[[noreturn]] void Fail(const char* what, const AppConfig& expected, const AppConfig& actual) {
    std::fprintf(stderr, "%s\nexpected:\n%s\nactual:\n%s\n", what, ToUtf8(Fields(expected)).c_str(),
                 ToUtf8(Fields(actual)).c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AppConfig first = Read(std::string(reinterpret_cast<const char*>(data), size));

    AppConfig repaired = first;
    {
        CapturedLog log;
        ValidateConfig(repaired);
        if (!log.Lines().empty()) {
            Fail("a record read from the file was repaired again", first, repaired);
        }
    }
    if (!SameRecord(repaired, first)) {
        Fail("a record read from the file was repaired again", first, repaired);
    }

    // As SaveConfig writes it: the byte-order mark, then the 16 lines in UTF-8.
    const AppConfig second = Read("\xEF\xBB\xBF" + ToUtf8(SerializeConfig(first)));
    if (!SameRecord(second, first)) {
        Fail("read, write, read gave another record", first, second);
    }
    return 0;
}
