// Included first in every test of the Windows build (tests/CMakeLists.txt): the POSIX calls the
// tests use to set up their environment, over the C runtime of Windows.
#pragma once

#ifdef _WIN32
#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value);
}
// A path's c_str() is wide on Windows.
inline int setenv(const char* name, const wchar_t* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  wchar_t wide[256];
  size_t i = 0;
  for (; name[i] && i + 1 < sizeof wide / sizeof wide[0]; ++i) wide[i] = static_cast<wchar_t>(name[i]);
  wide[i] = L'\0';
  return _wputenv_s(wide, value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif
