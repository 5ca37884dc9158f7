// Extension form, file-type choice, backup value name and record line.
#include "portable/association_rules.h"

namespace ks {

std::string AssociationExtension(std::string_view extension) {
  if (extension.empty() || extension.front() == '.') return std::string(extension);
  return "." + std::string(extension);
}

AssociationFileType ParseAssociationFileType(std::string_view file_type) {
  AssociationFileType t;
  if (file_type.empty()) {
    t.derived = true;
  } else if (file_type.front() == '!') {
    t.derived = true;
    t.fallback = file_type.substr(1);
  } else {
    t.name = file_type;
  }
  return t;
}

std::u16string BackupValueName(std::u16string_view product_name) {
  std::u16string name;
  for (char16_t c : product_name)
    if (c != u'\\' && c != u'\r' && c != u'\n' && c != u'\t') name += c;
  return name + u" Backup";
}

std::string AssociationRecordLine(const FileAssociation& record) {
  return record.extension + "~!~" + record.file_type + "~!~" + record.verb + "~!~" + record.icon + "\r\n";
}

}  // namespace ks
