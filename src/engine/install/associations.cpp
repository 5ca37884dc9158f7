// One file association: the extension's file type, OpenWithProgids, and the
// type's description, icon and verb, each replaced default saved first.
#include "install/associations.h"

#include "core/wide.h"
#include "install/registry_writer.h"
#include "portable/association_rules.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Default(RegistryKey& key) {
  std::u16string text;
  DWORD type = 0;
  if (!key.ReadTextValue(u"", &text, &type)) text.clear();
  return text;
}

bool Blank(std::u16string_view s) {
  for (char16_t c : s)
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  return true;
}

}  // namespace

bool WriteAndSave(RegistryKey& key, std::u16string_view value, std::u16string_view backup_name) {
  std::u16string old = Default(key);
  if (!old.empty() && lstrcmpiW(W(old), W(std::u16string(value))) != 0) {
    // A failed backup does not stop the association; the new value matters more.
    key.WriteString(backup_name, old, kRegWideText);
  }
  return key.WriteString(u"", value, kRegWideText);
}

std::optional<FileAssociation> InstallAssociation(const AssociationEntry& entry, const AssociationContext& context) {
  const AnsiCodePage& cp = SystemCodePage();
  std::string extension8 = AssociationExtension(entry.Extension);
  std::u16string extension = cp.ToWide(extension8);
  AssociationFileType type = ParseAssociationFileType(entry.FileType);
  std::u16string file_type = cp.ToWide(type.derived ? type.fallback : type.name);
  const std::u16string verb = cp.ToWide(entry.Verb);
  const unsigned flags = context.view | kRegNoStack;

  RegistryKey ext;
  // Only an entry that names its own type may make the extension's key.
  bool ext_open = Opened(ext.Open(HKEY_CLASSES_ROOT, extension,
                                  flags | (entry.FileType.empty() ? kRegOpenOnly : 0u), kEntryAccess));
  bool extension_written = false;
  if (ext_open) {
    bool derived = type.derived;
    if (derived) {
      std::u16string current = Default(ext);
      if (!current.empty()) {
        file_type = current;
      } else if (!file_type.empty()) {
        derived = false;  // "!" + name: the extension has no type yet, ours becomes it
      } else {
        context.add_failure(u"Association failed/no label:  \"" + extension + u"\".\r\n\r\n");
        return std::nullopt;
      }
    }
    // Open-with entries leave the extension's own type alone.
    if (!derived && entry.AssocKind != kAssocOpenWith) {
      WriteAndSave(ext, file_type, context.backup_name);
      extension_written = true;
    }
    if (!file_type.empty() && (entry.AssocKind == kAssocOpenWith || verb == u"open")) {
      RegistryKey progids;
      if (Opened(progids.Open(ext.Handle(), u"OpenWithProgids", flags, kEntryAccess)))
        WriteRawValue(progids, file_type, REG_NONE, nullptr, 0);
    }
    type.derived = derived;
  } else if (type.derived) {
    context.log(u"Association failed/key inaccessible:  \"" + extension + u"\".\r\n\r\n");
    return std::nullopt;
  }

  bool done = false;
  RegistryKey type_key;
  if (Opened(type_key.Open(HKEY_CLASSES_ROOT, file_type, flags, kEntryAccess))) {
    std::u16string description = Utf8ToUtf16(entry.TypeDescription);
    if (!type.derived && !Blank(description)) WriteAndSave(type_key, description, context.backup_name);
    if (!entry.IconPath.empty()) {
      std::u16string icon = context.expand(cp.ToWide(entry.IconPath));
      ResolvePath(icon, context.install_dir);
      RegistryKey icon_key;
      if (Opened(icon_key.Open(type_key.Handle(), u"DefaultIcon", flags, kEntryAccess)))
        WriteAndSave(icon_key, icon, context.backup_name);
    }
    RegistryKey shell;
    // A verb key needs a name: an empty one would put the command on "shell" itself.
    if (!verb.empty() && Opened(shell.Open(type_key.Handle(), u"shell", flags, kEntryAccess))) {
      if (entry.AssocKind == kAssocSetDefault) WriteAndSave(shell, verb, context.backup_name);
      RegistryKey verb_key, command;
      if (Opened(verb_key.Open(shell.Handle(), verb, flags, kEntryAccess))) {
        verb_key.WriteString(u"", cp.ToWide(entry.VerbLabel), kRegWideText);
        if (Opened(command.Open(verb_key.Handle(), u"command", flags, kEntryAccess)))
          done = WriteAndSave(command, context.expand(cp.ToWide(entry.Command)), context.backup_name);
      }
    }
  }

  FileAssociation record{extension8, cp.FromWide(file_type), entry.Verb, entry.IconPath};
  if (!done) {
    context.add_failure(u"Failed to associate file type:  \"" + extension + u"\".\r\n\r\n");
  } else if (extension_written) {
    context.log(u"Associated " + extension + u" with " + cp.ToWide(entry.Command) + u"\r\n");
  }
  return record;
}

}  // namespace ks
