// Running another program (git) on Windows: CreateProcessW, no shell, each argument quoted by the
// rules of the C runtime that splits the program's command line; the program found on PATH.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

#include "WinText.h"
#include "platform/FileSys.h"
#include "platform/Process.h"

namespace platform {
namespace {

using TEnv = std::vector<std::pair<std::string, std::string>>;

// One argument as the C runtime reads it back: quoted where it holds a blank or a quote or is
// empty; a quote escaped with a backslash, and the backslashes before a quote (or the closing
// one) doubled.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
      line += L'"';
    } else {
      line.append(backslashes, L'\\');
      line += arg[i];
    }
  }
  line += L'"';
}

// The caller's environment with `extra` replacing, adding or removing variables, as a block of UTF-16
// strings (names compared without case, as Windows does).
std::wstring EnvironmentBlock(const TEnv& extra) {
  std::wstring block;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* e = env; e && *e; e += wcslen(e) + 1) {
    const std::wstring var(e);
    bool replaced = false;
    for (const auto& [name, value] : extra) {
      const std::wstring wname = win::Widen(name);
      replaced = replaced || (var.size() > wname.size() && var[wname.size()] == L'=' &&
                              CompareStringOrdinal(var.c_str(), static_cast<int>(wname.size()), wname.c_str(),
                                                   static_cast<int>(wname.size()), TRUE) == CSTR_EQUAL);
    }
    if (!replaced) block.append(var).push_back(L'\0');
  }
  if (env) FreeEnvironmentStringsW(env);
  for (const auto& [name, value] : extra)
    if (value != kRemoveVariable) block.append(win::Widen(name + "=" + value)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

struct THandle {
  HANDLE H = nullptr;
  ~THandle() { Close(); }
  void Close() {
    if (H && H != INVALID_HANDLE_VALUE) CloseHandle(H);
    H = nullptr;
  }
};

void MakePipe(THandle& read, THandle& write, DWORD size = 0) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  if (!CreatePipe(&read.H, &write.H, &sa, size)) throw TFileError("Cannot make a pipe. " + win::Reason(GetLastError()));
}

HANDLE NullDevice(bool write) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileW(L"NUL", write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0,
                     nullptr);
}

// Starts `program` with its standard streams on the given handles (inheritable; null: NUL) and
// returns its process handle.
HANDLE Spawn(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& dir,
             const TEnv& extra, HANDLE in, HANDLE out, HANDLE err) {
  std::wstring line;
  AppendQuoted(line, win::Widen(program));
  for (const std::string& a : args) {
    line += L' ';
    AppendQuoted(line, win::Widen(a));
  }
  THandle nulIn, nulOut, nulErr;
  if (!in) in = nulIn.H = NullDevice(false);
  if (!out) out = nulOut.H = NullDevice(true);
  if (!err) err = nulErr.H = NullDevice(true);
  // Only the three handles are passed on, not every inheritable handle the program holds.
  HANDLE handles[3] = {in, out, err};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::string attrBuffer(size, '\0');
  auto* attrs = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attrBuffer.data());
  InitializeProcThreadAttributeList(attrs, 1, 0, &size);
  const DWORD handleCount = (in == out || in == err) ? 2 : 3;
  UpdateProcThreadAttribute(attrs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof(HANDLE) * handleCount, nullptr, nullptr);
  STARTUPINFOEXW si{};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = in;
  si.StartupInfo.hStdOutput = out;
  si.StartupInfo.hStdError = err;
  si.lpAttributeList = attrs;
  std::wstring env = EnvironmentBlock(extra);
  const std::wstring folder = dir.empty() ? std::wstring() : win::ApiPath(dir);
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                 CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, env.data(),
                                 folder.empty() ? nullptr : folder.c_str(), &si.StartupInfo, &pi);
  const DWORD error = GetLastError();
  DeleteProcThreadAttributeList(attrs);
  if (!ok) {
    if (!dir.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
      throw TFileError("Cannot open folder \"" + PathText(dir) + "\". No such file or directory");
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      throw TFileError("The program \"" + program + "\" was not found; is it installed?");
    throw TFileError("Cannot run \"" + program + "\". " + win::Reason(error));
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

int Wait(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}

// Everything the pipe gives until it closes; past `keep` bytes it is read and counted, not kept.
std::string ReadAll(HANDLE h, std::size_t keep = std::string::npos, std::size_t* dropped = nullptr) {
  std::string out;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    const std::size_t take = std::min<std::size_t>(got, keep - std::min(keep, out.size()));
    out.append(chunk, take);
    if (dropped) *dropped += got - take;
  }
  return out;
}

// The process handles of the running TPipedProcess objects, by process id (the class keeps an id).
std::mutex processesLock;
std::map<pid_t, HANDLE> processes;

}  // namespace

TProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& dir, const TEnv& env) {
  THandle outRead, outWrite, errRead, errWrite;
  MakePipe(outRead, outWrite);
  MakePipe(errRead, errWrite);
  SetHandleInformation(outRead.H, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.H, HANDLE_FLAG_INHERIT, 0);
  HANDLE process = Spawn(program, args, dir, env, nullptr, outWrite.H, errWrite.H);
  outWrite.Close();
  errWrite.Close();
  // Both pipes are drained together, so that a program filling one of them cannot stall.
  TProgramResult result;
  // Error output beyond kErrorBytes is read to the end but not kept: a program may write without end.
  std::size_t errorsDropped = 0;
  std::thread errReader([&] { result.Err = ReadAll(errRead.H, kErrorBytes, &errorsDropped); });
  result.Out = ReadAll(outRead.H);
  errReader.join();
  if (errorsDropped > 0)
    result.Err += "\n[" + std::to_string(errorsDropped) + " more bytes of error output left out]\n";
  result.Exit = Wait(process);
  return result;
}

// The input pipe is made larger than this; the size asked for is only a hint to the system, so
// the room counted on is a part of it.
const std::size_t TPipedProcess::kRequestRoom = 4096;

TPipedProcess::TPipedProcess(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& dir, const TEnv& env)
    : program_(program) {
  THandle inRead, inWrite, outRead, outWrite;
  MakePipe(inRead, inWrite, 65536);
  MakePipe(outRead, outWrite);
  SetHandleInformation(inWrite.H, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead.H, HANDLE_FLAG_INHERIT, 0);
  HANDLE process = Spawn(program, args, dir, env, inRead.H, outWrite.H, nullptr);
  in_ = _open_osfhandle(reinterpret_cast<intptr_t>(inWrite.H), _O_WRONLY | _O_BINARY);
  inWrite.H = nullptr;
  out_ = _open_osfhandle(reinterpret_cast<intptr_t>(outRead.H), _O_RDONLY | _O_BINARY);
  outRead.H = nullptr;
  pid_ = static_cast<pid_t>(GetProcessId(process));
  std::lock_guard lock(processesLock);
  processes[pid_] = process;
}

TPipedProcess::~TPipedProcess() {
  if (in_ >= 0) _close(in_);
  if (out_ >= 0) _close(out_);
  HANDLE process = nullptr;
  {
    std::lock_guard lock(processesLock);
    auto it = processes.find(pid_);
    if (it != processes.end()) {
      process = it->second;
      processes.erase(it);
    }
  }
  if (process) Wait(process);
}

void TPipedProcess::Write(std::string_view bytes) {
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(in_));
  while (!bytes.empty()) {
    DWORD wrote = 0;
    if (!WriteFile(h, bytes.data(), static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30)), &wrote, nullptr))
      throw TFileError("\"" + program_ + "\" stopped taking requests. " + win::Reason(GetLastError()));
    bytes.remove_prefix(wrote);
  }
}

void TPipedProcess::Fill() {
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[65536];
  DWORD got = 0;
  if (ReadFile(reinterpret_cast<HANDLE>(_get_osfhandle(out_)), chunk, sizeof chunk, &got, nullptr) && got > 0) {
    buffer_.append(chunk, got);
    return;
  }
  throw TFileError("\"" + program_ + "\" ended before it answered.");
}

std::string TPipedProcess::ReadLine() {
  for (;;) {
    const std::size_t nl = buffer_.find('\n', pos_);
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(pos_, nl - pos_);
      pos_ = nl + 1;
      return line;
    }
    Fill();
  }
}

std::string TPipedProcess::Read(std::size_t count) {
  std::string out;
  out.reserve(count);
  while (out.size() < count) {
    if (pos_ >= buffer_.size()) Fill();
    const std::size_t take = std::min(count - out.size(), buffer_.size() - pos_);
    out.append(buffer_, pos_, take);
    pos_ += take;
  }
  return out;
}

}  // namespace platform
