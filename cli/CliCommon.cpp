#include "CliCommon.h"

#include <algorithm>
#include <cstdio>

#include "platform/CodePage.h"

namespace cli {

bool TArgs::Has(const std::string& flag) const {
  return std::any_of(Flags.begin(), Flags.end(), [&](const auto& f) { return f.first == flag; });
}

std::string TArgs::Value(const std::string& flag, const std::string& fallback) const {
  for (auto it = Flags.rbegin(); it != Flags.rend(); ++it)
    if (it->first == flag) return it->second;
  return fallback;
}

TArgs ParseArgs(const std::vector<std::string>& words, const std::vector<std::string>& valueFlags,
                const std::vector<std::string>& switchFlags) {
  TArgs args;
  bool operandsOnly = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (operandsOnly || w.size() < 2 || w.compare(0, 2, "--") != 0) {
      args.Operands.push_back(w);
      continue;
    }
    if (w == "--") {
      operandsOnly = true;
      continue;
    }
    std::string name = w, value;
    std::size_t eq = w.find('=');
    bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      name = w.substr(0, eq);
      value = w.substr(eq + 1);
    }
    if (std::find(valueFlags.begin(), valueFlags.end(), name) != valueFlags.end()) {
      if (!inlineValue) {
        if (i + 1 >= words.size()) throw TUsageError(name + " needs a value");
        value = words[++i];
      }
      args.Flags.emplace_back(name, value);
    } else if (std::find(switchFlags.begin(), switchFlags.end(), name) != switchFlags.end() && !inlineValue) {
      args.Flags.emplace_back(name, "");
    } else {
      throw TUsageError("unknown option " + w);
    }
  }
  return args;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Out(const std::string& codePage) { return platform::CodePageToUtf8(codePage); }

}  // namespace cli
