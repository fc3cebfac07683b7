#include "demo_picture.h"

#include <sstream>

#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>

#include <tagtrack/occt/shape_bodies.h>

#include "svg_drawing.h"
#include "whole_file.h"

namespace tagtrack_tool {

namespace {

// The edge as points along its curve: two for a straight edge, 24 spans for a curved one.
std::vector<gp_Pnt> edge_points(const EDGE* edge) {
  const int spans = edge->geometry()->kind() == curve_kind::straight ? 1 : 24;
  std::vector<gp_Pnt> points;
  for (int i = 0; i <= spans; ++i) {
    const double t = edge->t_start() + (edge->t_end() - edge->t_start()) * i / spans;
    const TPK::position p = edge->geometry()->eval(t);
    points.emplace_back(p.x, p.y, p.z);
  }
  return points;
}

constexpr double gap = 40, caption_height = 28;

}  // namespace

void demo_picture::add(const std::string& caption, const char* colour, BODY* model,
                       const std::vector<const EDGE*>& edges) {
  drawing d;
  d.caption = caption;
  d.colour = colour;
  if (m_open_cascade) {
    d.model = TPI_OCCT::shape_of(model);
    for (const EDGE* e : edges) d.marked.push_back(TPI_OCCT::edge_shape(e));
  } else {
    for (const EDGE* e : model->edges()) d.lines.push_back(edge_points(e));
    for (const EDGE* e : edges) d.marked_lines.push_back(edge_points(e));
  }
  m_drawings.push_back(std::move(d));
}

bool demo_picture::write(const std::string& path, std::string& error) const {
  // One frame round every model, so that the drawings share a scale and changes of size show.
  Bnd_Box box;
  for (const drawing& d : m_drawings) {
    if (!d.model.IsNull()) BRepBndLib::Add(d.model, box);
    for (const auto& line : d.lines) {
      for (const gp_Pnt& p : line) box.Add(p);
    }
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
    if (m_open_cascade) {
      draw_hidden_lines(d.model, v, svg);
    } else {
      for (const auto& line : d.lines) draw_polyline(line, v, "fill=\"none\" stroke=\"#333\"", svg);
    }
    svg << "<g class=\"highlight\">\n";
    for (const TopoDS_Shape& e : d.marked) highlight(e, v, d.colour, 6, svg);
    const std::string style = std::string("fill=\"none\" stroke=\"") + d.colour +
                              "\" stroke-opacity=\"0.75\" stroke-width=\"6\"";
    for (const auto& line : d.marked_lines) draw_polyline(line, v, style, svg);
    svg << "</g>\n</g>\n";
  }
  svg << "</svg>\n";

  if (!write_whole_file(path, svg.str())) {
    error = "tagtrack: cannot write the picture to '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace tagtrack_tool
