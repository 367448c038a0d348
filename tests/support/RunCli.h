// Running quorvex-cli (or any command) as a user would, capturing its exit status and output.
// The test target defines QUORVEX_CLI as the path of the built program.
#pragma once

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "LibWriter.h"
#include "platform/FileSys.h"

namespace testsupport {

struct CliRun {
  int Exit;
  std::string Out, Err;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `cmdline` through the shell with its output in files of `dir`.
inline CliRun Shell(const TTempDir& dir, const std::string& cmdline) {
  std::filesystem::path out = dir.Path() / ".out", err = dir.Path() / ".err";
  std::string cmd = cmdline + " >" + Quote(out.string()) + " 2>" + Quote(err.string());
  int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, platform::ReadFileBytes(out), platform::ReadFileBytes(err)};
}

#ifdef QUORVEX_CLI
inline CliRun Cli(const TTempDir& dir, const std::vector<std::string>& args) {
  std::string cmd = Quote(QUORVEX_CLI);
  for (const auto& a : args) cmd += " " + Quote(a);
  return Shell(dir, cmd);
}
#endif

}  // namespace testsupport
