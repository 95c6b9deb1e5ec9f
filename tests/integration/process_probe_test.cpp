// The footprint measures that the soak reads from Korvel.exe, checked on this process through a handle of
// its own, as they read any other process: objects and memory kept alive must show by their exact amount.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "support/bitmap_pixels.h"
#include "support/process_probe.h"

namespace {

class ProcessProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        self_ = OpenProcess(kProcessProbeAccess, FALSE, GetCurrentProcessId());
        ASSERT_NE(self_, nullptr) << GetLastError();
    }
    void TearDown() override { CloseHandle(self_); }
    HANDLE self_ = nullptr;
};

} // namespace

TEST_F(ProcessProbeTest, TenPensKeptAliveRaiseTheGdiCountByTen) {
    const long before = GdiObjectsInUse(self_);
    ASSERT_GT(before, 0);
    HPEN pens[10];
    for (HPEN& pen : pens) {
        pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    }
    EXPECT_EQ(GdiObjectsInUse(self_), before + 10);
    for (HPEN pen : pens) {
        DeleteObject(pen);
    }
    EXPECT_EQ(GdiObjectsInUse(self_), before);
    // The table read is the one GDI allocates from: what is in use and what can still be made fill all of it
    // that Wine hands out (all but its first 32 entries).
    EXPECT_EQ(GdiObjectsInUse(self_) + GdiHeadroom(), 65536 - 32);
}

TEST_F(ProcessProbeTest, CommittedMemoryShowsAnAllocationUntilItIsFreed) {
    constexpr SIZE_T kSize = 64u << 20;
    const uint64_t before = CommittedPrivateBytes(self_);
    ASSERT_GT(before, 0u);
    void* block = VirtualAlloc(nullptr, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    // Committed counts even untouched pages; the working set only the ones written.
    EXPECT_EQ(CommittedPrivateBytes(self_), before + kSize);
    const uint64_t residentBefore = WorkingSetBytes(self_);
    memset(block, 1, kSize);
    EXPECT_GE(WorkingSetBytes(self_), residentBefore + kSize / 2);
    VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_EQ(CommittedPrivateBytes(self_), before);
}
