#pragma once
// Footprint of another process, read from outside it: committed memory, working set and GDI objects in use.
#include <windows.h>

#include <cstdint>

// Bytes of private memory the process has committed (its own heaps, bitmaps and stacks; not the mapped
// program and DLL images), summed over its address space with VirtualQueryEx. 0 when it cannot be read.
uint64_t CommittedPrivateBytes(HANDLE process);
// The process's resident memory as GetProcessMemoryInfo reports it; 0 when it cannot be read.
uint64_t WorkingSetBytes(HANDLE process);
// GDI objects the process holds now, stock objects included, counted in the GDI handle table that Wine keeps
// in every process (the PEB points at it): Wine answers 0 to GetGuiResources. -1 when the table cannot be
// read. A leak of N objects raises the count by N.
long GdiObjectsInUse(HANDLE process);
// The access the three need.
constexpr DWORD kProcessProbeAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
