// The engine's command line: tokenizer and atoms.
#include "command_line.h"

namespace ks {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

void SkipBlanks(std::u16string& line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  line.erase(0, i);
}

std::u16string StripQuotes(std::u16string_view s) {
  if (s.size() >= 2 && s.front() == u'"' && s.back() == u'"') s = s.substr(1, s.size() - 2);
  return std::u16string(s);
}

std::u16string DropTrailingQuote(std::u16string s) {
  if (!s.empty() && s.back() == u'"') s.pop_back();
  return s;
}

template <typename S>
void ReplaceAll(S& s, const S& from, const S& to) {
  for (size_t pos = 0; (pos = s.find(from, pos)) != S::npos; pos += to.size()) s.replace(pos, from.size(), to);
}

}  // namespace

std::u16string NextToken(std::u16string& line) {
  SkipBlanks(line);
  std::u16string token;
  size_t i = 0;
  while (i < line.size()) {
    char16_t c = line[i];
    if (c == u'"') {
      std::u16string section;
      ++i;
      while (i < line.size()) {
        if (line[i] == u'"') {
          if (i + 1 < line.size() && line[i + 1] == u'"') { section.push_back(u'"'); i += 2; continue; }
          ++i;
          break;
        }
        section.push_back(line[i++]);
      }
      token += u'"' + section + u'"';
      continue;
    }
    ++i;
    if (IsBlank(c)) break;
    token.push_back(c);
  }
  line.erase(0, i);
  return token;
}

CommandLine ParseCommandLine(std::u16string_view full_line, const AnsiCodePage& code_page) {
  CommandLine cl;
  std::u16string line(full_line);
  NextToken(line);  // the program path
  for (int n = 0; n < kMaxAtoms; ++n) {
    std::u16string token = NextToken(line);
    if (token.empty()) break;
    if (token[0] != u'/' && token[0] != u'-') {
      cl.usage_error = u"Unexpected command line parameter:\r\n" + token;
      return cl;
    }
    std::u16string_view atom = std::u16string_view(token).substr(1);
    auto rest = [&](size_t prefix) { return std::u16string(atom.substr(prefix)); };
    if (EqualsNoCase(atom, u"A")) {
      cl.AutomaticMode = true;
    } else if (StartsWithNoCase(atom, u"D:")) {
      cl.InstallDir = StripQuotes(rest(2));
      cl.InstallDir8 = code_page.FromWide(*cl.InstallDir);
    } else if (StartsWithNoCase(atom, u"N:")) {
      cl.ProductName = StripQuotes(rest(2));
      cl.ProductName8 = code_page.FromWide(*cl.ProductName, '?');
    } else if (StartsWithNoCase(atom, u"U")) {
      cl.UninstallMode = true;
      if (atom.size() > 1 && atom[1] == u':') cl.UninstallName = StripQuotes(rest(2));
    } else if (StartsWithNoCase(atom, u"R:\"")) {
      std::u16string program = DropTrailingQuote(rest(3));
      ReplaceAll<std::u16string>(program, u"`", u"\"");
      cl.RunProgram = program;
    } else if (StartsWithNoCase(atom, u"B1:\"") || StartsWithNoCase(atom, u"B2:\"") ||
               StartsWithNoCase(atom, u"B3:\"")) {
      std::string batch = code_page.FromWide(rest(4), '?');
      if (!batch.empty() && batch.back() == '"') batch.pop_back();
      ReplaceAll<std::string>(batch, "`", "\"");
      ReplaceAll<std::string>(batch, "~~", "\r\n");
      cl.BatchAdditions[atom[1] - u'1'] = batch;
    } else if (EqualsNoCase(atom, u"E")) {
      cl.DeploymentExitCodes = true;
    } else if (EqualsNoCase(atom, u"MIN")) {
      cl.Minimised = true;
    } else {
      cl.usage_error = u"Illegal command line atom:\r\n" + token;
      return cl;
    }
  }
  return cl;
}

std::u16string UsageMessage(std::u16string_view text, std::u16string_view program_name) {
  std::u16string m(text);
  m += u"\r\n\r\nUsage:\r\n";
  m += program_name;
  m += u" [/a] [/b1:\"commands\"] [/b2:\"commands\"] [/b3:\"commands\"] [/d:\"dir\"] [/n:\"name\"] "
       u"[/u:\"name\"] [/r:\"program\"]\r\n\r\n"
       u"/a                  \tAutomatic mode.\r\n"
       u"/d:\"dir\"        \tOverride installation path.\r\n"
       u"/b1:\"commands\"\tAdd commands to the end of the Pre-Installation Batch.\r\n"
       u"/b2:\"commands\"\tAdd commands to the end of the Post-Installation Batch.\r\n"
       u"/b3:\"commands\"\tAdd commands to the end of the Installation-Exit Batch.\r\n"
       u"/n:\"name\"\tOverride product name.\r\n"
       u"/u:\"name\"\tUninstall product by name.\r\n"
       u"/r:\"program\"\tRun the specified program after a successful installation.";
  return m;
}

}  // namespace ks
