#include "settings/folder_picker.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "log/log.h"
#include "settings/path_edit.h"
#include "settings/settings_apply.h"
#include "settings/settings_ids.h"
#include "text/texts.h"

namespace {

// Owns one reference to a COM interface and releases it when it goes.
template <typename Interface> class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    // For the functions that hand out a new reference.
    void** Out() { return reinterpret_cast<void**>(&pointer_); }
    Interface** OutTyped() { return &pointer_; }

  private:
    Interface* pointer_ = nullptr;
};

unsigned HresultBits(HRESULT result) {
    return static_cast<unsigned>(result);
}

// Opens the dialog in the field's folder; a path that does not name a folder leaves the dialog where it
// starts on its own.
void StartInFieldFolder(IFileOpenDialog* dialog, HWND window) {
    const std::wstring path = ReadPathField(window);
    if (path.empty()) {
        return;
    }
    ComRef<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, folder.Out())) &&
        folder.Get() != nullptr) {
        dialog->SetFolder(folder.Get());
    }
}

void TakeChosenFolder(IFileOpenDialog* dialog, HWND window) {
    ComRef<IShellItem> item;
    PWSTR chosen = nullptr;
    if (FAILED(dialog->GetResult(item.OutTyped())) || item.Get() == nullptr ||
        FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen)) || chosen == nullptr) {
        LogError(L"读取所选目录失败");
        return;
    }
    LogInfo(L"选择保存目录 %s", chosen);
    SetWindowTextW(GetDlgItem(window, kPathEditId), chosen);
    CoTaskMemFree(chosen);
}

} // namespace

void BrowseSaveFolder(HWND window) {
    ComRef<IFileOpenDialog> dialog;
    const HRESULT created = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IFileOpenDialog, dialog.Out());
    if (FAILED(created) || dialog.Get() == nullptr) {
        LogError(L"创建目录选择对话框失败 hr=0x%08X", HresultBits(created));
        ShowSettingsMessage(window, 22, MB_ICONERROR);
        return;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    dialog->SetTitle(GetText(23));
    StartInFieldFolder(dialog.Get(), window);

    const HRESULT shown = dialog->Show(window);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
        return;
    }
    if (FAILED(shown)) {
        LogError(L"目录选择对话框失败 hr=0x%08X", HresultBits(shown));
        return;
    }
    TakeChosenFolder(dialog.Get(), window);
}
