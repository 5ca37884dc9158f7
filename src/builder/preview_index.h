// The preview's index.html: every screenshot of every walk, with its page
// name and template, in the order the installer showed them.
#pragma once
#include <string>
#include <vector>

namespace ks::builder {

struct PreviewShot {
  std::string file;      // the PNG's name beside index.html
  std::string title;     // "Destination folder"
  std::string template_name;
  int width = 0, height = 0;
};

struct PreviewWalk {
  std::string label;  // "project", "plain", ...
  std::vector<PreviewShot> shots;
  std::string note;   // how the walk ended, when not as it should
};

std::string PreviewIndexHtml(const std::string& product, const std::vector<PreviewWalk>& walks);

}  // namespace ks::builder
