// File associations below HKEY_CLASSES_ROOT: the extension's file type, the
// type's description, icon and verb, each default value that is replaced
// saved beside it for the uninstaller.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/registry_key.h"
#include "portable/settings.h"
#include "portable/uninstall_data.h"

namespace ks {

struct AssociationContext {
  unsigned view = 0;               // kRegView64 for 64-bit products
  std::u16string backup_name;      // BackupValueName(ProductName)
  std::u16string install_dir;      // relative icon paths are placed here
  std::function<std::u16string(std::u16string)> expand;  // folder variables
  std::function<void(std::u16string_view)> add_failure;  // failure summary
  std::function<void(std::u16string_view)> log;          // install log
};

// Sets the key's default value to `value`. A different (ignoring case),
// non-empty old default is first stored under `backup_name`, so that a
// second installation never saves its own value over the real old one.
bool WriteAndSave(RegistryKey& key, std::u16string_view value, std::u16string_view backup_name);

// One association; the record for the uninstall data once the entry got as
// far as its file type (also when the verb could not be written).
std::optional<FileAssociation> InstallAssociation(const AssociationEntry& entry, const AssociationContext& context);

}  // namespace ks
