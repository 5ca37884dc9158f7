// The writer behind WriteProjectFromInstaller, one method per table of the
// project file, split by area as the readers are (project_writer_<area>.cpp).
#pragma once
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "installer_decode.h"
#include "named_values.h"
#include "portable/settings.h"

namespace ks::builder::write {

namespace fs = std::filesystem;

// A TOML basic string of UTF-8 text.
std::string TomlString(std::string_view utf8);

// The project file's text, table by table.
class TomlText {
 public:
  void Comment(std::string_view text);  // "# text" lines
  void Table(std::string_view header);  // "[name]" or "[[name]]", after a blank line
  void Key(std::string_view key, const std::string& toml_value, std::string_view comment = {});
  void String(std::string_view key, std::string_view utf8, std::string_view comment = {});
  void Bool(std::string_view key, bool value, std::string_view comment = {});
  void Integer(std::string_view key, int64_t value, std::string_view comment = {});
  void Float(std::string_view key, double value);
  void Blank() { text_ += "\n"; }
  void Raw(std::string_view text) { text_ += text; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

class Writer {
 public:
  Writer(const DecodedInstaller& in, const fs::path& stage) : in_(in), s_(in.settings), stage_(stage) {}

  // Everything but the payload, which comes record by record through AddFile first.
  bool Run(const std::string& installer_name);
  bool AddFile(const FileRecord& record, std::span<const uint8_t> content);
  // Compiles the written project and compares it with the installer.
  bool Verify();

  const std::string& Problem() const { return problem_; }
  const std::string& Text() const { return out_.Text(); }

 private:
  bool Fail(std::string_view field, std::string_view why);
  // 8-bit text of the settings (code page 1252) as UTF-8; fails when a byte has no character.
  bool Ansi(std::string_view field, const Text8& text, std::string& utf8);
  // Text the settings hold as UTF-8; fails when it is not.
  bool Utf8(std::string_view field, const std::string& text);
  bool Wide(std::string_view field, const TextW& text, std::string& utf8);
  // A name of `table` for `value`, refusing unnamed and unsupported values.
  bool Named(std::string_view field, std::span<const NamedValue> table, uint32_t value, std::string_view& name);
  // Writes `bytes` below the stage; returns the path the project names.
  bool DataFile(std::string_view field, const std::string& relative, std::string_view bytes);
  // `field` set means the project has no key for it.
  bool NoKey(std::string_view field, bool set);

  // project_writer.cpp
  bool Product();
  bool RequiredProduct();
  bool Batches();
  bool Options();
  bool Archive();
  bool Languages();
  bool DeleteList();
  bool CloseList();
  // project_writer_look.cpp
  bool Finish();
  bool Appearance();
  bool Wizard();
  // project_writer_registry.cpp
  bool Notify();
  bool Registry();
  bool Associations();
  bool Firewall();
  bool UninstallValues();
  bool Shortcuts();
  bool ShortcutTables();

  const DecodedInstaller& in_;
  const Settings& s_;
  fs::path stage_;
  TomlText out_;
  std::string problem_;
  // The payload: each record's [[files]] entry, its source, and the folders taken.
  struct FileEntry {
    std::string source, dest, keys;
    bool plain = false;      // the source's own name places it: no dest
    bool in_folder = false;  // below `folder` by its FileName, which a folder source gives
    std::string folder;
    std::vector<std::string> parts;  // FileName's components
  };
  // The [[files]] entries, one file each; runs of one folder join into a folder entry.
  std::string FilesText() const;
  std::vector<FileEntry> entries_;
  std::vector<FileRecord> records_;
  std::vector<fs::path> sources_;
  std::set<std::string> taken_;
  uint64_t first_time_ = 0;
  bool one_time_ = true;
};

}  // namespace ks::builder::write
