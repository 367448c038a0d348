#include "pbparse/DataWindow.h"

#include <algorithm>
#include <map>
#include <set>

#include "pbparse/Ascii.h"
#include "pbparse/Lexer.h"
#include "pbparse/Sections.h"

namespace pbparse {
namespace {

// Lists nest a few levels deep in real DataWindows; deeper input is refused, not recursed into.
constexpr int kMaxDepth = 48;

enum class TShape : std::uint8_t { Atom, String, List, Call };

// An item as read: `name=value` or a bare value, with the items of a list or call.
struct TNode {
  std::string_view Name;
  std::size_t Begin = 0;  // the item (its name, or its value when bare)
  std::size_t ValueBegin = 0, ValueEnd = 0;
  TShape Shape = TShape::Atom;
  std::string_view CallName;
  std::vector<TNode> Items;
  bool Commas = false;  // a list or call whose items are separated by commas
};

bool AtomChar(char c) {
  return !IsSpace(c) && c != '(' && c != ')' && c != '=' && c != '"' && c != '\'' && c != ',';
}

bool StartsRelease(std::string_view line) {
  std::string_view t = Trim(line);
  return StartsNoCase(t, "release") && t.size() > 7 && IsBlank(t[7]);
}

class TReader {
 public:
  explicit TReader(std::string_view text) : t_(text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < t_.size(); ++i)
      if (t_[i] == '\n') starts_.push_back(i + 1);
  }

  std::int32_t LineOf(std::size_t offset) const {
    return static_cast<std::int32_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
  }
  std::size_t LineStart(std::int32_t line) const {
    return line < static_cast<std::int32_t>(starts_.size()) ? starts_[static_cast<std::size_t>(line)] : t_.size();
  }
  std::string_view Text() const { return t_; }
  std::size_t Pos() const { return pos_; }
  void SetPos(std::size_t p) { pos_ = p; }
  bool AtEnd() const { return pos_ >= t_.size(); }
  char Peek() const { return pos_ < t_.size() ? t_[pos_] : '\0'; }

  void SkipSpace() {
    while (pos_ < t_.size() && IsSpace(t_[pos_])) ++pos_;
  }

  std::string_view ReadAtom() {
    std::size_t start = pos_;
    while (pos_ < t_.size() && AtomChar(t_[pos_])) ++pos_;
    return t_.substr(start, pos_ - start);
  }

  bool Fail(std::size_t at, const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(LineOf(at) + 1) + ": " + what;
    return false;
  }
  const std::string& Error() const { return error_; }

  // The items of a list whose '(' was just read, up to and including its ')'; `commas` tells
  // whether they are separated by commas.
  bool ReadList(std::vector<TNode>& items, bool& commas) {
    const std::size_t open = pos_ - 1;
    if (++depth_ > kMaxDepth) return Fail(open, "lists nested more than " + std::to_string(kMaxDepth) + " deep");
    commas = HasTopComma(pos_);
    for (;;) {
      SkipSpace();
      while (Peek() == ',') {
        ++pos_;
        SkipSpace();
      }
      if (AtEnd()) return Fail(open, "'(' is not closed");
      if (Peek() == ')') {
        ++pos_;
        --depth_;
        return true;
      }
      TNode item;
      item.Begin = pos_;
      if (AtomChar(Peek())) {
        std::string_view atom = ReadAtom();
        std::size_t after = pos_;
        SkipSpace();
        if (Peek() == '=') {
          item.Name = atom;
          ++pos_;
          SkipSpace();
        } else {
          pos_ = after - atom.size();
        }
      } else if (Peek() == '=') {
        return Fail(pos_, "'=' without a name");
      }
      if (!ReadValue(item, commas)) return false;
      items.push_back(std::move(item));
    }
  }

