// Where the program keeps the files that lie beside it: the settings file, the path histories
// "File1.lst" and "File2.lst", and the help file.
#pragma once

#include <filesystem>
#include <string_view>

// The program file's folder when the program may write there, otherwise the per-user
// configuration folder (created when missing). Reading and writing use the same folder.
std::filesystem::path ExeDir();

// ExeDir() and the program file's name with its extension replaced by `extension` (".ini",
// ".chm"): for the program quorvex, ExeDir()/"quorvex.ini".
std::filesystem::path ProgramFileWith(std::string_view extension);

// Makes ExeDir() answer `dir` from now on (tests, and hosts that keep their files elsewhere);
// an empty path returns to the rule above.
void SetExeDir(const std::filesystem::path& dir);
