// quorvex-cli: the comparisons of Quorvex without a window, for scripts and build pipelines.
#include <iostream>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliMerge.h"
#include "CliSides.h"
#include "CliStructure.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "platform/System.h"

namespace {

std::vector<cli::TCommand> AllCommands() {
  std::vector<cli::TCommand> all = cli::LibraryCommands();
  for (auto& c : cli::CompareCommands()) all.push_back(std::move(c));
  for (auto& c : cli::StructureCommands()) all.push_back(std::move(c));
  for (auto& c : cli::MergeCommands()) all.push_back(std::move(c));
  return all;
}

const char* const kCodePageHelp =
    "  --codepage N reads 8-bit libraries, targets, workspaces and text files without a\n"
    "  byte-order mark in Windows code page N (936, the default, is read as GB18030).\n"
    "  --library-files reads a library file kept in one folder with its exports and its .pbg\n"
    "  object list (the older source-control layout) itself; by default the exports are that\n"
    "  library, and a library file that differs from them is a warning.\n";

void PrintHelp(const std::vector<cli::TCommand>& commands) {
  std::cout << "usage: quorvex-cli COMMAND [OPTIONS] ARGS...\n\n"
               "Reads PowerBuilder libraries (.pbl, 8-bit and UTF-16), targets (.pbt) and workspaces\n"
               "(.pbw) without PowerBuilder. Libraries are only ever read.\n\n"
               "A library or side (LIB, SIDE, FILE) is any of: a library file; a target or workspace;\n"
               "a folder of exported objects (.sr? files: X.pbl.src, X.pbl/, any folder of exports),\n"
               "which is one library; a folder holding libraries at any depth; or any of these as\n"
               "committed in git, git:REV:PATH (PATH from the top of the repository that holds the\n"
               "current folder; git:REV alone is its whole tree).\n\ncommands:\n";
  for (const auto& c : commands) {
    std::string name = c.Name;
    name.resize(14, ' ');
    std::cout << "  " << name << c.Summary << "\n";
  }
  std::cout << "\noptions of every command:\n" << kCodePageHelp;
  std::cout << "\n'quorvex-cli COMMAND --help' describes a command; 'quorvex-cli --version' prints the version.\n"
               "Exit status: 0 success (comparisons: no difference); 1 done with warnings (a damaged\n"
               "library, missing files) or, for the comparisons, differences found; 2 a missing,\n"
               "unreadable or malformed argument.\n";
}

// Takes "--codepage N" (or "--codepage=N") off the words, wherever it stands before a "--", and
// sets the 8-bit code page every command reads its input in. Throws TUsageError for a missing or
// unsupported number.
void TakeCodePage(std::vector<std::string>& words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--") return;
    std::string value;
    if (words[i] == "--codepage") {
      if (i + 1 >= words.size()) throw cli::TUsageError("--codepage needs a value");
      value = words[i + 1];
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(i), words.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    } else if (words[i].rfind("--codepage=", 0) == 0) {
      value = words[i].substr(11);
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      continue;
    }
    --i;
    int number = 0;
    const bool digits = !value.empty() && value.size() <= 5 &&
                        value.find_first_not_of("0123456789") == std::string::npos;
    if (digits) number = std::stoi(value);
    if (!platform::IsSupportedCodePage(number)) {
      std::string known;
      for (const auto& page : platform::AnsiCodePages()) known += (known.empty() ? "" : ", ") + std::to_string(page.Number);
      throw cli::TUsageError("--codepage " + value + ": not a supported code page (" + known + ")");
    }
    platform::SetAnsiCodePage(number);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Names come from libraries and targets: none of them may drive the terminal.
  cli::TTerminalGuard guard;
  std::vector<std::string> words = platform::ProgramArguments(argc, argv);
  auto commands = AllCommands();
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    PrintHelp(commands);
    return words.empty() ? cli::ExitUsage : cli::ExitOk;
  }
  if (words[0] == "--version") {
    std::cout << "quorvex-cli " << QUORVEX_VERSION << "\n";
    return cli::ExitOk;
  }
  for (const auto& c : commands) {
    if (words[0] != c.Name) continue;
    std::vector<std::string> rest(words.begin() + 1, words.end());
    for (const std::string& w : rest) {
      if (w == "--help" || w == "-h") {
        std::cout << c.Help << kCodePageHelp;
        return cli::ExitOk;
      }
    }
    try {
      TakeCodePage(rest);
      for (auto w = rest.begin(); w != rest.end() && *w != "--"; ++w)
        if (*w == "--library-files") {
          cli::TSides::LibraryFiles = true;
          rest.erase(w);
          break;
        }
      int code = c.Run(rest);
      std::cout.flush();
      return code;
    } catch (const cli::TUsageError& e) {
      std::cout.flush();
      std::cerr << "quorvex-cli " << c.Name << ": " << e.what() << "\n";
      return cli::ExitUsage;
    } catch (const std::exception& e) {
      std::cout.flush();
      std::cerr << "quorvex-cli " << c.Name << ": " << e.what() << "\n";
      return cli::ExitUsage;
    }
  }
  std::cerr << "quorvex-cli: unknown command " << words[0] << " (see quorvex-cli --help)\n";
  return cli::ExitUsage;
}
