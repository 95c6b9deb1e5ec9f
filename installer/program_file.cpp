#include "installer/program_file.h"

#include "installer/setup_log.h"
#include "installer/setup_rules.h"

namespace {

// The program carried inside the installer; the build embeds the Korvel.exe it has just made.
const int kProgramResourceId = 1;

void RemoveTempFile(const wchar_t* temp) {
    if (!DeleteFileW(temp)) {
        WriteSetupLog({L"删除临时文件失败 err=", FormatDecimal(GetLastError()).text});
    }
}

// Writes and flushes the whole file; logs the step that failed.
bool WriteAndFlush(HANDLE file, const void* bytes, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file, bytes, size, &written, nullptr)) {
        WriteSetupLog({L"写出程序不完整 err=", FormatDecimal(GetLastError()).text});
        return false;
    }
    // A write may report success for less than it was given; that sets no error code.
    if (written != size) {
        WriteSetupLog(
            {L"写出程序不完整 written=", FormatDecimal(written).text, L" size=", FormatDecimal(size).text});
        return false;
    }
    // On disk before it takes the old program's place, so a power cut cannot leave an empty program behind.
    if (!FlushFileBuffers(file)) {
        WriteSetupLog({L"写入磁盘失败 err=", FormatDecimal(GetLastError()).text});
        return false;
    }
    return true;
}

} // namespace

DWORD CheckProgramFileFree(const wchar_t* path) {
    // Opened without truncating it: the old program must stay whole until the new one is ready.
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    CloseHandle(file);
    return ERROR_SUCCESS;
}

bool ReplaceProgramFile(const wchar_t* path, const void* bytes, DWORD size) {
    // No sharing: a running Korvel holds its file open, and then this fails with a sharing violation.
    const DWORD busy = CheckProgramFileFree(path);
    if (busy != ERROR_SUCCESS) {
        WriteSetupLog({L"写出程序失败 err=", FormatDecimal(busy).text});
        return false;
    }
    // (A path too long for the temporary name gives an empty one, which the system refuses.)
    const SetupPath temp = TempPathBeside(path);
    HANDLE file =
        CreateFileW(temp.text, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteSetupLog({L"创建临时文件失败 err=", FormatDecimal(GetLastError()).text});
        return false;
    }
    const bool written = WriteAndFlush(file, bytes, size);
    CloseHandle(file);
    if (!written) {
        RemoveTempFile(temp.text);
        return false;
    }
    if (!MoveFileExW(temp.text, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        WriteSetupLog({L"替换程序失败 err=", FormatDecimal(GetLastError()).text});
        RemoveTempFile(temp.text);
        return false;
    }
    return true;
}

bool WriteProgramFile(const wchar_t* path) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(kProgramResourceId), RT_RCDATA);
    if (found == nullptr) {
        WriteSetupLog(L"安装包里没有程序数据");
        return false;
    }
    const DWORD size = SizeofResource(self, found);
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (loaded == nullptr || bytes == nullptr || size == 0) {
        WriteSetupLog(L"读取安装包数据失败");
        return false;
    }
    if (!ReplaceProgramFile(path, bytes, size)) {
        return false;
    }
    WriteSetupLog({L"已写出 ", path, L" size=", FormatDecimal(size).text});
    return true;
}
