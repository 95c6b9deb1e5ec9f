// Loads the DLL named on its command line the way most programs do, by name with the default search
// order; exit code 0 when it loaded.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    return argc > 1 && LoadLibraryW(argv[1]) != nullptr ? 0 : 1;
}
