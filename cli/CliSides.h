// The sides of one quorvex-cli command: arguments turned into libraries of every kind (library
// files, targets, workspaces, folder libraries, folders of libraries, git:REV:PATH), with the
// problems met said once each on stderr.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sides/Collect.h"
#include "sides/Library.h"

namespace diff {
class TDiff;
}  // namespace diff

namespace cli {

class TSides {
 public:
  // Library files kept beside their exports are read themselves (--library-files), for every
  // command of the process.
  static inline bool LibraryFiles = false;

  TSides();
  ~TSides();

  // The libraries of the arguments, each read by its own kind (or as `type`, one of the
  // --type values, when not ftAuto), collected as one: each library once. An argument that does
  // not exist or cannot be read is a TUsageError; libraries a target names that are missing or
  // unreadable are problems, said by Warn.
  TLibSelection Collect(const std::vector<std::string>& args, int type = sides::ftAuto);
  // Starts listing the git sides among `args` at once (sides::TSideCollector::ReadAhead), before
  // they are collected one by one.
  void ReadAhead(const std::vector<std::string>& args);
  // The one library an argument stands for; a TUsageError when it stands for none or several.
  std::unique_ptr<TFolderRec> Library(const std::string& arg);
  // Opens a library (with its objects' comments, or none: see sides::OpenLibrary); a TUsageError
  // when it cannot be opened.
  std::unique_ptr<sides::TLibrary> Open(const TFolderRec& rec, bool comments = true);

  // The disk as the collections listed it (see sides::OpenLibrary).
  std::shared_ptr<sides::TSourceTree> Disk() { return collector_.DiskTree(); }

  // Problems of the command: the collections' and those a pairing notes.
  sides::TSideReport Report;
  // Prints the problems not printed yet on stderr, one line each; true when one of all the
  // problems so far is more than a note (a missing, unreadable or empty side).
  bool Warn();

 private:
  void NoteRepositories();

  sides::TSideCollector collector_;
  std::unique_ptr<diff::TDiff> diff_;  // compares a library file with the exports beside it
  std::size_t said_ = 0;
  std::set<std::string> noted_;  // repositories said to have been read
};

// A library's entries as read, with a warning on stderr where it is damaged.
pbl::TDirList ReadEntries(sides::TLibrary& lib, const TFolderRec& rec, bool& warned);

}  // namespace cli
