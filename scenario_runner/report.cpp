#include <tagtrack/scenario_runner/report.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include <tagtrack/scenario_runner/svg_drawing.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack::scenarios {

namespace {

const char* colour_of(const std::string& method) {
  if (method == "tagtrack") return "#1f77b4";
  if (method == "tnaming") return "#d62728";
  if (method == "index") return "#ff7f0e";
  return "#2ca02c";  // the expected entity
}

std::string picture(const step_picture& p, const std::vector<std::string>& methods) {
  iso_view v;
  v.frame(p.model);
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << iso_view::size << "\" height=\""
      << iso_view::size << "\">\n";
  draw_hidden_lines(p.model, v, svg);
  // The expected entity widest, each method's answer narrower on top of it.
  for (const auto& [reference, entity] : p.expected) {
    if (!entity.IsNull()) highlight(entity, v, colour_of("expected"), 9, svg);
  }
  double width = 6;
  for (const std::string& method : methods) {
    for (const auto& [reference, by_method] : p.found) {
      const auto found = by_method.find(method);
      if (found == by_method.end()) continue;
      for (const TopoDS_Shape& entity : found->second)
        highlight(entity, v, colour_of(method), width, svg);
    }
    width -= 1.5;
  }
  svg << "</svg>\n";
  return svg.str();
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

}  // namespace

outcome write_report(const std::string& dir, const std::vector<step_picture>& pictures,
                     const std::vector<std::string>& methods) {
  std::ostringstream page;
  page << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>tagtrack scenarios</title>"
          "<style>body{font-family:sans-serif} td,th{padding:2px 8px} .step{display:inline-block;"
          "vertical-align:top;margin:8px;border:1px solid #ddd;padding:6px}</style></head><body>\n"
          "<h1>Scenarios</h1>\n<p>Each picture shows a step's model with hidden lines dashed, the "
          "right entity of every reference in <span style=\"color:#2ca02c\">green</span>";
  for (const std::string& m : methods) {
    page << ", what <span style=\"color:" << colour_of(m) << "\">" << m << "</span> found";
  }
  page << " on top.</p>\n";
  std::string current;
  for (const step_picture& p : pictures) {
    if (p.scenario != current) {
      current = p.scenario;
      page << "<h2>" << escaped(current) << "</h2>\n";
    }
    page << "<div class=\"step\"><b>step " << p.step << "</b><br>\n"
         << picture(p, methods) << "<table><tr><th>reference</th>";
    for (const std::string& m : methods) page << "<th>" << m << "</th>";
    page << "</tr>\n";
    for (const auto& [reference, by_method] : p.verdicts) {
      page << "<tr><td>" << escaped(reference) << "</td>";
      for (const std::string& m : methods) {
        const auto v = by_method.find(m);
        const std::string verdict = v == by_method.end() ? "-" : verdict_word(v->second);
        const bool good = v != by_method.end() && is_right(v->second);
        page << "<td style=\"color:" << (good ? "#2ca02c" : "#d62728") << "\">" << verdict
             << "</td>";
      }
      page << "</tr>\n";
    }
    page << "</table></div>\n";
  }
  page << "</body></html>\n";
  std::error_code failed;
  std::filesystem::create_directories(dir, failed);
  if (failed ||
      !write_whole_file((std::filesystem::path(dir) / "index.html").string(), page.str())) {
    return outcome::failure("tagtrack: cannot write the report into '" + dir + "'");
  }
  return outcome();
}

}  // namespace tagtrack::scenarios
