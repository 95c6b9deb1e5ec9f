#include "support/import_patch.h"

#include <windows.h>

#include <cstring>

namespace {

// Writes one import address slot, which the loader leaves read-only.
void WriteSlot(void** slot, void* value) {
    DWORD previous = 0;
    if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        *slot = value;
        VirtualProtect(slot, sizeof *slot, previous, &previous);
    }
}

// Every import address slot of the program's own module that the loader filled for `function`, in any of
// the DLLs it is imported from.
std::vector<void**> FindSlots(const char* function) {
    std::vector<void**> slots;
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return slots;
    }
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (import->OriginalFirstThunk == 0) {
            continue; // no names to match against
        }
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                slots.push_back(reinterpret_cast<void**>(&addresses->u1.Function));
            }
        }
    }
    return slots;
}

} // namespace

ImportPatch::ImportPatch(const char* function, const void* standIn) : slots_(FindSlots(function)) {
    if (slots_.empty()) {
        return;
    }
    original_ = *slots_.front();
    for (void** slot : slots_) {
        WriteSlot(slot, const_cast<void*>(standIn));
    }
}

ImportPatch::~ImportPatch() {
    for (void** slot : slots_) {
        WriteSlot(slot, original_);
    }
}

namespace {

struct SelectionRefusal {
    int width = 0;
    int height = 0;
    int allowed = 0; // selections of such a bitmap still let through
    int refusals = 0;
    HGDIOBJ(WINAPI* realSelectObject)(HDC, HGDIOBJ) = nullptr;
};
SelectionRefusal refusal;

HGDIOBJ WINAPI RefuseBitmapsOfTheSize(HDC dc, HGDIOBJ object) {
    BITMAP bitmap = {};
    if (GetObjectType(object) == OBJ_BITMAP && GetObjectW(object, sizeof bitmap, &bitmap) == sizeof bitmap &&
        bitmap.bmWidth == refusal.width && bitmap.bmHeight == refusal.height) {
        if (refusal.allowed > 0) {
            --refusal.allowed;
            return refusal.realSelectObject(dc, object);
        }
        ++refusal.refusals;
        return nullptr;
    }
    return refusal.realSelectObject(dc, object);
}

} // namespace

BitmapSelectionRefusal::BitmapSelectionRefusal(int width, int height, int allowed)
    : patch_("SelectObject", reinterpret_cast<const void*>(&RefuseBitmapsOfTheSize)) {
    refusal = SelectionRefusal();
    refusal.width = width;
    refusal.height = height;
    refusal.allowed = allowed;
    refusal.realSelectObject = patch_.Original<HGDIOBJ(WINAPI*)(HDC, HGDIOBJ)>();
}

BitmapSelectionRefusal::~BitmapSelectionRefusal() = default;

int BitmapSelectionRefusal::Refusals() const {
    return refusal.refusals;
}
