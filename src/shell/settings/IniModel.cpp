#include "shell/settings/IniModel.h"

namespace qv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

IniLine IniModel::ParseLine(std::string_view text) {
  text = Trim(text);
  IniLine line;
  line.text = std::string(text);
  const size_t eq = text.find('=');
  if (eq != std::string_view::npos) {
    line.hasEquals = true;
    line.key = std::string(Trim(text.substr(0, eq)));
    std::string_view v = Trim(text.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    line.value = std::string(v);
  }
  return line;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

IniModel IniModel::Parse(std::string_view text) {
  IniModel model;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  IniSection* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (raw.empty() || raw.front() == ';' || raw.front() == '#') continue;
    if (raw.front() == '[') {
      std::string_view name = raw.substr(1);
      const size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      model.sections.push_back(IniSection{std::string(Trim(name)), {}});
      current = &model.sections.back();
      continue;
    }
    if (current) current->lines.push_back(ParseLine(raw));
  }
  return model;
}

const std::string* IniModel::Find(std::string_view section, std::string_view key) const {
  for (const IniSection& s : sections) {
    if (!EqualsNoCase(s.name, section)) continue;
    for (const IniLine& l : s.lines) {
      if (l.hasEquals && EqualsNoCase(l.key, key)) return &l.value;
    }
  }
  return nullptr;
}

std::vector<const IniLine*> IniModel::SectionLines(std::string_view section) const {
  std::vector<const IniLine*> out;
  for (const IniSection& s : sections) {
    if (!EqualsNoCase(s.name, section)) continue;
    for (const IniLine& l : s.lines) out.push_back(&l);
  }
  return out;
}

void IniModel::Set(std::string_view section, std::string_view key, std::string_view value) {
  for (IniSection& s : sections) {
    if (!EqualsNoCase(s.name, section)) continue;
    for (IniLine& l : s.lines) {
      if (l.hasEquals && EqualsNoCase(l.key, key)) {
        l.value = std::string(value);
        l.text = l.key + "=" + l.value;
        return;
      }
    }
  }
  Append(section, key, value);
}

void IniModel::Append(std::string_view section, std::string_view key, std::string_view value) {
  IniSection* target = nullptr;
  for (IniSection& s : sections) {
    if (EqualsNoCase(s.name, section)) target = &s;
  }
  if (!target) {
    sections.push_back(IniSection{std::string(section), {}});
    target = &sections.back();
  }
  IniLine line;
  line.key = std::string(key);
  line.value = std::string(value);
  line.text = line.key + "=" + line.value;
  line.hasEquals = true;
  target->lines.push_back(std::move(line));
}

}  // namespace qv
