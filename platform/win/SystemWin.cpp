// The program's arguments, standard streams, file status and folder listings on Windows.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <streambuf>

#include "WinText.h"
#include "platform/FileSys.h"
#include "platform/System.h"

// The C runtime's conversion of narrow text to wide characters, as UTF-8. The program holds paths
// as UTF-8 text and makes std::filesystem::path of it in many places; on Windows the standard
// library converts such text with mbrtowc, which the C runtime would read in the "C" locale (each
// byte a character). Defined here, in the file every program links, it takes the C runtime's
// place. Characters beyond the basic plane (four-byte UTF-8) cannot be one wchar_t and are refused.
extern "C" std::size_t mbrtowc(wchar_t* out, const char* s, std::size_t n, std::mbstate_t*) {
  if (!s) return 0;
  if (n == 0) return static_cast<std::size_t>(-2);
  const auto b0 = static_cast<unsigned char>(s[0]);
  const std::size_t len = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
  if (len == 0 || len == 4) {
    errno = EILSEQ;
    return static_cast<std::size_t>(-1);
  }
  if (n < len) return static_cast<std::size_t>(-2);
  wchar_t w[2];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, static_cast<int>(len), w, 2) != 1) {
    errno = EILSEQ;
    return static_cast<std::size_t>(-1);
  }
  if (out) *out = w[0];
  return w[0] == 0 ? 0 : len;
}

namespace platform {
namespace {

// 100-nanosecond ticks between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;

// UTF-8 written to a console as UTF-16 (WriteConsoleW), so that Chinese and accented characters
// show whatever the console's code page; a character cut between two writes waits for its end.
class TConsoleBuf : public std::streambuf {
 public:
  explicit TConsoleBuf(HANDLE console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override {
    if (Flush(false) != 0) return traits_type::eof();
    if (c != traits_type::eof()) {
      *pptr() = static_cast<char>(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Flush(true); }

 private:
  int Flush(bool all) {
    std::size_t n = static_cast<std::size_t>(pptr() - pbase());
    // Whole characters only: a lead byte and its continuation bytes stay together.
    std::size_t whole = n;
    std::size_t back = 0;
    while (back < n && back < 4 && (static_cast<unsigned char>(buffer_[n - 1 - back]) & 0xC0) == 0x80) ++back;
    if (back < n) {
      const auto lead = static_cast<unsigned char>(buffer_[n - 1 - back]);
      const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      // At a flush the cut character is written as it is (a replacement sign) rather than kept.
      if (len > back + 1 && !all) whole = n - 1 - back;
    }
    const std::wstring wide = win::Widen(std::string_view(buffer_, whole));
    std::size_t done = 0;
    while (done < wide.size()) {
      DWORD wrote = 0;
      if (!WriteConsoleW(console_, wide.data() + done, static_cast<DWORD>(wide.size() - done), &wrote, nullptr) || wrote == 0)
        return -1;
      done += wrote;
    }
    std::memmove(buffer_, buffer_ + whole, n - whole);
    setp(buffer_, buffer_ + sizeof buffer_);
    pbump(static_cast<int>(n - whole));
    return 0;
  }

  HANDLE console_;
  char buffer_[8192];
};

bool IsConsole(HANDLE h) {
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode);
}

}  // namespace

std::optional<TPathStat> StatPath(const std::filesystem::path& p) {
  HANDLE h = CreateFileW(win::ApiPath(p).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info);
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  TPathStat s;
  s.Kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Folder
           : type == FILE_TYPE_DISK                          ? TPathKind::File
                                                              : TPathKind::Other;
  s.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                info.ftLastWriteTime.dwLowDateTime) -
      kEpochTicks;
  s.Time = ticks >= 0 ? ticks / 10000000 : -((-ticks + 9999999) / 10000000);
  s.TimeNanos = (ticks - s.Time * 10000000) * 100;
  s.Device = info.dwVolumeSerialNumber;
  s.Node = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return s;
}

bool ToLocalTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

std::optional<std::vector<std::string>> FolderNames(const std::filesystem::path& dir) {
  std::wstring pattern = win::ApiPath(dir);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_DIRECTORY || err == ERROR_INVALID_NAME)
      return std::nullopt;
    throw TFileError("Cannot open folder \"" + PathText(dir) + "\". " + win::Reason(err));
  }
  std::vector<std::string> names;
  do {
    const std::wstring_view name(data.cFileName);
    if (name != L"." && name != L"..") names.push_back(win::Narrow(name));
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return names;
}

bool IsTerminal(int stream) { return IsConsole(GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)); }

void WriteStandardOutput(std::string_view bytes) {
  std::cout.flush();
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  while (!bytes.empty()) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(out, bytes.data(), want, &wrote, nullptr)) throw std::runtime_error("cannot write the output");
    bytes.remove_prefix(wrote);
  }
}

std::vector<std::string> ProgramArguments(int, char**) {
  // Bytes go to files and pipes as they are: no LF to CR LF.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  static TConsoleBuf* outBuf = nullptr;
  static TConsoleBuf* errBuf = nullptr;
  if (HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE); IsConsole(h)) {
    outBuf = new TConsoleBuf(h);
    std::cout.rdbuf(outBuf);
  }
  if (HANDLE h = GetStdHandle(STD_ERROR_HANDLE); IsConsole(h)) {
    errBuf = new TConsoleBuf(h);
    std::cerr.rdbuf(errBuf);
    std::cerr.setf(std::ios::unitbuf);
  }
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> words;
  for (int i = 1; wide && i < count; ++i) words.push_back(win::Narrow(wide[i]));
  if (wide) LocalFree(wide);
  return words;
}

std::filesystem::path ProgramFile() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      return std::filesystem::path(name);
    }
    name.resize(name.size() * 2);
  }
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string PathToUtf8(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

}  // namespace platform
