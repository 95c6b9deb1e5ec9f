#pragma once
// Makes a file unwritable for real while it lives. Run as root, Wine writes to a file whatever its read-only
// mode says; the file system's immutable flag (chattr +i) stops root too, and Wine then answers "access
// denied". chattr is a Unix program, which Wine starts like any other when asked to run it.
#include <windows.h>

#include <string>

class UnwritableFile {
  public:
    // Sets the flag and waits until opening the file for writing is refused.
    explicit UnwritableFile(const std::wstring& path);
    // Takes the flag off again, whatever happened meanwhile, so the file (and the build folder) can be
    // removed.
    ~UnwritableFile();
    UnwritableFile(const UnwritableFile&) = delete;
    UnwritableFile& operator=(const UnwritableFile&) = delete;

    // True once writing is refused; otherwise Problem() says why this machine could not make it so.
    bool Ok() const { return ok_; }
    const std::string& Problem() const { return problem_; }

  private:
    std::wstring path_;
    std::wstring unixPath_;
    bool ok_ = false;
    std::string problem_;
};
