#pragma once

// Text fields of the tools' line-oriented output: tabs, line breaks and backslashes escaped, so
// that one record stays on one line and its fields stay apart.

#include <string>
#include <string_view>

namespace lyrovox {

inline std::string EscapeTextField(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace lyrovox
