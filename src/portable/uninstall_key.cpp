// The product's uninstall registration as data.
#include "uninstall_key.h"

#include <cstdlib>

#include "decimal_text.h"

namespace ks {
namespace {

UninstallKeyValue Wide(std::u16string name, std::u16string text, bool remove_when_empty = false) {
  UninstallKeyValue v;
  v.name = std::move(name);
  v.kind = KeyValueKind::kText16;
  v.remove = remove_when_empty && text.empty();
  v.text16 = std::move(text);
  return v;
}

UninstallKeyValue Narrow(std::u16string name, std::string text, bool remove_when_empty = false) {
  UninstallKeyValue v;
  v.name = std::move(name);
  v.kind = KeyValueKind::kText8;
  v.remove = remove_when_empty && text.empty();
  v.text8 = std::move(text);
  return v;
}

UninstallKeyValue Dword(std::u16string name, uint32_t number, bool remove_when_zero = false) {
  UninstallKeyValue v;
  v.name = std::move(name);
  v.kind = KeyValueKind::kNumber;
  v.number = number;
  v.remove = remove_when_zero && number == 0;
  return v;
}

UninstallKeyValue Removed(std::u16string name) {
  UninstallKeyValue v = Dword(std::move(name), 0);
  v.remove = true;
  return v;
}

// The leading decimal digits, as far as they go.
uint32_t LeadingNumber(std::string_view text) {
  uint32_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    n = n * 10 + uint32_t(c - '0');
  }
  return n;
}

std::u16string Command(std::u16string_view uninstaller, std::u16string_view between, std::u16string_view key) {
  std::u16string text = u"\"";
  text += uninstaller;
  text += between;
  text += u"/u:\"";
  text += key;
  text += u"\"";
  return text;
}

}  // namespace

std::u16string UninstallString(std::u16string_view uninstaller, std::u16string_view key_name) {
  return Command(uninstaller, u"\" ", key_name);
}

std::u16string QuietUninstallString(std::u16string_view uninstaller, std::u16string_view key_name) {
  return Command(uninstaller, u"\" /a ", key_name);
}

UninstallKeyValue ExtraUninstallValue(const RegistryEntry& entry, std::u16string_view name,
                                                     std::u16string_view expanded) {
  UninstallKeyValue v;
  switch (entry.type) {
    case 1: v = Wide({}, std::u16string(expanded), true); break;
    case 2:
      v = Wide({}, std::u16string(expanded), true);
      v.kind = KeyValueKind::kExpand16;
      break;
    case 4: {
      // The text's leading digits; anything else counts as 0.
      std::string digits;
      for (char16_t c : expanded) {
        if (c < u'0' || c > u'9') break;
        digits += char(c);
      }
      v = Dword({}, uint32_t(ParseUnsigned(digits)), true);
      break;
    }
    default: v.kind = KeyValueKind::kUnknown; break;
  }
  size_t slash = name.rfind(u'\\');
  if (slash == std::u16string_view::npos) {
    v.name = std::u16string(name);
  } else {
    v.subkey = std::u16string(name.substr(0, slash));
    v.name = std::u16string(name.substr(slash + 1));
  }
  return v;
}

