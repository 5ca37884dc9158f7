// Registration of fonts, MSI packages and applets right after their file.
#include "install/written_components.h"

#include "core/file.h"
#include "core/system_error.h"
#include "install/applets.h"
#include "install/component_status.h"
#include "install/fonts.h"
#include "install/msi_install.h"
#include "portable/component_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

void InstallFont(const FileRecord& record, InstallSink& sink) {
  std::u16string face = Utf8ToUtf16(record.Title);
  std::u16string file = PathFrom8Bit(record.FileName);
  ShowItemStatus(sink, file);
  RegisterFont(face, file);
}

void InstallPackage(const FileRecord& record, const std::u16string& destination, InstallSink& sink,
                    UninstallData& data, HWND owner) {
  ShowItemStatus(sink, destination);
  std::u16string line = u"Installing MSI package \"" + destination + u"\"...";
  DWORD code = InstallMsiPackage(destination, record.MsiUiLevel, owner);
  if (code == 0) {
    line += u"OK\r\n";
    if (record.FileFlags & kFileRecordPackage)
      data.msi.push_back(MsiRecordLine(EightBitPath(destination), record.MsiUiLevel));
  } else {
    line += u"FAILED code " + Widen(std::to_string(code)) + u": " + SystemErrorText(code) + u"\r\n";
    sink.AddFailure(SystemCodePage().FromWide(line, '?'));
  }
  sink.Log(Utf16ToUtf8(line));
}

void InstallApplet(const FileRecord& record, const std::u16string& destination, InstallSink& sink,
                   UninstallData& data) {
  std::u16string name = AppletName(record.Title, destination);
  ShowItemStatus(sink, AppletProgressName(name));
  sink.Log(Utf16ToUtf8(u"Registering control panel applet \"" + name + u"\"..."));
  if (RegisterApplet(destination, name)) {
    sink.Log("OK\r\n");
    // Recorded under the value name actually set, so that an applet named
    // after its file is removed as well.
    data.RecordItem(std::u16string(kAppletKeyPath) + u"\\" + name, kRecordRegistryValue);
  } else {
    DWORD error = GetLastError();
    sink.Log(Utf16ToUtf8(u"FAILED!\r\n" + SystemErrorText(error) + u"\r\n\r\n"));
  }
}

}  // namespace

void RegisterWrittenComponent(const FileRecord& record, const std::u16string& destination, InstallSink& sink,
                              UninstallData& data, HWND owner) {
  switch (record.Kind) {
    case kKindFont: InstallFont(record, sink); break;
    case kKindMsiPackage: InstallPackage(record, destination, sink, data, owner); break;
    case kKindApplet: InstallApplet(record, destination, sink, data); break;
    default: break;
  }
}

}  // namespace ks
