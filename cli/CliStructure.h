// quorvex-cli and the structure of PowerBuilder sources: the options --by-section,
// --ignore-position, --ignore-defaults (and --defaults FILE), diff by section, and textconv.
#pragma once

#include <string>
#include <vector>

#include "CliCommon.h"
#include "compare/Options.h"

namespace cli {

// The switches and value flags the comparing commands take for the structure.
std::vector<std::string> StructureValueFlags();
std::vector<std::string> WithStructureSwitches(std::vector<std::string> switches);

// `base` (the line options) with what the structure flags ask for. The table of migration
// defaults is loaded whenever it is found (it also tells the kind of a change); --ignore-defaults
// without any table is a usage error.
compare::TCompareOptions StructureOptions(const TArgs& args, compare::TCompareOptions base);

// Whether `diff` compares by structure: --by-section, --ignore-position or --ignore-defaults.
bool WantsStructure(const TArgs& args);

// diff by section of two loaded texts (code-page lines), as text or, with --json, as JSON. Returns
// the exit status, or -1 when the texts are not understood and the line report should follow
// (the reason is on stderr then).
int RunStructuredDiff(const TArgs& args, const std::vector<std::string>& text1, const std::vector<std::string>& text2,
                      const compare::TCompareOptions& options);

// The kind of change of an object pair for JSON ("order", "position+defaults", "content", "").
std::string ChangeKindField(std::uint8_t kind);

std::vector<TCommand> StructureCommands();

}  // namespace cli
