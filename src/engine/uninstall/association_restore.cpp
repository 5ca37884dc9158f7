// File associations at uninstall.
#include "uninstall/association_restore.h"

#include "core/handle.h"
#include "core/wide.h"
#include "portable/text.h"
#include "uninstall/registry_removal.h"

namespace ks {
namespace {

class Key {
 public:
  Key(const std::u16string& subkey, REGSAM view) {
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, W(subkey), 0, KEY_READ | KEY_SET_VALUE | view, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  explicit operator bool() const { return key_ != nullptr; }

  bool ReadText(const std::u16string& name, std::u16string& text) const {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key_, W(name), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::u16string data(bytes / 2 + 1, u'\0');
    if (RegQueryValueExW(key_, W(name), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
      return false;
    data.resize(bytes / 2);
    while (!data.empty() && data.back() == u'\0') data.pop_back();
    text = data;
    return true;
  }
  // The default value back from the backup; true when it was restored.
  bool RestoreDefault(const std::u16string& backup_name) const {
    std::u16string saved;
    if (!ReadText(backup_name, saved) || saved.empty()) return false;
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                   DWORD((saved.size() + 1) * 2));
    RegDeleteValueW(key_, W(backup_name));
    return true;
  }
  void RestoreOrDeleteDefault(const std::u16string& backup_name) const {
    if (!RestoreDefault(backup_name)) RegDeleteValueW(key_, nullptr);
  }
  void DeleteValue(const std::u16string& name) const { RegDeleteValueW(key_, W(name)); }
  DWORD SubKeys() const {
    DWORD keys = 0;
    RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    return keys;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

void RestoreAssociation(const FileAssociation& record, const std::u16string& backup_name, REGSAM view) {
  const AnsiCodePage& cp = SystemCodePage();
  std::u16string extension = cp.ToWide(record.extension);
  std::u16string type = cp.ToWide(record.file_type);
  std::u16string verb = cp.ToWide(record.verb);
  if (extension.empty() || type.empty() || verb.empty()) return;

  bool extension_restored = false;
  {
    Key ext(extension, view);
    if (ext) extension_restored = ext.RestoreDefault(backup_name);
  }
  if (EqualsNoCase(verb, u"open")) {
    std::u16string progids = extension + u"\\OpenWithProgids";
    {
      Key list(progids, view);
      if (list) list.DeleteValue(type);
    }
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, progids, view);
  }

  {
    Key file_type(type, view);
    if (!file_type) return;
    file_type.RestoreDefault(backup_name);
  }
  if (!record.icon.empty()) {
    std::u16string icon = type + u"\\DefaultIcon";
    {
      Key key(icon, view);
      if (key) key.RestoreOrDeleteDefault(backup_name);
    }
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, icon, view);
  }
  std::u16string shell = type + u"\\shell";
  std::u16string command = shell + u"\\" + verb + u"\\command";
  {
    Key key(command, view);
    if (key) key.RestoreOrDeleteDefault(backup_name);
  }
  DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, command, view);
  {
    // The verb's label is the installation's too once its command is gone.
    Key verb_key(shell + u"\\" + verb, view);
    if (verb_key && verb_key.SubKeys() == 0) verb_key.RestoreOrDeleteDefault(backup_name);
  }
  DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, shell + u"\\" + verb, view);
  {
    Key shell_key(shell, view);
    if (shell_key && shell_key.SubKeys() == 0) shell_key.RestoreOrDeleteDefault(backup_name);
  }
  DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, shell, view);

  bool type_left_bare = false;
  {
    Key file_type(type, view);
    type_left_bare = file_type && file_type.SubKeys() == 0;
  }
  if (!type_left_bare) return;
  DeleteKeyTree(HKEY_CLASSES_ROOT, type, view);
  if (extension_restored) return;
  // The extension's type was the installation's: its default goes, and the
  // key too when nothing else is left in it.
  {
    Key ext(extension, view);
    if (ext) ext.DeleteValue(u"");
  }
  DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, extension, view);
}

}  // namespace ks
