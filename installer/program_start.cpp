#include "installer/program_start.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
// Before shldisp.h: shellapi.h's ShellExecute macro then renames the interface's method and its call alike.
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include "installer/setup_log.h"

namespace {

// SID_STopLevelBrowser, the service of the window that hosts a shell view. (The interfaces come with their
// identifiers through __uuidof; this service has none.)
const GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// One COM interface pointer, released when it goes.
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

    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    // For the calls that hand out an interface.
    void** Out() { return reinterpret_cast<void**>(&pointer_); }
    Interface** OutTyped() { return &pointer_; }

  private:
    Interface* pointer_ = nullptr;
};

// A string for a COM call, freed when it goes.
class ComText {
  public:
    explicit ComText(const wchar_t* text) : text_(SysAllocString(text)) {}
    ~ComText() { SysFreeString(text_); }
    ComText(const ComText&) = delete;
    ComText& operator=(const ComText&) = delete;

    BSTR Get() const { return text_; }
    VARIANT AsVariant() const {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = text_;
        return value;
    }

  private:
    BSTR text_;
};

// The desktop shell's window, its browser, the view of the desktop folder and, behind it, the shell's
// automation object, which starts programs as the shell's own process does.
HRESULT FindDesktopShell(ComRef<IShellDispatch2>& shell) {
    ComRef<IShellWindows> windows;
    HRESULT result = CoCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER,
                                      __uuidof(IShellWindows), windows.Out());
    if (FAILED(result)) {
        return result;
    }
    VARIANT desktop;
    VariantInit(&desktop);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT noRoot;
    VariantInit(&noRoot);
    long window = 0;
    ComRef<IDispatch> found;
    result =
        windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.OutTyped());
    // S_FALSE: no desktop window is registered.
    if (result != S_OK || found.Get() == nullptr) {
        return result == S_OK ? E_POINTER : result;
    }
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    if (FAILED(result = found->QueryInterface(__uuidof(IServiceProvider), services.Out())) ||
        FAILED(result = services->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), browser.Out())) ||
        FAILED(result = browser->QueryActiveShellView(view.OutTyped())) ||
        FAILED(result = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.Out())) ||
        FAILED(result = background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.Out())) ||
        FAILED(result = folderView->get_Application(application.OutTyped())) ||
        FAILED(result = application->QueryInterface(__uuidof(IShellDispatch2), shell.Out()))) {
        return result;
    }
    return S_OK;
}

HRESULT StartThroughShell(IShellDispatch2* shell, const wchar_t* program, const wchar_t* folder) {
    const ComText file(program);
    const ComText directory(folder);
    const ComText open(L"open");
    VARIANT noArguments;
    VariantInit(&noArguments);
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return shell->ShellExecute(file.Get(), noArguments, directory.AsVariant(), open.AsVariant(), show);
}

// True when the desktop shell took the start; logs why not otherwise.
bool StartThroughDesktopShell(const wchar_t* program, const wchar_t* folder) {
    // Only a desktop that has a shell of its own: the shell's window list may also answer for another
    // desktop (Wine's does), and the program would then run where the user never sees it.
    if (GetShellWindow() == nullptr) {
        WriteSetupLog(L"当前桌面没有外壳窗口");
        return false;
    }
    ComRef<IShellDispatch2> shell;
    const HRESULT found = FindDesktopShell(shell);
    if (found != S_OK) {
        WriteSetupLog({L"桌面外壳没有应答 hr=", FormatHex32(static_cast<std::uint32_t>(found)).text});
        return false;
    }
    const HRESULT started = StartThroughShell(shell.Get(), program, folder);
    if (started != S_OK) {
        WriteSetupLog({L"桌面外壳启动程序失败 hr=", FormatHex32(static_cast<std::uint32_t>(started)).text});
        return false;
    }
    return true;
}

// A line that says how the program started, with the token facts as name=value: " elevated=1 type=2".
void LogStart(const wchar_t* message, const TokenFacts& facts) {
    WriteSetupLog({message, L" elevated=", facts.elevated ? L"1" : L"0", L" type=",
                   FormatDecimal(static_cast<unsigned>(facts.kind)).text});
}

} // namespace

TokenFacts ReadTokenFacts() {
    TokenFacts facts;
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation = {};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) ||
        !GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size)) {
        WriteSetupLog({L"读取令牌失败 err=", FormatDecimal(GetLastError()).text});
        // Taken as the case to guard against: the shell is asked, and if it answers the program runs with
        // the signed-in user's own rights whatever this token holds.
        facts.elevated = true;
        facts.kind = TokenElevationKind::Full;
    } else {
        facts.elevated = elevation.TokenIsElevated != 0;
        facts.kind = static_cast<TokenElevationKind>(type);
    }
    if (token != nullptr) {
        CloseHandle(token);
    }
    return facts;
}

void StartInstalledProgram(const wchar_t* program, const wchar_t* folder) {
    TokenFacts facts = ReadTokenFacts();
    // The shell is asked only where its answer would be used.
    facts.desktopShellAnswered = true;
    if (ChooseProgramStart(facts) == ProgramStart::ThroughDesktopShell &&
        StartThroughDesktopShell(program, folder)) {
        LogStart(L"已通过桌面外壳启动程序", facts);
        return;
    }
    facts.desktopShellAnswered = false;
    // Korvel reports its own start-up problems in its tray and log.
    const HINSTANCE started = ShellExecuteW(nullptr, L"open", program, nullptr, folder, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(started) <= 32) {
        WriteSetupLog({L"启动程序失败 err=", FormatDecimal(GetLastError()).text});
        return;
    }
    LogStart(ChooseProgramStart(facts) == ProgramStart::DirectlyElevated
                 ? L"已直接启动程序，它以提升的权限运行"
                 : L"已直接启动程序",
             facts);
}
