// What the command-line tool and the side readers ask of the operating system beyond files and
// processes: file status, folder listings, the terminal, the program's arguments and standard
// output, and paths from UTF-8 text. One implementation per system (System.cpp for POSIX,
// win/SystemWin.cpp for Windows).
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TPathKind { File, Folder, Other };

struct TPathStat {
  TPathKind Kind = TPathKind::Other;
  std::int64_t Size = 0;
  std::int64_t Time = 0;       // last write, seconds since the Unix epoch (UTC)
  std::int64_t TimeNanos = 0;  // and the nanoseconds within that second
  // Which file it is: two paths with the same pair are the same file or folder.
  std::uint64_t Device = 0, Node = 0;
};

// The status of the file or folder `p` (a link followed), or none where there is nothing.
std::optional<TPathStat> StatPath(const std::filesystem::path& p);

// The local wall-clock time of `t` (seconds since the Unix epoch); false where it has none.
bool ToLocalTime(std::time_t t, std::tm& out);

// The names (UTF-8) of what a folder holds, "." and ".." left out; none when the folder does not
// exist or is no folder. Throws TFileError naming the folder when it cannot be read.
std::optional<std::vector<std::string>> FolderNames(const std::filesystem::path& dir);

// Whether standard output (1) or standard error (2) is a terminal or console.
bool IsTerminal(int stream);

// Writes bytes to standard output as they are (no line-end translation), after what std::cout
// holds. Throws std::runtime_error when they cannot be written.
void WriteStandardOutput(std::string_view bytes);

// The program's arguments after its name, in UTF-8. On Windows they are read as UTF-16, and
// standard output and error are set up: bytes unchanged to a file or pipe, UTF-16 to a console.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The program's own file; empty where the system does not tell.
std::filesystem::path ProgramFile();

// A path from UTF-8 text, and back (UTF-8, the system's separators as they are written).
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& p);

}  // namespace platform
