// The capture pipeline's sequence, with its steps replaced by recording fakes that hand out real bitmaps.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/capture_pipeline.h"
#include "config/config.h"
#include "support/test_support.h"

namespace {

struct PipelineRecord {
    std::vector<std::string> calls;
    unsigned pausedMs = 0;
    bool captureSucceeds = true;
    bool captureGivesBitmap = true;
    bool saveSucceeds = true;
    enum class Preview { Takes, RefusesKeeping, TakesThenFails } preview = Preview::Takes;
    bool reenterDuringCapture = false;
    HBITMAP handedOut = nullptr; // the last bitmap a capture step made
    HBITMAP taken = nullptr;     // the bitmap the preview took over before it failed
    HBITMAP still = nullptr;
    std::wstring savedFolder;
};
PipelineRecord record;

HBITMAP MakeBitmap() {
    return CreateBitmap(8, 6, 1, 32, nullptr);
}

bool FillCapture(const char* name, CapturedImage& out) {
    record.calls.push_back(name);
    if (record.reenterDuringCapture) {
        RunCapture(CaptureMode::Screen); // as a shortcut dispatched by a nested message loop would
    }
    if (record.captureGivesBitmap) {
        out.bitmap = record.handedOut = MakeBitmap();
        out.width = 8;
        out.height = 6;
        out.originX = -30;
        out.originY = 40;
    }
    return record.captureSucceeds;
}

CaptureSteps FakeSteps() {
    CaptureSteps steps;
    steps.hideToolbar = [] { record.calls.push_back("hide"); };
    steps.reshowToolbar = [] { record.calls.push_back("reshow"); };
    steps.pause = [](unsigned ms) {
        record.calls.push_back("pause");
        record.pausedMs += ms;
    };
    steps.captureVirtualScreen = [](CapturedImage& out) {
        record.calls.push_back("virtual");
        if (!record.captureSucceeds) {
            return false;
        }
        out.bitmap = record.still = MakeBitmap();
        out.width = 8;
        out.height = 6;
        return true;
    };
    steps.runRegionOverlay = [](const CapturedImage& still, CapturedImage& result) {
        EXPECT_EQ(still.bitmap, record.still);
        return FillCapture("overlay", result);
    };
    steps.captureMonitorUnderCursor = [](CapturedImage& out) { return FillCapture("monitor", out); };
    steps.captureForegroundWindow = [](CapturedImage& out) { return FillCapture("window", out); };
    steps.autoSave = [](const CapturedImage& image, const std::wstring& folder, int, int,
                        std::wstring& path) {
        record.calls.push_back("save");
        EXPECT_NE(image.bitmap, nullptr);
        record.savedFolder = folder;
        path = record.saveSucceeds ? folder + L"\\Korvel_test.png" : L"";
        return record.saveSucceeds;
    };
    steps.showPreview = [](CapturedImage& image) {
        record.calls.push_back("preview");
        switch (record.preview) {
        case PipelineRecord::Preview::Takes:
            DeleteObject(image.bitmap); // stands for the window that now owns it
            image.bitmap = nullptr;
            return true;
        case PipelineRecord::Preview::TakesThenFails:
            // Kept alive here, so that a second release by the pipeline would show: the preview frees it.
            record.taken = image.bitmap;
            image.bitmap = nullptr;
            return false;
        default:
            return false;
        }
    };
    return steps;
}

bool BitmapAlive(HBITMAP bitmap) {
    return bitmap != nullptr && GetObjectType(bitmap) == OBJ_BITMAP;
}

class CapturePipelineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        record = PipelineRecord();
        savedConfig_ = GetConfig();
        GetConfig().saveDir = L"D:\\Shots";
        GetConfig().format = ImageFormat::Jpeg;
    }
    void TearDown() override { GetConfig() = savedConfig_; }

    void Run(CaptureMode mode) { RunCaptureWith(mode, steps_); }

    CapturedLog log_;
    CaptureSteps steps_ = FakeSteps();
    AppConfig savedConfig_;
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(CapturePipelineTest, ScreenCaptureIsSavedThenShownBetweenOneHideAndOneReshow) {
    Run(CaptureMode::Screen);
    EXPECT_EQ(record.calls, (Calls{"hide", "pause", "monitor", "save", "preview", "reshow"}));
    EXPECT_EQ(record.pausedMs, 50u);
    EXPECT_EQ(record.savedFolder, L"D:\\Shots");
    const auto& lines = log_.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(L"[INFO] 开始截图 mode=1"), std::wstring::npos);
    EXPECT_NE(lines[1].find(L"[INFO] 截图完成 size=8x6 origin=(-30,40)"), std::wstring::npos);
    EXPECT_NE(lines[2].find(L"[INFO] 已保存 D:\\Shots\\Korvel_test.png"), std::wstring::npos);

    // The flag was cleared: the next request runs.
    record.calls.clear();
    Run(CaptureMode::Screen);
    EXPECT_EQ(record.calls.size(), 6u);
}

