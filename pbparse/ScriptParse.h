// The section parser of script objects: windows, menus, user objects, applications, functions and
// structures, in the export layout every PowerBuilder release writes (the old `on name; ... end
// on` events included).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pbparse/Sections.h"

namespace pbparse {

// Cuts the export text of a script object into sections. Blank lines and // comments between
// sections belong to the section above them. A line that starts no section where one must start,
// a section without its end line, or a text with no section at all gives a plain structure with
// the reason.
TStructure ParseScript(const std::vector<std::string>& lines);

// The key of a function or subroutine from its header line: "function", the name and the
// parameter types without the parameter names, e.g. "public function integer of_x (ref string
// as_a[], long al_n);" gives "function of_x(ref string[],long)".
std::string FunctionKey(std::string_view header);

}  // namespace pbparse