 private:
  bool ReadValue(TNode& v, bool commas) {
    v.ValueBegin = pos_;
    char c = Peek();
    if (c == '"' || c == '\'') {
      if (!ReadString()) return false;
      v.Shape = TShape::String;
    } else if (c == '(') {
      ++pos_;
      v.Shape = TShape::List;
      if (!ReadList(v.Items, v.Commas)) return false;
    } else if (AtomChar(c)) {
      std::string_view atom = ReadAtom();
      if (Peek() == '(') {
        ++pos_;
        v.Shape = TShape::Call;
        v.CallName = atom;
        if (!ReadList(v.Items, v.Commas)) return false;
      } else if (commas) {
        // Unquoted text with blanks in it runs to the next comma or ')' of its line.
        std::size_t p = pos_;
        while (p < t_.size() && t_[p] != ',' && t_[p] != ')' && t_[p] != '\n' && t_[p] != '(' && t_[p] != '"' &&
               t_[p] != '\'' && t_[p] != '=')
          ++p;
        if (p < t_.size() && (t_[p] == ',' || t_[p] == ')')) {
          while (p > pos_ && IsBlank(t_[p - 1])) --p;
          pos_ = p;
        }
      }
    } else if (c == '=' || AtEnd()) {
      return Fail(pos_, "a value is missing");
    }
    // An empty value (`name= )`) is an empty atom.
    v.ValueEnd = pos_;
    return true;
  }

  // A string literal; it may span lines.
  bool ReadString() {
    const std::size_t end = FindStringEnd(t_, pos_);
    if (end == std::string_view::npos) {
      const std::size_t start = pos_;
      pos_ = t_.size();
      return Fail(start, "string is not closed");
    }
    pos_ = end;
    return true;
  }

  // Whether the list starting at `from` separates its own items by commas.
  bool HasTopComma(std::size_t from) const {
    const std::size_t at = FindOutside(t_, from, ",)");
    return at != std::string_view::npos && t_[at] == ',';
  }

  std::string_view t_;
  std::vector<std::size_t> starts_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::string error_;
};

std::string Norm(std::string_view text, const TNode& v);

std::string NormItems(std::string_view text, const std::vector<TNode>& items) {
  std::string out = "(";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ' ';
    if (!items[i].Name.empty()) out += std::string(items[i].Name) + "=";
    out += Norm(text, items[i]);
  }
  return out + ")";
}

std::string Norm(std::string_view text, const TNode& v) {
  std::string_view raw = text.substr(v.ValueBegin, v.ValueEnd - v.ValueBegin);
  switch (v.Shape) {
    case TShape::String: return std::string(raw.substr(1, raw.size() >= 2 ? raw.size() - 2 : 0));
    case TShape::List: return NormItems(text, v.Items);
    case TShape::Call: return std::string(v.CallName) + NormItems(text, v.Items);
    default: return std::string(raw);
  }
}

// Attributes of the items of one object (or one table column), keyed.
std::vector<TDwAttribute> Attributes(const TReader& r, const std::vector<TNode>& items) {
  std::vector<TDwAttribute> out;
  std::map<std::string, int> seen;
  int bare = 0;
  for (const TNode& n : items) {
    TDwAttribute a;
    a.Name = std::string(n.Name);
    a.Value = std::string(r.Text().substr(n.ValueBegin, n.ValueEnd - n.ValueBegin));
    a.Norm = Norm(r.Text(), n);
    a.Line = r.LineOf(n.Begin);
    a.Begin = n.Begin;
    a.End = n.ValueEnd;
    if (!a.Name.empty()) {
      a.Key = a.Name;
    } else if (n.Shape == TShape::Call) {
      a.Key = std::string(n.CallName);
    } else {
      a.Key = "#" + std::to_string(++bare);
    }
    int count = ++seen[Lower(a.Key)];
    if (count > 1 && (!a.Name.empty() || n.Shape == TShape::Call)) a.Key += " #" + std::to_string(count);
    out.push_back(std::move(a));
  }
  return out;
}

const TDwAttribute* Find(const std::vector<TDwAttribute>& attrs, std::string_view name) {
  for (const TDwAttribute& a : attrs)
    if (EqualNoCase(a.Name, name)) return &a;
  return nullptr;
}

