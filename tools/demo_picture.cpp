#include "demo_picture.h"

#include <sstream>

#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>

#include <tagtrack/scenario_runner/svg_drawing.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack_tool {

namespace {

using tagtrack::scenarios::iso_view;

constexpr double gap = 40, caption_height = 28;

}  // namespace

void demo_picture::add(const std::string& caption, const char* colour, const TopoDS_Shape& model,
                       const std::vector<TopoDS_Shape>& edges) {
  m_drawings.push_back({caption, colour, model, edges});
}

bool demo_picture::write(const std::string& path, std::string& error) const {
  // One frame round every model, so that the drawings share a scale and changes of size show.
  Bnd_Box box;
  for (const drawing& d : m_drawings) {
    if (!d.model.IsNull()) BRepBndLib::Add(d.model, box);
  }
  iso_view v;
  v.frame(box);

  std::ostringstream svg;
  const double width = m_drawings.size() * (iso_view::size + gap) - gap;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
      << iso_view::size + caption_height << "\" font-family=\"sans-serif\" font-size=\"13\">\n";
  for (std::size_t i = 0; i < m_drawings.size(); ++i) {
    const drawing& d = m_drawings[i];
    svg << "<g class=\"drawing\" transform=\"translate(" << i * (iso_view::size + gap) << ","
        << caption_height << ")\">\n<text x=\"4\" y=\"-10\">" << d.caption << "</text>\n";
    tagtrack::scenarios::draw_hidden_lines(d.model, v, svg);
    svg << "<g class=\"highlight\">\n";
    for (const TopoDS_Shape& e : d.marked) tagtrack::scenarios::highlight(e, v, d.colour, 6, svg);
    svg << "</g>\n</g>\n";
  }
  svg << "</svg>\n";

  if (!tagtrack::scenarios::write_whole_file(path, svg.str())) {
    error = "tagtrack: cannot write the picture to '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace tagtrack_tool
