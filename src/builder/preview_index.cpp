// Writes the preview's index.html: plain HTML, every text escaped.
#include "preview_index.h"

namespace ks::builder {

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

const char* Heading(const std::string& label) {
  if (label == "plain") return "Every page plain";
  if (label == "side_picture") return "Every page with the side picture";
  if (label == "banner") return "Every page with the banner";
  return "The pages as the project sets them";
}

}  // namespace

std::string PreviewIndexHtml(const std::string& product, const std::vector<PreviewWalk>& walks) {
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Preview of " + Escape(product) +
      "</title>\n<style>body{font-family:sans-serif;background:#eee}figure{display:inline-block;margin:12px;"
      "vertical-align:top}img{border:1px solid #999;max-width:100%}</style></head>\n<body>\n<h1>Preview of " +
      Escape(product) + "</h1>\n";
  for (const PreviewWalk& walk : walks) {
    html += "<h2>" + Escape(Heading(walk.label)) + "</h2>\n";
    if (!walk.note.empty()) html += "<p class=\"note\">" + Escape(walk.note) + "</p>\n";
    for (size_t i = 0; i < walk.shots.size(); ++i) {
      const PreviewShot& s = walk.shots[i];
      html += "<figure><img src=\"" + Escape(s.file) + "\" width=\"" + std::to_string(s.width) + "\" height=\"" +
              std::to_string(s.height) + "\" alt=\"" + Escape(s.title) + "\"><figcaption>" + std::to_string(i + 1) +
              ". " + Escape(s.title);
      if (!s.template_name.empty()) html += " <small>(" + Escape(s.template_name) + ")</small>";
      html += "</figcaption></figure>\n";
    }
  }
  return html + "</body></html>\n";
}

}  // namespace ks::builder
