// The structure of a PowerBuilder export text: the sections it is made of, each with a key that
// is unique in the text. A script object (window, menu, user object, function, structure,
// application) is cut into its header, forward block, type definitions, variable and prototype
// blocks, events, functions, create and destroy routines and binary data; a DataWindow (and a
// query or pipeline, which share its syntax) into its release line and its objects. A text that
// is neither is "plain", with the reason, and is compared line by line as before.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pbparse {

struct TDataWindow;

enum class TSectionKind : std::uint8_t {
  Header,      // $PBExportHeader$ and $PBExportComments$ lines
  Forward,     // forward ... end forward
  Type,        // [global] type X from Y [within Z] ... end type
  Variables,   // type/shared/global variables ... end variables, and the global instance line
  Prototypes,  // forward prototypes / type prototypes ... end prototypes
  Event,       // event ... end event, and the old on name; ... end on
  Function,    // function or subroutine ... end function / end subroutine
  Create,      // on X.create ... end on
  Destroy,     // on X.destroy ... end on
  Binary,      // the binary data section at the end
  Release,     // a DataWindow's release line
  Object,      // one DataWindow object; its keyword names its kind
};

// "header", "forward", "type", "variables", "prototypes", "event", "function", "create",
// "destroy", "binary", "release"; "object" for a DataWindow object (whose keyword says more).
const char* KindName(TSectionKind kind);

struct TSection {
  TSectionKind Kind = TSectionKind::Header;
  std::string Keyword;  // DataWindow objects: their keyword (datawindow, column, text, ...)
  // Readable and unique in its text: the kind, the owner where there is one, the name and, for
  // functions, the parameter types ("function of_set(string,ref long[])"). Keys pair without
  // regard to ASCII case, as PowerBuilder names do.
  std::string Key;
  std::int32_t First = 0, Last = 0;  // 0-based lines, inclusive
  // Script sections whose first script line stands on the header line ("event clicked;call
  // super::clicked"): the column where that script starts. 0 when the header has its line alone.
  std::uint32_t ScriptColumn = 0;
  // Where the section starts in the text joined with "\n" (JoinLines). A section runs up to the
  // next one's start, so that the sections joined give back the text exactly.
  std::size_t Begin = 0;
};

enum class TTextType : std::uint8_t { Plain, Script, DataWindow };

struct TStructure {
  TTextType Type = TTextType::Plain;
  std::string Reason;  // for a plain text, why it was not understood
  std::vector<TSection> Sections;
  std::shared_ptr<const TDataWindow> DataWindow;  // the objects of a DataWindow
};

// The text's lines joined with "\n", the form section offsets refer to.
std::string JoinLines(const std::vector<std::string>& lines);

// Cuts an export text into sections. A text is a DataWindow when, after its export header, it
// starts with "release N;" followed by an object, or when its header or `nameHint` (a file name)
// ends in .srd, .srq or .srp; a project (.srj) is plain; otherwise it is read as a script
// object. A text that does not follow the syntax is plain, with the reason; parsing never throws
// for any input.
TStructure ParseStructure(const std::vector<std::string>& lines, std::string_view nameHint = {});

// The text of section `index` of `joined` (JoinLines of the parsed lines): from its start to the
// next section's.
std::string_view SectionText(const TStructure& structure, std::string_view joined, std::size_t index);

}  // namespace pbparse
