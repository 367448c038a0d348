// Shared pieces of quorvex-cli: argument scanning, errors with exit codes, JSON and UTF-8 output.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Exit codes: 0 success, 1 done with warnings (a corrupt library, missing listed files, or for
// the comparisons: differences found), 2 a missing, unreadable or malformed argument.
enum TExit { ExitOk = 0, ExitWarn = 1, ExitUsage = 2 };

// Ends a command with exit code 2 and a one-line message on stderr.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Command-line words split into flags and operands. Flags are "--name" or "--name value"; the
// flags that take a value are declared up front.
struct TArgs {
  std::vector<std::string> Operands;
  std::vector<std::pair<std::string, std::string>> Flags;

  bool Has(const std::string& flag) const;
  std::string Value(const std::string& flag, const std::string& fallback = {}) const;
};

TArgs ParseArgs(const std::vector<std::string>& words, const std::vector<std::string>& valueFlags,
                const std::vector<std::string>& switchFlags);

// JSON string literal of UTF-8 text. Control characters (also DEL and U+0080..U+009F) are
// escaped as \uXXXX; a byte that is not UTF-8 becomes U+FFFD, so the result is always valid JSON.
std::string JsonString(const std::string& utf8);

// Code-page text as UTF-8 (for JSON, files and comparisons).
std::string Out(const std::string& codePage);

// A name or another field of a text line, for a terminal: UTF-8 with every control character
// escaped (\t, \n and \x1b alike), so that it can neither move to another field or line nor
// drive the terminal.
std::string Field(const std::string& utf8);
std::string FieldOf(const std::string& codePage);

// Sends everything written to std::cout and std::cerr through a filter that writes control
// characters other than line feed and tab as \xNN (U+0080..U+009F as \uNNNN): no name in a
// library, path or message reaches the terminal as an escape sequence, whatever prints it. The
// filter holds until the object goes, which flushes both streams.
class TTerminalGuard {
 public:
  TTerminalGuard();
  ~TTerminalGuard();
  TTerminalGuard(const TTerminalGuard&) = delete;
  TTerminalGuard& operator=(const TTerminalGuard&) = delete;

 private:
  struct TFilters;
  TFilters* filters_;
};

// Text escaped as the terminal guard does it; `keepBreaks` keeps line feeds and tabs.
std::string EscapeControls(std::string_view utf8, bool keepBreaks);

struct TCommand {
  const char* Name;
  const char* Summary;
  const char* Help;
  std::function<int(const std::vector<std::string>&)> Run;
};

// The commands, by group.
std::vector<TCommand> LibraryCommands();
std::vector<TCommand> CompareCommands();

}  // namespace cli