TEST_F(CapturePipelineTest, ModesChooseTheirCaptureStep) {
    struct Case {
        CaptureMode mode;
        Calls expected;
    } cases[] = {
        {CaptureMode::Region, {"hide", "pause", "virtual", "overlay", "save", "preview", "reshow"}},
        {CaptureMode::Screen, {"hide", "pause", "monitor", "save", "preview", "reshow"}},
        {CaptureMode::Window, {"hide", "pause", "window", "save", "preview", "reshow"}},
        {static_cast<CaptureMode>(7), {"hide", "pause", "window", "save", "preview", "reshow"}},
    };
    for (const Case& c : cases) {
        record = PipelineRecord();
        Run(c.mode);
        EXPECT_EQ(record.calls, c.expected) << static_cast<int>(c.mode);
    }
}

TEST_F(CapturePipelineTest, RegionStillIsReleasedWhateverTheOverlayReturns) {
    for (bool selected : {true, false}) {
        record = PipelineRecord();
        record.captureSucceeds = selected;
        record.captureGivesBitmap = selected;
        // The still itself is made by a step that succeeds; only the overlay's answer changes.
        steps_.captureVirtualScreen = [](CapturedImage& out) {
            record.calls.push_back("virtual");
            out.bitmap = record.still = MakeBitmap();
            return true;
        };
        Run(CaptureMode::Region);
        EXPECT_FALSE(BitmapAlive(record.still)) << "selected=" << selected;
    }
}

TEST_F(CapturePipelineTest, FailedOrEmptyCaptureEndsQuietlyAndReleasesWhatItGot) {
    struct Case {
        CaptureMode mode;
        bool succeeds;
        bool givesBitmap;
    } cases[] = {
        {CaptureMode::Screen, false, false}, {CaptureMode::Screen, false, true},
        {CaptureMode::Screen, true, false},  {CaptureMode::Window, false, true},
        {CaptureMode::Region, false, false},
    };
    for (const Case& c : cases) {
        record = PipelineRecord();
        record.captureSucceeds = c.succeeds;
        record.captureGivesBitmap = c.givesBitmap;
        log_.Clear();
        Run(c.mode);
        const std::wstring cancelled =
            L"[INFO] 截图取消或失败 mode=" + std::to_wstring(static_cast<int>(c.mode));
        EXPECT_EQ(log_.Count(cancelled), 1);
        EXPECT_EQ(record.calls.back(), "reshow");
        EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "hide"), 1);
        EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "save"), 0);
        EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "preview"), 0);
        EXPECT_FALSE(BitmapAlive(record.handedOut));
    }
}

TEST_F(CapturePipelineTest, FailedSaveIsLoggedAndThePreviewStillComes) {
    record.saveSucceeds = false;
    Run(CaptureMode::Screen);
    EXPECT_EQ(record.calls, (Calls{"hide", "pause", "monitor", "save", "preview", "reshow"}));
    EXPECT_TRUE(log_.Contains(L"[ERROR] 保存截图失败 dir=D:\\Shots format=1"));
    EXPECT_FALSE(log_.Contains(L"已保存"));
}

TEST_F(CapturePipelineTest, APreviewThatRefusesLeavesNoBitmapBehind) {
    // Refused with the bitmap still in the image: the pipeline deletes it.
    record.preview = PipelineRecord::Preview::RefusesKeeping;
    Run(CaptureMode::Screen);
    EXPECT_FALSE(BitmapAlive(record.handedOut));
    EXPECT_EQ(record.calls.back(), "reshow");
}

TEST_F(CapturePipelineTest, APreviewThatTookTheBitmapBeforeFailingIsLeftToFreeIt) {
    // The preview took the bitmap, then failed: it frees the bitmap itself, so the pipeline must not release
    // the handle again.
    record.preview = PipelineRecord::Preview::TakesThenFails;
    Run(CaptureMode::Screen);
    EXPECT_EQ(record.taken, record.handedOut);
    EXPECT_TRUE(BitmapAlive(record.taken)) << "the pipeline released a bitmap the preview had taken";
    EXPECT_EQ(record.calls.back(), "reshow");
    DeleteObject(record.taken);
}

TEST_F(CapturePipelineTest, ASecondRequestWhileOneRunsIsRefusedWithoutTouchingTheToolbar) {
    record.reenterDuringCapture = true;
    Run(CaptureMode::Region);
    EXPECT_EQ(log_.Count(L"[INFO] 已有截图进行中，忽略本次请求 mode=1"), 1);
    EXPECT_EQ(log_.Count(L"开始截图"), 1);
    EXPECT_EQ(record.calls, (Calls{"hide", "pause", "virtual", "overlay", "save", "preview", "reshow"}));
}
