// What `keldwick preview` shows: which wizard page a window the preview probe
// saw is, the template it comes from, and which template variants to build.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ks::preview {

// Control ids of the engine's dialog templates that tell the pages apart.
constexpr int kOk = 1001, kCancel = 1003, kViewer = 1005, kProgressBar = 1007, kBrowse = 1013,
              kLanguages = 1017, kPassword = 1019, kOpenDocument = 1023, kLaunch = 1025, kOpenLog = 1027,
              kOpenDocument2 = 1029, kSpaceRequired = 1036, kLink = 1040;
// A message box's text control.
constexpr int kMessageText = 0xFFFF;

// One window as the probe reported it.
struct SeenWindow {
  bool screen = false;  // the whole screen at the first page: the main window
  std::vector<int> controls;
  bool ok_is_default = false;  // OK carries the default-button style
  std::string caption;
};

struct PageName {
  std::string title;   // "Destination folder"
  std::string slug;    // "folder", for file names
  std::string template_name;  // "ChooseDirDlg3"; "message box" for the plain greeting; else empty
};

// Names the windows of one walk in the order they showed. `variants` are the
// settings' DialogVariants (greeting, language, licence, readme, folder, start
// menu, progress, summary). A message box before any page is the greeting of
// variant 0; later ones are named by their caption.
std::vector<PageName> NamePages(const std::vector<SeenWindow>& seen, const std::array<uint32_t, 8>& variants);

// The DialogVariants sets to walk: the project's own, or every page in each
// of the three variants (plain, side picture, banner).
struct VariantSet {
  std::string label;  // "project", "plain", "side_picture", "banner"
  std::array<uint32_t, 8> variants{};
};
std::vector<VariantSet> VariantSets(const std::array<uint32_t, 8>& project, bool all_variants);

}  // namespace ks::preview
