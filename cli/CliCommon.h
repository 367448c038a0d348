// Shared pieces of quorvex-cli: argument scanning, errors with exit codes, JSON and UTF-8 output.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
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

// JSON string literal of UTF-8 text.
std::string JsonString(const std::string& utf8);

// Code-page text as UTF-8 for output.
std::string Out(const std::string& codePage);

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
