#include "demo_picture.h"

#include <algorithm>
#include <sstream>

#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>

#include <tagtrack/scenario_runner/svg_drawing.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack_tool {

namespace {

using tagtrack::scenarios::iso_view;
using tagtrack::scenarios::xml_escaped;

constexpr double gap = 40, line_height = 18, legend_height = 34;

// The marks' styles, set once in the picture's style sheet.
const char* const style_sheet =
    ".remembered{fill:none;stroke:#2ca02c;stroke-width:6;stroke-opacity:.8}"
    ".found{fill:none;stroke:#1f77b4;stroke-width:3;stroke-dasharray:7,4}"
    ".fillet{fill:#9b59b6;fill-opacity:.4;stroke:none}"
    ".caption{font-weight:bold}.edited{fill:#b03a2e}";

const char* class_of(demo_picture::mark m) {
  switch (m) {
    case demo_picture::mark::remembered:
      return "remembered";
    case demo_picture::mark::found:
      return "found";
    case demo_picture::mark::fillet:
      break;
  }
  return "fillet";
}

}  // namespace

void demo_picture::add(const std::string& caption, const std::vector<std::string>& notes,
                       const TopoDS_Shape& model) {
  m_drawings.push_back({caption, notes, model, {}});
}

void demo_picture::mark_on_last(mark what, const std::vector<TopoDS_Shape>& entities) {
  if (!m_drawings.empty()) m_drawings.back().marks.push_back({what, entities});
}

bool demo_picture::write(const std::string& path, std::string& error) const {
  // One frame round every model, so that the drawings share a scale and changes of size show.
  TopoDS_Compound models;
  BRep_Builder builder;
  builder.MakeCompound(models);
  for (const drawing& d : m_drawings) {
    if (!d.model.IsNull()) builder.Add(models, d.model);
  }
  iso_view v;
  v.frame(models);

  std::size_t lines = 0;
  for (const drawing& d : m_drawings) lines = std::max(lines, d.notes.size());
  const double top = (lines + 1) * line_height + 8;
  const double width =
      std::max(1.0, static_cast<double>(m_drawings.size())) * (v.size() + gap) - gap;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
      << top + v.height() + legend_height << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
      << "<style>" << style_sheet << "</style>\n<rect width=\"100%\" height=\"100%\" "
      << "fill=\"white\"/>\n";
  for (std::size_t i = 0; i < m_drawings.size(); ++i) {
    const drawing& d = m_drawings[i];
    svg << "<g class=\"drawing\" transform=\"translate(" << i * (v.size() + gap) << ",0)\">\n"
        << "<text class=\"caption\" x=\"4\" y=\"" << line_height << "\">" << xml_escaped(d.caption)
        << "</text>\n";
    for (std::size_t n = 0; n < d.notes.size(); ++n) {
      // A note that starts with '*' names an edited parameter.
      const bool edited = !d.notes[n].empty() && d.notes[n][0] == '*';
      svg << "<text x=\"4\" y=\"" << (n + 2) * line_height << "\""
          << (edited ? " class=\"edited\"" : "") << ">"
          << xml_escaped(edited ? d.notes[n].substr(1) : d.notes[n]) << "</text>\n";
    }
    svg << "<g transform=\"translate(0," << top << ")\">\n";
    tagtrack::scenarios::draw_hidden_lines(d.model, v, svg);
    // Faces first, so that the lines marked stay on top of them.
    for (const auto& [what, entities] : d.marks) {
      if (what != mark::fillet) continue;
      for (const TopoDS_Shape& e : entities) {
        tagtrack::scenarios::fill_face(e, v, "class=\"fillet\"", svg);
      }
    }
    svg << "<g class=\"highlight\">\n";
    for (const auto& [what, entities] : d.marks) {
      if (what == mark::fillet) continue;
      const std::string attributes = std::string("class=\"") + class_of(what) + "\"";
      for (const TopoDS_Shape& e : entities) {
        tagtrack::scenarios::highlight(e, v, attributes, 6, svg);
      }
    }
    svg << "</g>\n</g>\n</g>\n";
  }
  // The legend: a sample of each mark and what it means.
  const double y = top + v.height() + legend_height / 2;
  svg << "<g class=\"legend\" transform=\"translate(4," << y << ")\">\n"
      << "<line class=\"remembered\" x1=\"0\" y1=\"0\" x2=\"28\" y2=\"0\"/><text x=\"36\" "
         "y=\"4\">the edge remembered</text>\n"
      << "<line class=\"found\" x1=\"190\" y1=\"0\" x2=\"218\" y2=\"0\"/><text x=\"226\" "
         "y=\"4\">the edge the recipe found</text>\n"
      << "<rect class=\"fillet\" x=\"410\" y=\"-7\" width=\"28\" height=\"14\" "
         "style=\"stroke:#7d3c98\"/><text x=\"446\" "
         "y=\"4\">the fillet</text>\n"
      << "<path d=\"M540,0H568\" stroke=\"#b8b8b8\" stroke-dasharray=\"3,3\"/><text x=\"576\" "
         "y=\"4\">hidden edge</text>\n"
      << "<text x=\"680\" y=\"4\" class=\"edited\">edited</text>\n</g>\n</svg>\n";

  if (!tagtrack::scenarios::write_whole_file(path, svg.str())) {
    error = "tagtrack: cannot write the picture to '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace tagtrack_tool
