// The compiler behind ParseProject, shared by the reading of the project file
// (project.cpp) and the placing of payload files (project_files.cpp).
#pragma once
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <toml++/toml.h>

#include "named_values.h"
#include "project.h"

namespace ks::builder::compile {

namespace fs = std::filesystem;

// Splits a backslash path into its components.
std::vector<std::string> Components(std::string_view path);

// Where a [[files]] entry puts its files, as written in `dest`.
struct Placement {
  enum Form {
    kKindFolder,   // FileName = relative path below the kind's folder
    kSubfolder,    // FileName = folder \ relative path
    kTargetName,   // one file; FileName = the relative target
    kFolderDest,   // Destination = folder \ sub-folders \ ; FileName = relative path
    kTargetDest,   // one file; Destination = the full target; FileName = its last part
  } form = kKindFolder;
  std::string path;  // backslashes, no trailing one
};

class Compiler {
 public:
  Compiler(const std::string& file_name, const fs::path& base_dir, ProjectError& error)
      : file_name_(file_name), base_dir_(base_dir), error_(error) {}

  bool Run(const toml::table& root, Project& out);

 private:
  bool Fail(const toml::source_region& where, std::string message) {
    error_.file = file_name_;
    error_.line = static_cast<int>(where.begin.line);
    error_.column = static_cast<int>(where.begin.column);
    error_.message = std::move(message);
    return false;
  }
  bool Fail(const toml::node& where, std::string message) {
    return Fail(where.source(), std::move(message));
  }
  void Warn(const toml::node& where, std::string message) {
    const toml::source_region& at = where.source();
    warnings_->push_back({file_name_, static_cast<int>(at.begin.line), static_cast<int>(at.begin.column),
                          std::move(message)});
  }

  // Refuses a text holding U+0000 anywhere in the tree: the engine reads it as the text's end.
  bool NoNulCharacters(const toml::node& node);
  // Refuses `part` when Windows cannot hold it as one name; `what` says where it stands.
  bool CheckName(const toml::node& where, std::string_view part, std::string_view what);
  // Every component of a backslash path below a folder the engine chooses.
  bool CheckRelativePath(const toml::node& where, std::string_view path, std::string_view what);

  bool CheckKeys(const toml::table& table, std::string_view where,
                 std::initializer_list<std::string_view> allowed);
  bool GetString(const toml::table& t, std::string_view key, std::string& out, bool required = false,
                 const toml::node* owner = nullptr);
  bool GetBool(const toml::table& t, std::string_view key, bool& out);
  bool GetInteger(const toml::table& t, std::string_view key, int64_t& out, int64_t min, int64_t max);
  bool GetAnsi(const toml::table& t, std::string_view key, std::string& out);
  bool GetWide(const toml::table& t, std::string_view key, std::u16string& out);
  bool GetNamed(const toml::table& t, std::string_view key, std::span<const NamedValue> table,
                const NamedValue*& out);
  bool ToAnsi(const toml::node& where, std::string_view utf8, std::string& out);
  const toml::array* GetArrayOfTables(const toml::table& root, std::string_view key, bool& ok);

  bool Product(const toml::table& t, Settings& s);
  bool RequiredProduct(const toml::table& t, Settings& s);
  bool Batches(const toml::table& t, Settings& s);
  bool Options(const toml::table* t, Settings& s, uint32_t& archive_flags);
  bool CrossChecks(const toml::table& root, const Project& out);
  bool Archive(const toml::table* t, Project& out);
  bool Languages(const toml::array* a, Settings& s);
  bool DeleteList(const toml::array& a, Settings& s);
  bool CloseList(const toml::array& a, Settings& s);
  // project_registry.cpp: [[registry]], [[associations]] and [[firewall]].
  bool RegistryEntries(const toml::array& a, Settings& s);
  bool Associations(const toml::array& a, Settings& s);
  bool FirewallItems(const toml::array& a, Settings& s);
  // project_appearance.cpp: [appearance] and [wizard].
  bool Appearance(const toml::table* t, Settings& s);
  bool Wizard(const toml::table* t, Settings& s);
  bool GetColour(const toml::table& t, std::string_view key, uint32_t& out);
  bool GetScale(const toml::table& t, std::string_view key, double& out);
  // project_notify.cpp
  bool Notify(const toml::table* t, Settings& s);
  // project_finish.cpp
  bool Finish(const toml::table* t, Settings& s);
  bool UninstallValues(const toml::array& a, Settings& s);
  bool ReadProjectFile(const toml::node& where, std::string& out);  // a file named relative to the project
  bool TextFiles(const toml::table& t, std::string_view key, std::vector<Blob>& out);
  bool IconFile(const toml::table& t, std::string_view key, Blob& out);
  bool Files(const toml::array* a, std::vector<PayloadFile>& files);
  // The component fields of a [[files]] entry (font face, applet name, MSI
  // package settings), checked against its kind and stored in `base`.
  bool ComponentFields(const toml::table& t, FileRecord& base);
  bool ParseDest(const toml::node& where, std::string dest, bool folder_source, Placement& out);
  bool AddFile(const toml::table& entry, const fs::path& source, const fs::path& relative,
               const Placement& placement, const FileRecord& base, bool attributes_given,
               std::vector<PayloadFile>& files);
  // Lists the files below `folder` (links followed under their own names) as
  // paths relative to the source folder, in sorted order.
  bool WalkFolder(const toml::node& where, const fs::path& folder, const fs::path& relative,
                  std::vector<fs::path>& ancestors, std::vector<fs::path>& found);
  bool UsesSharedFolder(const FileRecord& record) const;
  // project_shortcuts.cpp
  bool ShortcutList(const toml::array& a, Settings& s);
  bool ShortcutTables(const toml::table& root, Settings& s);
  bool ReadIcon(const toml::table& t, std::string_view key, Blob& out);

  std::string file_name_;
  fs::path base_dir_;
  ProjectError& error_;
  std::vector<ProjectError>* warnings_ = nullptr;
  const Settings* settings_ = nullptr;
  // The [[files]] entry of each payload file, for the duplicate check.
  std::vector<const toml::table*> entry_of_file_;
  // [archive] file_times: "fixed" gives every file the build's time, so the
  // installer does not depend on when the sources were checked out;
  // "sources" keeps each file's modification time (never later than
  // SOURCE_DATE_EPOCH when that is set).
  bool keep_file_times_ = false;
};

}  // namespace ks::builder::compile
