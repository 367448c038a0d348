// UTF-8 and UTF-16 for the Windows API, and the messages of its errors.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::win {

inline std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

inline std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The path as the file functions take it: with the \\?\ prefix where it is absolute and longer
// than the old limit of 260 characters, so that long paths work without the system's setting.
inline std::wstring ApiPath(const std::filesystem::path& p) {
  std::wstring w = p.wstring();
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  if (w.size() >= MAX_PATH - 12 && p.is_absolute() && w.rfind(L"\\\\", 0) != 0) return L"\\\\?\\" + w;
  if (w.size() >= MAX_PATH - 12 && w.rfind(L"\\\\", 0) != 0 && !p.is_absolute())
    return L"\\\\?\\" + std::filesystem::absolute(p).make_preferred().wstring();
  return w;
}

// The reason of a Windows error in the words the POSIX build uses for the same cases, so that
// messages read alike on both systems.
inline std::string Reason(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "Permission denied";
    case ERROR_DIRECTORY:
      return "Not a directory";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    default:
      break;
  }
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
                 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = text ? Narrow(text) : "Windows error " + std::to_string(err);
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace platform::win
