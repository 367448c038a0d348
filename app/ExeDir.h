// Where the program keeps the files that lie beside it: the settings file, the path histories
// "File1.lst" and "File2.lst", and the help file.
#pragma once

#include <filesystem>
#include <string_view>

namespace app {

// The program file's folder when the program may write there, otherwise the per-user
// configuration folder (created when missing). Reading and writing use the same folder.
std::filesystem::path ExeDir();

// ExeDir() and the program file's name with its extension replaced by `extension` (".ini",
// ".chm"): for the program quorvex, ExeDir()/"quorvex.ini".
std::filesystem::path ProgramFileWith(std::string_view extension);

// Makes ExeDir() answer `dir` from now on (tests, and hosts that keep their files elsewhere);
// an empty path returns to the rule above.
void SetExeDir(const std::filesystem::path& dir);

// The help to show for F1: the ".chm" file `chm` when it exists, otherwise the first HTML manual
// (doc/manual/index.html) found from the program's folder `programDir`: beside the program, one
// folder up (the build tree, where the manual is copied next to app/), or in the installed
// documentation folder ../share/doc/quorvex/manual. Empty when there is none.
std::filesystem::path FindHelp(const std::filesystem::path& chm, const std::filesystem::path& programDir);

// FindHelp for the running program: ProgramFileWith(".chm") and the program file's own folder.
std::filesystem::path HelpFile();

}  // namespace app
