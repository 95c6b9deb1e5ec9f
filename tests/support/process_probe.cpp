#include "support/process_probe.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

// One entry of the GDI handle table (the layout Windows and Wine share on x64).
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type; // 0 for a free entry
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entries are 24 bytes");

// Wine's table has this many entries, of which it hands out all but the first 32.
constexpr size_t kGdiTableEntries = 65536;
// Where the PEB keeps the table's address on x64.
constexpr size_t kPebGdiTableOffset = 0xF8;

using QueryInformationProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool ReadRemote(HANDLE process, uint64_t address, void* to, size_t size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), to, size, &read) &&
           read == size;
}

} // namespace

uint64_t CommittedPrivateBytes(HANDLE process) {
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region = {};
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}

uint64_t WorkingSetBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

long GdiObjectsInUse(HANDLE process) {
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (query == nullptr || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return -1;
    }
    uint64_t table = 0;
    if (!ReadRemote(process, reinterpret_cast<uint64_t>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                    sizeof table) ||
        table == 0) {
        return -1;
    }
    std::vector<GdiHandleEntry> entries(kGdiTableEntries);
    if (!ReadRemote(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry))) {
        return -1;
    }
    long inUse = 0;
    for (const GdiHandleEntry& entry : entries) {
        inUse += entry.type != 0 ? 1 : 0;
    }
    return inUse;
}
