#pragma once
// Stands in for one function that the test program imports from a system DLL, for as long as the object
// lives. Korvel's code is linked into the test program, so every call it makes to that function goes to the
// stand-in instead; calls made inside the system DLLs themselves are not affected. A test uses it to see the
// objects Korvel frees and the calls it makes, or to make a system call fail in a way Wine never does on its
// own.
#include <vector>

class ImportPatch {
  public:
    // `function` is the imported name, such as "DeleteObject"; `standIn` has the same signature.
    ImportPatch(const char* function, const void* standIn);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the program does not import the function, so nothing was replaced.
    bool Active() const { return !slots_.empty(); }
    // The real function, for a stand-in that passes calls on.
    template <typename Function> Function Original() const { return reinterpret_cast<Function>(original_); }

  private:
    std::vector<void**> slots_;
    void* original_ = nullptr;
};

// While it lives, SelectObject (as the program imports it) refuses every bitmap of the given size, as GDI
// does for a bitmap that another DC holds; the first `allowed` selections of such a bitmap still go through,
// to reach a later step. One at a time.
class BitmapSelectionRefusal {
  public:
    BitmapSelectionRefusal(int width, int height, int allowed = 0);
    ~BitmapSelectionRefusal();
    BitmapSelectionRefusal(const BitmapSelectionRefusal&) = delete;
    BitmapSelectionRefusal& operator=(const BitmapSelectionRefusal&) = delete;

    bool Active() const { return patch_.Active(); }
    // How many selections were refused so far.
    int Refusals() const;

  private:
    ImportPatch patch_;
};
