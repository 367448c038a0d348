// quorvex-cli merge [OPTIONS] CURRENT BASE OTHER: what BASE -> OTHER changed, merged into CURRENT,
// with the options and exit status of git merge-file (also as git's merge driver).
#include "CliMerge.h"

#include <filesystem>
#include <iostream>

#include "CliOutput.h"
#include "merge/MergeFiles.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

// git merge-file's short options as the long ones ParseArgs reads: -p, -q, -L LABEL.
std::vector<std::string> LongWords(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--") {
      out.insert(out.end(), words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
      break;
    }
    if (w == "-p") {
      out.push_back("--stdout");
    } else if (w == "-q") {
      out.push_back("--quiet");
    } else if (w == "-L") {
      if (i + 1 >= words.size()) throw TUsageError("-L needs a label");
      out.push_back("--label=" + words[++i]);
    } else if (w.size() > 2 && w.compare(0, 2, "-L") == 0) {
      out.push_back("--label=" + w.substr(2));
    } else if (w.size() > 1 && w[0] == '-' && w[1] != '-') {
      throw TUsageError("unknown option " + w);
    } else {
      out.push_back(w);
    }
  }
  return out;
}

// BASE and OTHER may be /dev/null, an empty text (a file both sides added, or one deleted).
merge::TMergeFile ReadInput(const std::string& name, bool nullDevice = false) {
  if (nullDevice && name == "/dev/null") return {name, {}};
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (!fs::exists(status)) throw TUsageError(name + ": no such file");
  if (fs::is_directory(status)) throw TUsageError(name + ": a folder, not a file");
  if (!fs::is_regular_file(status)) throw TUsageError(name + ": not a regular file");
  try {
    return {name, platform::ReadFileBytes(name)};
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
}

int MarkerSize(const std::string& value) {
  if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(value) < 1)
    throw TUsageError("--marker-size " + value + ": the size is a number from 1 to 9999");
  return std::stoi(value);
}

int RunMerge(const std::vector<std::string>& words) {
  const TArgs args = ParseArgs(LongWords(words), {"--label", "--marker-size"},
                               {"--stdout", "--quiet", "--diff3", "--zdiff3", "--ours", "--theirs", "--union",
                                "--by-section"});
  if (args.Operands.size() != 3) throw TUsageError("name three files: CURRENT BASE OTHER");
  merge::TMergeOptions options;
  if (args.Has("--diff3") && args.Has("--zdiff3")) throw TUsageError("choose one of --diff3 and --zdiff3");
  if (args.Has("--diff3")) options.Style = merge::TStyle::Diff3;
  if (args.Has("--zdiff3")) options.Style = merge::TStyle::ZDiff3;
  if (args.Has("--ours") + args.Has("--theirs") + args.Has("--union") > 1)
    throw TUsageError("choose one of --ours, --theirs and --union");
  if (args.Has("--ours")) options.Favor = merge::TFavor::Ours;
  if (args.Has("--theirs")) options.Favor = merge::TFavor::Theirs;
  if (args.Has("--union")) options.Favor = merge::TFavor::Union;
  if (args.Has("--marker-size")) options.MarkerSize = MarkerSize(args.Value("--marker-size"));
  std::vector<std::string> labels;
  for (const auto& [flag, value] : args.Flags)
    if (flag == "--label") labels.push_back(value);
  if (labels.size() > 3) throw TUsageError("-L is given at most three times");
  for (std::size_t k = labels.size(); k < 3; ++k) labels.push_back(args.Operands[k]);
  options.OursLabel = labels[0];
  options.BaseLabel = labels[1];
  options.TheirsLabel = labels[2];

  const merge::TMergeFile current = ReadInput(args.Operands[0]);
  const merge::TMergeFile base = ReadInput(args.Operands[1], true);
  const merge::TMergeFile other = ReadInput(args.Operands[2], true);
  merge::TFileMerge result;
  try {
    result = merge::MergeFiles(current, base, other, options, args.Has("--by-section"));
  } catch (const merge::TMergeError& e) {
    throw TUsageError(e.what());
  }
  if (!result.Notice.empty()) std::cerr << "quorvex-cli merge: merged line by line: " << Field(result.Notice) << "\n";
  if (args.Has("--stdout")) {
    WriteOut(result.Bytes);
  } else {
    try {
      platform::WriteFileBytes(args.Operands[0], result.Bytes);
    } catch (const platform::TFileError& e) {
      throw TUsageError(e.what());
    }
  }
  if (result.Conflicts > 0 && !args.Has("--quiet"))
    std::cerr << "quorvex-cli merge: " << result.Conflicts << (result.Conflicts == 1 ? " conflict" : " conflicts")
              << " in " << Field(args.Operands[0]) << "\n";
  return result.Conflicts > 0 ? ExitWarn : ExitOk;
}

}  // namespace

std::vector<TCommand> MergeCommands() {
  return {{"merge", "merge what BASE -> OTHER changed into CURRENT (git merge-file, by section)",
           "usage: quorvex-cli merge [-p] [-q] [-L LABEL [-L LABEL [-L LABEL]]] [--diff3 | --zdiff3]\n"
           "                         [--ours | --theirs | --union] [--marker-size N] [--by-section]\n"
           "                         CURRENT BASE OTHER\n"
           "  Merges the changes that lead from BASE to OTHER into CURRENT, as git merge-file does,\n"
           "  and writes the result over CURRENT (a temporary file beside it renamed over it, its\n"
           "  permissions kept), or with -p to standard output. Changes of both sides to the same\n"
           "  lines are a conflict between <<<<<<< CURRENT, ======= and >>>>>>> OTHER markers; -L\n"
           "  gives the labels of CURRENT, BASE and OTHER in that order (the file names otherwise).\n"
           "  --diff3 also shows the base's lines after |||||||; --zdiff3 does too, with the lines\n"
           "  both sides begin and end with moved out of the conflict. --ours, --theirs and --union\n"
           "  settle every conflict with CURRENT's lines, OTHER's, or both. --marker-size N writes N\n"
           "  marker characters (7). -q says nothing about conflicts.\n"
           "  --by-section merges PowerBuilder exports by structure: sections by their key, in\n"
           "  CURRENT's order; declarations, prototypes and a type's attributes as sets by name;\n"
           "  the create and destroy routines made again from the merged controls; DataWindows by\n"
           "  object and attribute. Conflicts stand inside the one section they are in. A text that\n"
           "  is not understood is merged line by line, the reason on stderr.\n"
           "  The result keeps CURRENT's encoding, byte-order mark, line breaks and final break; a\n"
           "  character from BASE or OTHER that CURRENT's encoding cannot hold is an error. BASE\n"
           "  and OTHER may be /dev/null, an empty text.\n"
           "  Exit status: 0 merged cleanly, 1 conflicts left, 2 trouble (nothing written).\n",
           RunMerge}};
}

}  // namespace cli
