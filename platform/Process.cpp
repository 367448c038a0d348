#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FileSys.h"

extern char** environ;

namespace platform {
namespace {

using TEnv = std::vector<std::pair<std::string, std::string>>;

// The caller's environment with `extra` replacing, adding or removing variables.
std::vector<std::string> Environment(const TEnv& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view var(*e);
    bool replaced = false;
    for (const auto& [name, value] : extra)
      if (var.size() > name.size() && var.compare(0, name.size(), name) == 0 && var[name.size()] == '=') replaced = true;
    if (!replaced) env.emplace_back(var);
  }
  for (const auto& [name, value] : extra)
    if (value != kRemoveVariable) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Closes a descriptor once, whatever path the code takes.
struct TFd {
  int Fd = -1;
  ~TFd() { Close(); }
  void Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }
};

// Starts `program`: its standard input, output and error come from `in`, `out`, `err`
// (-1: /dev/null). The program's own ends of the pipes are closed in the parent by the caller.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& dir,
            const TEnv& extra, int in, int out, int err) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = Environment(extra);
  std::vector<char*> argp = Pointers(argv), envp = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  auto route = [&](int fd, int target, int flags) {
    if (fd >= 0)
      posix_spawn_file_actions_adddup2(&actions, fd, target);
    else
      posix_spawn_file_actions_addopen(&actions, target, "/dev/null", flags, 0);
  };
  route(in, 0, O_RDONLY);
  route(out, 1, O_WRONLY);
  route(err, 2, O_WRONLY);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc == ENOENT && !dir.empty() && !std::filesystem::is_directory(dir))
    throw TFileError("Cannot open folder \"" + PathText(dir) + "\". " + std::strerror(ENOENT));
  if (rc == ENOENT) throw TFileError("The program \"" + program + "\" was not found; is it installed?");
  if (rc != 0) throw TFileError("Cannot run \"" + program + "\". " + std::strerror(rc));
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void MakePipe(int fds[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) throw TFileError(std::string("Cannot make a pipe. ") + std::strerror(errno));
}

}  // namespace

TProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& dir, const TEnv& env) {
  int outPipe[2], errPipe[2];
  MakePipe(outPipe);
  TFd outRead{outPipe[0]}, outWrite{outPipe[1]};
  MakePipe(errPipe);
  TFd errRead{errPipe[0]}, errWrite{errPipe[1]};
  pid_t pid = Spawn(program, args, dir, env, -1, outWrite.Fd, errWrite.Fd);
  outWrite.Close();
  errWrite.Close();

  // Both pipes are drained together, so that a program filling one of them cannot stall. Error
  // output beyond kErrorBytes is read to the end but not kept: a program may write without end.
  TProgramResult result;
  std::size_t errorsDropped = 0;
  pollfd fds[2] = {{outRead.Fd, POLLIN, 0}, {errRead.Fd, POLLIN, 0}};
  std::string* sinks[2] = {&result.Out, &result.Err};
  int open = 2;
  char chunk[65536];
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        std::size_t keep = static_cast<std::size_t>(n);
        if (i == 1) {
          keep = std::min(keep, kErrorBytes - std::min(kErrorBytes, result.Err.size()));
          errorsDropped += static_cast<std::size_t>(n) - keep;
        }
        sinks[i]->append(chunk, keep);
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  if (errorsDropped > 0)
    result.Err += "\n[" + std::to_string(errorsDropped) + " more bytes of error output left out]\n";
  result.Exit = Wait(pid);
  return result;
}

// The input is a socket, whose buffer holds far more than this.
const std::size_t TPipedProcess::kRequestRoom = 16384;

TPipedProcess::TPipedProcess(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& dir, const TEnv& env)
    : program_(program) {
  // The input is a socket, so that writing to a program that has ended gives an error rather
  // than a signal that would end this one.
  int inPair[2], outPipe[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inPair) != 0)
    throw TFileError(std::string("Cannot make a pipe. ") + std::strerror(errno));
  TFd inWrite{inPair[0]}, inRead{inPair[1]};
  MakePipe(outPipe);
  TFd outRead{outPipe[0]}, outWrite{outPipe[1]};
  pid_ = Spawn(program, args, dir, env, inRead.Fd, outWrite.Fd, -1);
  std::swap(in_, inWrite.Fd);
  std::swap(out_, outRead.Fd);
}

TPipedProcess::~TPipedProcess() {
  if (in_ >= 0) ::close(in_);
  if (out_ >= 0) ::close(out_);
  if (pid_ > 0) Wait(pid_);
}

void TPipedProcess::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(in_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TFileError("\"" + program_ + "\" stopped taking requests. " + std::strerror(errno));
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void TPipedProcess::Fill() {
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(out_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(n));
      return;
    }
    if (n < 0 && errno == EINTR) continue;
    throw TFileError("\"" + program_ + "\" ended before it answered.");
  }
}

std::string TPipedProcess::ReadLine() {
  for (;;) {
    std::size_t nl = buffer_.find('\n', pos_);
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
    std::size_t take = std::min(count - out.size(), buffer_.size() - pos_);
    out.append(buffer_, pos_, take);
    pos_ += take;
  }
  return out;
}

}  // namespace platform
