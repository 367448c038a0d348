// The table of migration defaults: the attributes newer PowerBuilder releases write into every
// DataWindow object they save, with the value they write when nothing was set. An attribute
// present on one side only whose value is in the table is no change under "ignore migration
// defaults", nor is an object that newer releases add when all its attributes are defaults.
//
// The table ships with the program as a text file (dwdefaults.txt) that users may extend. Lines:
//   # a comment
//   OBJECTS ATTRIBUTE=VALUE   OBJECTS: object keywords separated by commas; ATTRIBUTE: a name.
//                             Both may hold the wildcards * and ?. VALUE may be quoted; "0" and 0
//                             are the same value.
//   + OBJECTS                 objects newer releases add (xhtmlgen, export.pdf, ...)
// Names, keywords and values compare without regard to ASCII case.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pbparse {

class TDefaults {
 public:
  // Adds the rules of a table's text (UTF-8 or the code page: the table is ASCII). Returns one
  // message per line that could not be read ("line 4: no '=' in ..."); the other lines count.
  std::vector<std::string> AddText(std::string_view text);

  bool IsDefault(std::string_view keyword, std::string_view attribute, std::string_view value) const;
  bool IsAddedObject(std::string_view keyword) const;
  std::size_t Size() const { return rules_.size() + objects_.size(); }

 private:
  struct TRule {
    std::vector<std::string> Objects;
    std::string Attribute, Value;
  };
  std::vector<TRule> rules_;
  std::vector<std::string> objects_;
};

// Whether `text` matches `pattern` (* any run, ? any one character), without regard to ASCII case.
bool MatchNoCase(std::string_view pattern, std::string_view text);

// The name of the table file.
inline constexpr const char* kDefaultsFileName = "dwdefaults.txt";

// Where the table that ships with the program is looked for, in this order: beside the program,
// then in share/quorvex one folder up from it (the build tree and the installed layout).
std::vector<std::filesystem::path> DefaultsLocations(const std::filesystem::path& programDir);

// The user's own additions: dwdefaults.txt in $XDG_CONFIG_HOME/quorvex (~/.config/quorvex).
std::filesystem::path UserDefaultsFile();

struct TLoadedDefaults {
  std::shared_ptr<const TDefaults> Table;    // null when neither the shipped table nor an extra file was read
  std::vector<std::filesystem::path> Files;  // what was read, in order
  std::vector<std::string> Warnings;         // "FILE: line N: ..." for lines that were skipped
  std::vector<std::filesystem::path> Looked; // where the shipped table was looked for
};

// Reads the shipped table (the first of DefaultsLocations that exists), then the user's file
// when there is one, then `extra` files. A file that cannot be read throws platform::TFileError.
TLoadedDefaults LoadDefaults(const std::filesystem::path& programDir,
                             const std::vector<std::filesystem::path>& extra = {});

}  // namespace pbparse
