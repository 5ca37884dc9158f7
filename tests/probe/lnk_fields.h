// Reads a shell link back through IShellLinkW: what a test checks of a
// shortcut the engine saved. The caller has COM initialised.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

namespace probe {

struct LinkFields {
  bool loaded = false;
  std::wstring target, arguments, working_folder, icon;
  int icon_index = 0;
  int show = 0;         // as IShellLinkW gives it back
  int header_show = 0;  // the ShowCommand field of the link's header
};

// Wine's link object does not load the show command back (it answers
// SW_SHOWNORMAL whatever was saved), so the header field is read as well:
// a little-endian DWORD at offset 0x3C of every link file.
inline int HeaderShowCommand(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  unsigned char header[0x40] = {};
  DWORD read = 0;
  bool ok = ReadFile(h, header, sizeof header, &read, nullptr) && read == sizeof header;
  CloseHandle(h);
  if (!ok) return -1;
  return header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | header[0x3F] << 24;
}

inline LinkFields ReadLinkFields(const std::wstring& path) {
  static const GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  LinkFields out;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                              reinterpret_cast<void**>(&link))))
    return out;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      out.loaded = true;
      wchar_t buffer[1024];
      WIN32_FIND_DATAW data;
      buffer[0] = 0;
      if (SUCCEEDED(link->GetPath(buffer, 1024, &data, SLGP_RAWPATH))) out.target = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(link->GetArguments(buffer, 1024))) out.arguments = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(link->GetWorkingDirectory(buffer, 1024))) out.working_folder = buffer;
      buffer[0] = 0;
      if (SUCCEEDED(link->GetIconLocation(buffer, 1024, &out.icon_index))) out.icon = buffer;
      link->GetShowCmd(&out.show);
    }
    file->Release();
  }
  link->Release();
  if (out.loaded) out.header_show = HeaderShowCommand(path);
  return out;
}

}  // namespace probe
