// quorvex-cli: the comparisons of Quorvex without a window, for scripts and build pipelines.
#include <iostream>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStructure.h"
#include "platform/FileSys.h"

namespace {

std::vector<cli::TCommand> AllCommands() {
  std::vector<cli::TCommand> all = cli::LibraryCommands();
  for (auto& c : cli::CompareCommands()) all.push_back(std::move(c));
  for (auto& c : cli::StructureCommands()) all.push_back(std::move(c));
  return all;
}

void PrintHelp(const std::vector<cli::TCommand>& commands) {
  std::cout << "usage: quorvex-cli COMMAND [OPTIONS] ARGS...\n\n"
               "Reads PowerBuilder libraries (.pbl, 8-bit and UTF-16), targets (.pbt) and workspaces\n"
               "(.pbw) without PowerBuilder. Libraries are only ever read.\n\ncommands:\n";
  for (const auto& c : commands) {
    std::string name = c.Name;
    name.resize(14, ' ');
    std::cout << "  " << name << c.Summary << "\n";
  }
  std::cout << "\n'quorvex-cli COMMAND --help' describes a command.\n"
               "Exit status: 0 success (comparisons: no difference); 1 done with warnings (a damaged\n"
               "library, missing files) or, for the comparisons, differences found; 2 a missing,\n"
               "unreadable or malformed argument.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> words(argv + 1, argv + argc);
  auto commands = AllCommands();
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    PrintHelp(commands);
    return words.empty() ? cli::ExitUsage : cli::ExitOk;
  }
  for (const auto& c : commands) {
    if (words[0] != c.Name) continue;
    std::vector<std::string> rest(words.begin() + 1, words.end());
    for (const std::string& w : rest) {
      if (w == "--help" || w == "-h") {
        std::cout << c.Help;
        return cli::ExitOk;
      }
    }
    try {
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
