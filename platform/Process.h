// Running another program (git) and talking to it through pipes. The program is looked up on
// PATH; its standard error is collected (RunProgram, up to kErrorBytes) or dropped
// (TPipedProcess), never shown.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A value in `env` that removes the variable from the program's environment instead of setting
// it (no environment value can hold a NUL).
inline const std::string kRemoveVariable(1, '\0');

// How much of a program's standard error RunProgram keeps; the rest is read and dropped, and a
// line saying how much was left out ends Err.
constexpr std::size_t kErrorBytes = 8192;

struct TProgramResult {
  int Exit = -1;  // the exit status; -1 when the program was ended by a signal
  std::string Out, Err;
};

// Runs `program` with `args` in the folder `dir` (the current folder when empty), its standard
// input empty, `env` added to the environment (or removed from it, kRemoveVariable), and waits
// for it. Throws TFileError naming the
// program when it cannot be started (not installed, not executable).
TProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& dir = {},
                          const std::vector<std::pair<std::string, std::string>>& env = {});

// A program that runs beside the caller, which writes requests to its standard input and reads
// the answers from its standard output, one at a time. Reads block until the program answers;
// a program that ends early makes them throw TFileError.
class TPipedProcess {
 public:
  TPipedProcess(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& dir = {},
                const std::vector<std::pair<std::string, std::string>>& env = {});
  ~TPipedProcess();  // closes the program's input and waits for it to end
  TPipedProcess(const TPipedProcess&) = delete;
  TPipedProcess& operator=(const TPipedProcess&) = delete;

  // How many bytes of requests the program's input holds unread without blocking the writer: a
  // program blocked on an answer that is not read takes no more requests.
  static const std::size_t kRequestRoom;

  void Write(std::string_view bytes);
  // The next line of output without its "\n".
  std::string ReadLine();
  // The next `count` bytes of output.
  std::string Read(std::size_t count);

 private:
  void Fill();
  std::string program_;
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffer_;
  std::size_t pos_ = 0;
};

}  // namespace platform