// Object keys: by name, groups by level, table columns by name, others by keyword and ordinal.
void MakeKeys(std::vector<TDwObject>& objects) {
  std::map<std::string, int> ordinals, suffix;
  std::set<std::string> used;
  int columns = 0;
  for (TDwObject& o : objects) {
    const TDwAttribute* name = Find(o.Attributes, "name");
    std::string key;
    if (o.Parent >= 0) {
      key = "table.column " + (name ? name->Norm : "#" + std::to_string(columns + 1));
      ++columns;
    } else if (name && !name->Norm.empty() && !EqualNoCase(o.Keyword, "datawindow")) {
      key = o.Keyword + " " + name->Norm;
    } else if (const TDwAttribute* level = Find(o.Attributes, "level"); level && EqualNoCase(o.Keyword, "group")) {
      key = o.Keyword + " " + level->Norm;
    } else {
      int n = ++ordinals[Lower(o.Keyword)];
      key = n == 1 ? o.Keyword : o.Keyword + " #" + std::to_string(n);
    }
    std::string unique = key;
    int& n = suffix[Lower(key)];
    while (used.count(Lower(unique))) unique = key + " #" + std::to_string(std::max(++n, 2));
    used.insert(Lower(unique));
    o.Key = std::move(unique);
  }
}

void Push(TTextForm& form, std::string_view text, const std::string& object, const std::string& attribute) {
  std::size_t start = 0;
  for (;;) {
    std::size_t nl = text.find('\n', start);
    form.Lines.emplace_back(text.substr(start, nl == std::string_view::npos ? text.npos : nl - start));
    form.Origins.push_back({object, attribute});
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
}

void PushAttribute(TTextForm& form, const char* indent, const TDwAttribute& a, const TDwObject& object, bool last) {
  // An empty value is written as an empty string, which compares the same, so that the next
  // line is not read as its value.
  std::string value = a.Value.empty() ? "\"\"" : a.Value;
  // Unquoted text with blanks in it reads up to the next comma or ')' of its line, so the last
  // one keeps a comma (which the reader skips) for the ')' on the line below.
  const bool words = AtomChar(value[0]) && std::any_of(value.begin(), value.end(), IsSpace);
  std::string comma = object.Commas && (!last || words) ? "," : "";
  Push(form, indent + (a.Name.empty() ? value : a.Name + "=" + value) + comma, object.Key, a.Key);
}

}  // namespace

bool LooksLikeDataWindow(const std::vector<std::string>& lines) {
  std::size_t i = 0;
  while (i < lines.size() && (IsExportHeaderLine(lines[i]) || Trim(lines[i]).empty())) ++i;
  if (i >= lines.size() || !StartsRelease(lines[i])) return false;
  std::string_view rest = Trim(lines[i]);
  std::size_t semi = rest.find(';');
  if (semi == std::string_view::npos) return false;
  rest = Trim(rest.substr(semi + 1));
  while (rest.empty() && ++i < lines.size()) rest = Trim(lines[i]);
  std::size_t atom = 0;
  while (atom < rest.size() && AtomChar(rest[atom])) ++atom;
  return atom > 0 && Trim(rest.substr(atom)).substr(0, 1) == "(";
}

bool IsPositionAttribute(std::string_view name) {
  for (const char* p : {"x", "y", "width", "height", "x1", "y1", "x2", "y2"})
    if (EqualNoCase(name, p)) return true;
  return false;
}

