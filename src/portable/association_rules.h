// The pure rules of file associations: the extension's form, which file type
// an entry names, the value name old defaults are saved under and the line
// the uninstall data keeps for each association.
#pragma once
#include <string>
#include <string_view>

#include "portable/uninstall_data.h"

namespace ks {

// AssocKind values.
enum : uint32_t {
  kAssocSetType = 0,      // set the extension's file type and add the verb
  kAssocSetDefault = 1,   // the same, and the verb becomes the default action
  kAssocOpenWith = 2,     // leave the extension's type, list ours under OpenWithProgids
};

// ".txt" for "txt" or ".txt"; empty stays empty.
std::string AssociationExtension(std::string_view extension);

// The file type an entry names before the registry is asked: `derived` when
// the extension's current type is to be used (an empty name, or "!" + the
// name to fall back on, given in `fallback`).
struct AssociationFileType {
  bool derived = false;
  std::string name;      // the fixed name when not derived
  std::string fallback;  // "!" form: the name when the extension has no type
};
AssociationFileType ParseAssociationFileType(std::string_view file_type);

// ProductName + " Backup", without backslashes, CR, LF and tabs.
std::u16string BackupValueName(std::u16string_view product_name);

// "extension~!~file type~!~verb~!~icon\r\n".
std::string AssociationRecordLine(const FileAssociation& record);

}  // namespace ks
