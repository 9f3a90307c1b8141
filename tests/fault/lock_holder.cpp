// Another process holding the run lock's file, for the tests: `vornel_lock_holder LOCKFILE`
// opens LOCKFILE (created when missing) without sharing, as any other program or a run on
// another machine may, and keeps it open until it is killed. Exit status 1 when it cannot open
// the file, 2 on a usage error.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  for (;;) Sleep(INFINITE);
}
