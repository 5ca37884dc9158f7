// ${NAME} substitution in the project file's strings.
#include "project_defines.h"

namespace ks::builder {
namespace {

bool IsNameStart(char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

bool IsName(std::string_view name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  for (char c : name)
    if (!IsNameChar(c)) return false;
  return true;
}

struct Walker {
  const Defines& defines;
  const std::string& file_name;
  ProjectError& error;

  bool Node(toml::node& node) {
    if (toml::table* t = node.as_table()) return Table(*t);
    if (toml::array* a = node.as_array()) {
      for (toml::node& item : *a)
        if (!Node(item)) return false;
      return true;
    }
    toml::value<std::string>* s = node.as_string();
    if (!s || s->get().find("${") == std::string::npos) return true;
    std::string out, problem;
    if (!SubstituteDefines(s->get(), defines, out, problem)) {
      error.file = file_name;
      error.line = static_cast<int>(node.source().begin.line);
      error.column = static_cast<int>(node.source().begin.column);
      error.message = problem;
      return false;
    }
    s->get() = std::move(out);
    return true;
  }

  bool Table(toml::table& table) {
    for (auto&& [key, value] : table)
      if (!Node(value)) return false;
    return true;
  }
};

}  // namespace

bool ParseDefine(std::string_view argument, Defines& defines, std::string& problem) {
  size_t eq = argument.find('=');
  std::string_view name = argument.substr(0, eq);
  if (eq == std::string_view::npos || !IsName(name)) {
    problem = "--define takes NAME=VALUE, where NAME is made of letters, digits and '_': " + std::string(argument);
    return false;
  }
  defines.insert_or_assign(std::string(name), std::string(argument.substr(eq + 1)));
  return true;
}

bool SubstituteDefines(std::string_view text, const Defines& defines, std::string& out, std::string& problem) {
  out.clear();
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 3, "$${") == 0) {
      out += "${";
      i += 3;
      continue;
    }
    if (text.compare(i, 2, "${") != 0) {
      out += text[i++];
      continue;
    }
    size_t close = text.find('}', i + 2);
    if (close == std::string_view::npos) {
      problem = "'${' without its closing '}' (write '$${' for a literal '${')";
      return false;
    }
    std::string_view name = text.substr(i + 2, close - i - 2);
    if (!IsName(name)) {
      problem = "'${" + std::string(name) + "}' does not name a value (letters, digits and '_')";
      return false;
    }
    auto it = defines.find(name);
    if (it == defines.end()) {
      problem = "'" + std::string(name) + "' is not defined (give it with --define " + std::string(name) + "=VALUE)";
      return false;
    }
    out += it->second;
    i = close + 1;
  }
  return true;
}

bool ExpandDefines(toml::table& root, const Defines& defines, const std::string& file_name, ProjectError& error) {
  return Walker{defines, file_name, error}.Table(root);
}

}  // namespace ks::builder
