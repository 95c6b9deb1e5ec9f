#include "config/config.h"

#include "log/log.h"
#include "markup/markup_model.h"

namespace {

constexpr uint32_t kModMask = kModAlt | kModControl | kModShift | kModWin;
constexpr uint32_t kMaxVirtualKey = 255;
constexpr int32_t kDefaultJpegQuality = 90;

HotkeyBinding MakeBinding(uint32_t mod, uint32_t vk) {
    HotkeyBinding binding;
    binding.mod = mod;
    binding.vk = vk;
    binding.enabled = true;
    return binding;
}

void RepairBinding(HotkeyBinding& binding) {
    binding.mod &= kModMask;
    if (binding.vk > kMaxVirtualKey) {
        binding.vk = 0;
        binding.enabled = false;
    } else if (binding.vk == 0) {
        binding.enabled = false;
    }
}

} // namespace

AppConfig& GetConfig() {
    static AppConfig config = MakeDefaultConfig();
    return config;
}

namespace {
// Builds the record during static construction, before the entry point starts the log, so the lines of the
// default save folder reach only the debugger output.
[[maybe_unused]] const AppConfig& builtAtStart = GetConfig();
} // namespace

AppConfig MakeDefaultConfig() {
    AppConfig config;
    config.region = MakeBinding(kModControl | kModAlt, 'A');
    config.full = MakeBinding(kModControl | kModAlt, 'F');
    config.window = MakeBinding(kModControl | kModAlt, 'W');
    config.format = ImageFormat::Png;
    config.jpegQuality = kDefaultJpegQuality;
    config.saveDir = GetDefaultSaveFolder();
    config.toolbar = false;
    config.language = UiLanguage::SimplifiedChinese;
    config.markupColor = kDefaultColour;
    config.markupWidth = kDefaultWidthLevel;
    return config;
}

std::wstring ChooseSaveFolder(const std::wstring& picturesFolder, const std::wstring& userProfile) {
    if (!picturesFolder.empty()) {
        return picturesFolder + L"\\Korvel";
    }
    if (!userProfile.empty()) {
        LogError(L"读取图片目录失败，改用用户目录 Pictures");
        return userProfile + L"\\Pictures\\Korvel";
    }
    LogError(L"读取图片目录和用户目录都失败，保存路径退回当前目录");
    return L".\\Korvel";
}

void ValidateConfig(AppConfig& config) {
    RepairBinding(config.region);
    RepairBinding(config.full);
    RepairBinding(config.window);

    const int32_t format = static_cast<int32_t>(config.format);
    if (format != static_cast<int32_t>(ImageFormat::Png) &&
        format != static_cast<int32_t>(ImageFormat::Jpeg)) {
        LogError(L"配置中的图片格式非法 value=%d，改回 PNG", format);
        config.format = ImageFormat::Png;
    }
    if (config.jpegQuality < 1 || config.jpegQuality > 100) {
        LogError(L"配置中的 JPEG 质量非法 value=%d，改回 90", config.jpegQuality);
        config.jpegQuality = kDefaultJpegQuality;
    }
    if (config.saveDir.empty()) {
        config.saveDir = GetDefaultSaveFolder();
    }
    const int32_t language = static_cast<int32_t>(config.language);
    if (language < 0 || language >= kLanguageCount) {
        LogError(L"配置中的界面语言非法 value=%d，改回简体", language);
        config.language = UiLanguage::SimplifiedChinese;
    }
    if (config.markupColor < 0 || config.markupColor >= kColourCount) {
        LogError(L"配置中的标注颜色非法 value=%d，改回红色", config.markupColor);
        config.markupColor = kDefaultColour;
    }
    if (config.markupWidth < 0 || config.markupWidth >= kWidthLevelCount) {
        LogError(L"配置中的标注粗细非法 value=%d，改回中等", config.markupWidth);
        config.markupWidth = kDefaultWidthLevel;
    }
}
