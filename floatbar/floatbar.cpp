#include "floatbar/floatbar.h"

#include "log/log.h"

// TODO(floatbar): stand-ins until the floating toolbar lands; they only report what they were asked.
namespace {
HostCommandHandler floatBarCommandHandler = nullptr;
}

bool CreateFloatBar(HostCommandHandler handler) {
    floatBarCommandHandler = handler;
    LogInfo(L"TODO 悬浮工具栏尚未实现：CreateFloatBar");
    return true;
}

void DestroyFloatBar() {
    floatBarCommandHandler = nullptr;
    LogInfo(L"TODO 悬浮工具栏尚未实现：DestroyFloatBar");
}

void SetFloatBarVisible(bool show) {
    LogInfo(L"TODO 悬浮工具栏尚未实现：SetFloatBarVisible show=%d", show ? 1 : 0);
}

void RelayoutFloatBar() {
    LogInfo(L"TODO 悬浮工具栏尚未实现：RelayoutFloatBar");
}

void HideFloatBarForCapture() {}

void ReshowFloatBarAfterCapture() {}
