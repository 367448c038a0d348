// The DataWindow parser: the source of a DataWindow (.srd; queries .srq and pipelines .srp use the
// same syntax) as objects with their attributes in order, and its one-attribute-per-line text form.
//
// The syntax: the export header, an optional "release N;" line, then objects `keyword(items)`.
// An item is `name=value` or a bare value; a value is an atom (`yes`, `-8`, `d_list`), a string
// in double or single quotes in which `~` escapes the next character (strings may span lines, as
// the SQL of `retrieve=` does), a call `name(items)` (`char(50)`) or a list `(items)`, nested to
// any depth. Items are separated by blanks, line breaks or commas; where a list separates its
// items by commas (pipelines), an unquoted value runs to the next comma on its line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pbparse {

struct TDwAttribute {
  // Unique in its object: the name as written, "#2", "#3", ... added where a name repeats; a bare
  // value's key is its call name ("COLUMN") or "#1", "#2", ... by position.
  std::string Key;
  std::string Name;   // as written; empty for a bare value
  std::string Value;  // as written: quotes, ~ escapes and line breaks kept
  // What is compared: a string without its quotes, an atom as it stands, a list or call rebuilt
  // from the normalised items with one space between them (so `by=("a" )` equals `by=(a)`).
  std::string Norm;
  std::int32_t Line = 0;    // 0-based line where the item starts
  // Offsets in the joined text: where the item starts (its name, or its value when bare) and
  // where its value ends, so that an item can be rewritten in place.
  std::size_t Begin = 0, End = 0;
  std::int32_t Child = -1;  // a table's `column=(...)`: the index of the object it became
};

struct TDwObject {
  std::string Keyword;  // as written: datawindow, header, table, column, text, group, ...
  // Unique in the DataWindow: "keyword name" for objects with a name= attribute ("column
  // emp_id"), "group N" for groups by their level, "table.column NAME" for the table's columns,
  // otherwise the keyword alone, with " #2", " #3", ... for the next objects of that keyword.
  std::string Key;
  std::int32_t First = 0, Last = 0;  // 0-based lines of the keyword and of the closing ')'
  std::size_t Begin = 0;             // offset of the keyword in the joined text
  std::int32_t Parent = -1;          // a table's column: the table's index
  bool Commas = false;               // its items are separated by commas (pipelines)
  std::vector<TDwAttribute> Attributes;
};

struct TDataWindow {
  std::int32_t HeaderLines = 0;   // lines of the export header (a long comment may take several)
  std::string Release;            // "12.5"; empty without a release line
  std::string ReleaseText;        // the statement as written: "release 12.5;"
  std::int32_t ReleaseLine = -1;
  std::size_t ReleaseBegin = 0;   // offset in the joined text
  std::vector<TDwObject> Objects; // in text order; a table's columns follow the table
};

struct TDwParse {
  std::shared_ptr<const TDataWindow> DataWindow;  // null when the text does not follow the syntax
  std::string Reason;                             // then: where and why ("line 4: string not closed")
};

// Whether a text reads as a DataWindow: after its export header, a line "release N;" followed by
// an object.
bool LooksLikeDataWindow(const std::vector<std::string>& lines);

// Parses a DataWindow, query or pipeline. Never throws for any input.
TDwParse ParseDataWindow(const std::vector<std::string>& lines);

// The attribute names that place and size an object: x, y, width, height, x1, y1, x2, y2.
bool IsPositionAttribute(std::string_view name);

// Where a line of the text form comes from: the object's key and the attribute's key; the
// attribute is empty on the lines that open and close an object, and the object is "export
// header" or "release" on those lines.
struct TLineOrigin {
  std::string Object, Attribute;
};

// The one-attribute-per-line form: the export header, the release line, then each object as
// "keyword(", one line per attribute indented by a tab (a table's columns as "column=(" with
// their attributes indented twice, then "\t)"), and ")". An attribute whose string spans lines
// keeps its lines; items separated by commas keep their commas; an empty value is written "".
// The form is itself a DataWindow with the same objects and attributes.
struct TTextForm {
  std::vector<std::string> Lines;
  std::vector<TLineOrigin> Origins;  // one per line
};
TTextForm DataWindowTextForm(const std::vector<std::string>& lines, const TDataWindow& dw);

}  // namespace pbparse