std::vector<UninstallKeyValue> UninstallKeyValues(const Settings& s, const UninstallKeyRun& run) {
  std::vector<UninstallKeyValue> out;
  out.push_back(Wide(u"UninstallString", UninstallString(run.uninstaller_path, run.key_name)));
  out.push_back(Wide(u"QuietUninstallString", QuietUninstallString(run.uninstaller_path, run.key_name)));
  out.push_back(Wide(u"DisplayName", s.ProductName));
  out.push_back(Wide(u"InstallSource", run.installer_path));
  out.push_back(Wide(u"Publisher", s.Publisher, true));
  out.push_back(Dword(u"Bitness", s.Bitness == 1 ? 1 : s.Bitness == 2 ? 2 : 0));
  out.push_back(Narrow(u"DisplayVersion", s.ProductVersion, true));
  out.push_back(Narrow(u"NoDowngradeBelow", s.NoDowngradeBelow, true));
  if (!run.product_icon_path.empty()) out.push_back(Wide(u"DisplayIcon", run.product_icon_path));
  if (size_t dot = s.ProductVersion.find('.'); dot != std::string::npos) {
    out.push_back(Dword(u"VersionMajor", LeadingNumber(s.ProductVersion)));
    out.push_back(Dword(u"VersionMinor", LeadingNumber(std::string_view(s.ProductVersion).substr(dot + 1))));
  }
  out.push_back(Wide(u"ProductRegistry", s.ProductRegistry, true));
  out.push_back(Wide(u"ProductStartMenu", run.start_menu_folder, true));
  out.push_back(Wide(u"SharedPath", run.shared_path, true));
  out.push_back(Narrow(u"ProductFonts", run.fonts_text, true));
  uint64_t flags = (uint64_t(s.OptionFlags2) << 32) | run.option_flags;
  out.push_back(Narrow(u"ProductFlags", std::to_string(flags)));
  out.push_back(Narrow(u"ProductFlags2", std::to_string(run.archive_flags)));
  out.push_back(Narrow(u"UninstallBatch1", s.UninstallBatch1, true));
  out.push_back(Narrow(u"UninstallBatch2", s.UninstallBatch2, true));
  out.push_back(Narrow(u"SharedFiles", run.shared_files, true));
  out.push_back(Wide(u"UninstallSubdir", s.UninstallSubdir, true));
  out.push_back(Wide(u"AddToPathSubfolder", s.AddToPathSubfolder, true));
  out.push_back(Dword(u"ShortcutMode", s.ShortcutMode == 1 ? 1 : 0, true));
  out.push_back(Narrow(u"NotifyURL", run.notify_url, true));
  out.push_back(Narrow(u"SupportOffer", s.SupportOffer, true));
  out.push_back(Wide(u"DesktopFolder", s.DesktopFolder, true));
  uint64_t kilobytes = run.installed_size / 1024;
  UninstallKeyValue size = Dword(u"EstimatedSize", uint32_t(kilobytes), true);
  if (kilobytes > UINT32_MAX) size.remove = true;
  out.push_back(size);

  // The main window's appearance, for the uninstaller's own window.
  const bool mono = s.TopColor == s.BottomColor;
  out.push_back(Wide(u"DisplayTitle", s.DisplayTitle));
  out.push_back(Dword(u"TitleColor", s.TitleColor));
  out.push_back(Narrow(u"TitleSize", NumberText(s.TitleSize)));
  out.push_back(Dword(u"TopColor", s.TopColor));
  out.push_back(mono ? Removed(u"BottomColor") : Dword(u"BottomColor", s.BottomColor));
  out.push_back(Dword(u"MonoColor", mono ? 1 : 0));
  out.push_back(Dword(u"TitleShadow", s.TitleShadow));
  out.push_back(Dword(u"TitlePosition", s.TitlePosition));
  out.push_back(Narrow(u"TitleFont", s.TitleFont));
  out.push_back(Narrow(u"TaskbarText", s.TaskbarText));
  out.push_back(Wide(u"CopyrightText", s.CopyrightText));
  out.push_back(Narrow(u"CopyrightFont", run.copyright_font));
  out.push_back(Narrow(u"CopyrightSize", NumberText(s.CopyrightSize)));
  out.push_back(Narrow(u"CopyrightColor", std::to_string(s.CopyrightColor)));
  out.push_back(Dword(u"CopyrightPos", s.CopyrightPos));

  if ((run.option_flags & kOptKeepBackground) && !s.BackgroundPicture.empty()) {
    out.push_back(Dword(u"BitmapSize", s.BitmapSize));
    UninstallKeyValue tpi = Dword(u"BitmapTPI", s.BitmapTPI);
    tpi.remove = s.BitmapTPI == UINT32_MAX;
    out.push_back(tpi);
    out.push_back(Dword(u"StretchMode", s.StretchMode));
  } else {
    out.push_back(Removed(u"BitmapSize"));
    out.push_back(Removed(u"BitmapTPI"));
    out.push_back(Removed(u"StretchMode"));
  }

  out.insert(out.end(), run.extra.begin(), run.extra.end());
  out.push_back(Wide(u"InstallLocation", run.install_dir));
  out.push_back(Narrow(u"InstallDate", run.install_date));
  return out;
}

std::u16string SavedTextName(std::u16string_view stem, size_t index, size_t count) {
  std::u16string name(stem);
  if (count != 1) {
    for (char c : std::to_string(index + 1)) name += char16_t(c);
  }
  return name + u".txt";
}

std::string NumberText(double value) {
  std::string text = FixedText(value, 6);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace ks
