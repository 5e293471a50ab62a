#pragma once
// The settings file as text: sections of key=value lines, kept in file order. Reading a
// key and overriding one from the command line both go through this model, so a
// "--set SECTION:KEY=VALUE" is applied by exactly the code that applies the file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct IniLine {
  std::string key;    // trimmed text before the first '=', empty for a line without one
  std::string value;  // trimmed text after the first '=', one pair of enclosing quotes removed
  std::string text;   // the whole line, trimmed (what a whole-section read returns)
  bool hasEquals = false;
};

struct IniSection {
  std::string name;
  std::vector<IniLine> lines;
};

class IniModel {
 public:
  // Never fails: lines before the first section, comment lines (';' or '#') and blank
  // lines are dropped; CR, LF and CR LF all end a line; a leading UTF-8 byte-order mark
  // is skipped. Bytes are taken as they are (NUL included).
  static IniModel Parse(std::string_view text);
  // One key=value line as Parse() takes it apart (line breaks inside are kept).
  static IniLine ParseLine(std::string_view text);

  // Section and key names compare without regard to ASCII case, as common profile readers
  // do. Sections of the same name are one section in file order; the first matching key
  // wins. Null when the key is absent.
  const std::string* Find(std::string_view section, std::string_view key) const;

  // Every line of the section(s) of that name in file order.
  std::vector<const IniLine*> SectionLines(std::string_view section) const;

  // Replaces the value Find() would return, or appends the key to the section (creating
  // the section at the end when there is none).
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Appends a key=value line to the section (whole-section readers see it last).
  void Append(std::string_view section, std::string_view key, std::string_view value);

  std::vector<IniSection> sections;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace qv
