// Names the windows of a preview walk after the wizard pages they are, by the
// controls only a page's templates carry.
#include "preview_pages.h"

#include <algorithm>

#include "wizard_rules.h"

namespace ks::preview {

namespace {

// Index into DialogVariants, or -1 for the pages without variants.
struct PageKind {
  int control;
  const char* title;
  const char* slug;
  const char* base;
  int variant_index;
};

// First match wins: the summary also holds OK, the greeting a text, and so on.
constexpr PageKind kKinds[] = {
    {kLanguages, "Language", "language", "LanguageDlg", 1},
    {kLink, "Greeting", "greeting", "GreetingDlg", 0},
    {kPassword, "Password", "password", "EnterPassword", -1},
    {kSpaceRequired, "Destination folder", "folder", "ChooseDirDlg", 4},
    {kBrowse, "Start-menu folder", "start-menu", "StartMenuDlg", 5},
    {kProgressBar, "Progress", "progress", "ProgressDlg", 6},
    {kOpenDocument, "Summary", "summary", "SummaryDlg", 7},
};

bool Has(const SeenWindow& w, int id) {
  return std::find(w.controls.begin(), w.controls.end(), id) != w.controls.end();
}

std::string Slug(const std::string& text) {
  std::string s;
  for (unsigned char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) s += char(c);
    else if (c >= 'A' && c <= 'Z') s += char(c - 'A' + 'a');
    else if (!s.empty() && s.back() != '-') s += '-';
    if (s.size() >= 32) break;
  }
  while (!s.empty() && s.back() == '-') s.pop_back();
  return s.empty() ? "message" : "message-" + s;
}

}  // namespace

std::vector<PageName> NamePages(const std::vector<SeenWindow>& seen, const std::array<uint32_t, 8>& variants) {
  std::vector<PageName> names;
  bool page_seen = false;
  for (const SeenWindow& w : seen) {
    if (w.screen) {
      names.push_back({"Main window", "main-window", ""});
      continue;
    }
    const PageKind* kind = nullptr;
    for (const PageKind& k : kKinds)
      if (Has(w, k.control)) {
        kind = &k;
        break;
      }
    if (kind) {
      std::string name = kind->variant_index < 0 ? kind->base : TemplateName(kind->base, variants[kind->variant_index]);
      // The greeting has no plain template: any variant but 1 loads the banner one.
      if (kind->variant_index == 0 && variants[0] != 1) name = "GreetingDlg3";
      names.push_back({kind->title, kind->slug, name});
      page_seen = page_seen || kind->variant_index != 1;
    } else if (Has(w, kViewer)) {
      // The licence's OK is a plain button: accepting must be a deliberate click.
      bool licence = !w.ok_is_default;
      names.push_back({licence ? "Licence" : "Readme", licence ? "licence" : "readme",
                       TemplateName(licence ? "LicenseDlg" : "ReadmeDlg", variants[licence ? 2 : 3])});
      page_seen = true;
    } else if (Has(w, kMessageText) && !page_seen && variants[0] == 0) {
      names.push_back({"Greeting", "greeting", "message box"});
      page_seen = true;
    } else if (Has(w, kMessageText)) {
      names.push_back({"Message: " + w.caption, Slug(w.caption), ""});
    } else {
      std::string title = w.caption.empty() ? "Dialog" : "Dialog: " + w.caption;
      names.push_back({title, "dialog", ""});
    }
  }
  return names;
}

std::vector<VariantSet> VariantSets(const std::array<uint32_t, 8>& project, bool all_variants) {
  if (!all_variants) return {{"project", project}};
  std::vector<VariantSet> sets;
  const char* labels[] = {"plain", "side_picture", "banner"};
  for (uint32_t v = 0; v < 3; ++v) {
    VariantSet set{labels[v], {}};
    set.variants.fill(v);
    sets.push_back(set);
  }
  return sets;
}

}  // namespace ks::preview