TDwParse ParseDataWindow(const std::vector<std::string>& lines) {
  const std::string joined = JoinLines(lines);
  TReader r(joined);
  auto dw = std::make_shared<TDataWindow>();
  TDwParse result;
  auto fail = [&]() {
    result.Reason = r.Error();
    return result;
  };

  // The export header, with a comment's further lines, up to the release line or first object.
  std::int32_t header = 0;
  const std::int32_t n = static_cast<std::int32_t>(lines.size());
  if (n > 0 && IsExportHeaderLine(lines[0])) {
    header = 1;
    auto startsBody = [](std::string_view line) {
      std::string_view t = Trim(line);
      std::size_t atom = 0;
      while (atom < t.size() && AtomChar(t[atom])) ++atom;
      return StartsRelease(t) || (atom > 0 && Trim(t.substr(atom)).substr(0, 1) == "(");
    };
    while (header < n && IsExportHeaderLine(lines[static_cast<std::size_t>(header)])) ++header;
    std::int32_t h = header;
    while (h < n && !startsBody(lines[static_cast<std::size_t>(h)])) ++h;
    if (h < n) header = h;
  }
  dw->HeaderLines = header;
  r.SetPos(r.LineStart(header));
  r.SkipSpace();

  if (StartsRelease(r.Text().substr(r.Pos(), r.Text().find('\n', r.Pos()) - r.Pos()))) {
    std::size_t start = r.Pos();
    std::size_t end = r.Text().find(';', start);
    std::size_t eol = r.Text().find('\n', start);
    if (end == std::string::npos || end > eol) {
      r.Fail(start, "the release line has no ';'");
      return fail();
    }
    dw->ReleaseText = std::string(r.Text().substr(start, end + 1 - start));
    dw->Release = std::string(Trim(r.Text().substr(start + 7, end - start - 7)));
    dw->ReleaseLine = r.LineOf(start);
    dw->ReleaseBegin = start;
    r.SetPos(end + 1);
  }

  for (;;) {
    r.SkipSpace();
    if (r.AtEnd()) break;
    const std::size_t begin = r.Pos();
    std::string_view keyword = r.ReadAtom();
    if (keyword.empty()) {
      r.Fail(begin, std::string("an object is expected, not '") + r.Peek() + "'");
      return fail();
    }
    r.SkipSpace();
    if (r.Peek() != '(') {
      r.Fail(begin, "an object is expected: '" + std::string(keyword.substr(0, 40)) + "' is not followed by '('");
      return fail();
    }
    r.SetPos(r.Pos() + 1);
    std::vector<TNode> items;
    bool commas = false;
    if (!r.ReadList(items, commas)) return fail();
    TDwObject object;
    object.Keyword = std::string(keyword);
    object.Commas = commas;
    object.Begin = begin;
    object.First = r.LineOf(begin);
    object.Last = r.LineOf(r.Pos() - 1);
    object.Attributes = Attributes(r, items);
    const std::size_t index = dw->Objects.size();
    dw->Objects.push_back(std::move(object));
    // The table's columns are objects of their own.
    if (EqualNoCase(keyword, "table")) {
      for (std::size_t k = 0; k < items.size(); ++k) {
        if (!EqualNoCase(items[k].Name, "column") || items[k].Shape != TShape::List) continue;
        TDwObject column;
        column.Keyword = "table.column";
        column.Begin = items[k].Begin;
        column.First = r.LineOf(items[k].Begin);
        column.Last = r.LineOf(items[k].ValueEnd - 1);
        column.Parent = static_cast<std::int32_t>(index);
        column.Commas = items[k].Commas;
        column.Attributes = Attributes(r, items[k].Items);
        dw->Objects[index].Attributes[k].Child = static_cast<std::int32_t>(dw->Objects.size());
        dw->Objects.push_back(std::move(column));
      }
    }
  }
  MakeKeys(dw->Objects);
  result.DataWindow = std::move(dw);
  return result;
}

TTextForm DataWindowTextForm(const std::vector<std::string>& lines, const TDataWindow& dw) {
  TTextForm form;
  for (std::int32_t i = 0; i < dw.HeaderLines && i < static_cast<std::int32_t>(lines.size()); ++i)
    Push(form, lines[static_cast<std::size_t>(i)], "export header", "");
  if (dw.ReleaseLine >= 0) Push(form, dw.ReleaseText, "release", "");
  for (const TDwObject& o : dw.Objects) {
    if (o.Parent >= 0) continue;
    Push(form, o.Keyword + "(", o.Key, "");
    for (std::size_t i = 0; i < o.Attributes.size(); ++i) {
      const TDwAttribute& a = o.Attributes[i];
      const bool last = i + 1 == o.Attributes.size();
      if (a.Child < 0 || a.Child >= static_cast<std::int32_t>(dw.Objects.size())) {
        PushAttribute(form, "\t", a, o, last);
        continue;
      }
      const TDwObject& column = dw.Objects[static_cast<std::size_t>(a.Child)];
      Push(form, "\t" + a.Name + "=(", column.Key, "");
      for (std::size_t k = 0; k < column.Attributes.size(); ++k)
        PushAttribute(form, "\t\t", column.Attributes[k], column, k + 1 == column.Attributes.size());
      Push(form, std::string("\t)") + (o.Commas && !last ? "," : ""), column.Key, "");
    }
    Push(form, ")", o.Key, "");
  }
  return form;
}

}  // namespace pbparse
