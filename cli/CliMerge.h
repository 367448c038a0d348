// quorvex-cli merge: the three-way merge of git merge-file, by line or by section.
#pragma once

#include <vector>

#include "CliCommon.h"

namespace cli {

std::vector<TCommand> MergeCommands();

}  // namespace cli
