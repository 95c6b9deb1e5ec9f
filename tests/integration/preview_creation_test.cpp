// ShowPreview when the system refuses its window, before the window procedure has taken the state
// (WM_NCCREATE) or after: the state record, its picture and its font must be freed exactly once either way.
// What is freed is seen through the C runtime's free and GDI's DeleteObject as the program imports them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "capture/captured_image.h"
#include "preview/preview.h"
#include "preview/preview_state.h"
#include "support/bitmap_pixels.h"
#include "support/import_patch.h"
#include "support/pattern.h"
#include "support/test_support.h"

namespace {

enum class Refusal {
    BeforeNcCreate, // a CBT hook vetoes the creation: the window procedure never runs
    AfterNcCreate   // the window's WM_CREATE fails: WM_NCCREATE has run, and WM_NCDESTROY follows
};

struct Watch {
    Refusal refusal = Refusal::BeforeNcCreate;
    WNDPROC previewProc = nullptr;
    HBITMAP picture = nullptr;
    int pictureDeletes = 0;
    int fontDeletes = 0;
    void* record = nullptr; // the state the window stored at WM_NCCREATE
    int recordFrees = 0;
};
Watch watch;

using DeleteObjectFunction = BOOL(WINAPI*)(HGDIOBJ);
using FreeFunction = void(__cdecl*)(void*);
DeleteObjectFunction realDeleteObject = nullptr;
FreeFunction realFree = nullptr;

BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
    if (object == watch.picture) {
        ++watch.pictureDeletes;
    } else if (GetObjectType(object) == OBJ_FONT) {
        ++watch.fontDeletes;
    }
    return realDeleteObject(object);
}

// The record's frees are counted and held back until the test ends, so that no later allocation can take
// its address meanwhile and a second free is seen (and cannot break the heap).
void __cdecl CountFree(void* block) {
    if (block != nullptr && block == watch.record) {
        ++watch.recordFrees;
        return;
    }
    realFree(block);
}

// The preview's own window procedure, with WM_CREATE failing.
LRESULT CALLBACK FailAtCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return -1;
    }
    const LRESULT result = CallWindowProcW(watch.previewProc, window, message, wParam, lParam);
    if (message == WM_NCCREATE) {
        watch.record = reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    return result;
}

bool IsPreviewClass(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return wcscmp(name, L"KorvelPreview") == 0;
}

// Sees every window of this thread being made, before its first message.
LRESULT CALLBACK RefusePreviewWindow(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsPreviewClass(window)) {
        if (watch.refusal == Refusal::BeforeNcCreate) {
            return 1;
        }
        watch.previewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FailAtCreate)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct RefusalCase {
    const char* name;
    Refusal refusal;
};

class PreviewCreationTest : public testing::TestWithParam<RefusalCase> {};

} // namespace

TEST_P(PreviewCreationTest, ARefusedWindowFreesTheStateExactlyOnce) {
    // A first preview registers the class; the refused one is the second.
    CapturedImage first{CreatePatternBitmap(40, 30, PatternColour), 40, 30, 100, 100};
    ASSERT_TRUE(ShowPreview(first));
    const size_t openBefore = previewWindows.size();

    watch = Watch();
    watch.refusal = GetParam().refusal;
    watch.picture = CreatePatternBitmap(60, 40, PatternColour);
    ASSERT_NE(watch.picture, nullptr);
    CapturedImage image{watch.picture, 60, 40, 300, 200};
    CapturedLog log;
    bool shown = true;
    {
        ImportPatch deletes("DeleteObject", reinterpret_cast<const void*>(&CountDeleteObject));
        ImportPatch frees("free", reinterpret_cast<const void*>(&CountFree));
        ASSERT_TRUE(deletes.Active() && frees.Active());
        realDeleteObject = deletes.Original<DeleteObjectFunction>();
        realFree = frees.Original<FreeFunction>();
        HHOOK hook = SetWindowsHookExW(WH_CBT, RefusePreviewWindow, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        shown = ShowPreview(image);
        UnhookWindowsHookEx(hook);
    }

    EXPECT_FALSE(shown);
    EXPECT_EQ(image.bitmap, nullptr) << "the picture was taken over";
    EXPECT_EQ(log.Count(L"[ERROR] 创建预览窗口失败 err="), 1);
    EXPECT_EQ(previewWindows.size(), openBefore);
    EXPECT_EQ(watch.pictureDeletes, 1);
    EXPECT_EQ(GetObjectType(watch.picture), 0u);
    EXPECT_EQ(watch.fontDeletes, 1);
    if (watch.refusal == Refusal::AfterNcCreate) {
        ASSERT_NE(watch.record, nullptr) << "the window procedure did not run";
        EXPECT_EQ(watch.recordFrees, 1);
    }
    if (watch.recordFrees > 0) {
        std::free(watch.record); // the free held back above
    }
    CloseAllPreviews();
}

INSTANTIATE_TEST_SUITE_P(Refusals, PreviewCreationTest,
                         testing::Values(RefusalCase{"BeforeNcCreate", Refusal::BeforeNcCreate},
                                         RefusalCase{"AfterNcCreate", Refusal::AfterNcCreate}),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });
