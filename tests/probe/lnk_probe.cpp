// Prints the fields of shell links as JSON, one object per path given:
// {"path", "loaded", "target", "arguments", "working_folder", "icon",
// "icon_index", "show", "header_show"}, for the end-to-end tests.
#include <windows.h>

#include <cstdio>

#include "lnk_fields.h"
#include "window_probe/json_writer.h"

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  probe::JsonWriter json;
  json.BeginArray();
  for (int i = 1; i < argc; ++i) {
    probe::LinkFields f = probe::ReadLinkFields(argv[i]);
    json.BeginObject();
    json.Key("path");
    json.String(argv[i]);
    json.Key("loaded");
    json.Bool(f.loaded);
    json.Key("target");
    json.String(f.target);
    json.Key("arguments");
    json.String(f.arguments);
    json.Key("working_folder");
    json.String(f.working_folder);
    json.Key("icon");
    json.String(f.icon);
    json.Key("icon_index");
    json.Number(f.icon_index);
    json.Key("show");
    json.Number(f.show);
    json.Key("header_show");
    json.Number(f.header_show);
    json.EndObject();
  }
  json.EndArray();
  std::fputs(json.str().c_str(), stdout);
  std::fputs("\n", stdout);
  CoUninitialize();
  return 0;
}
