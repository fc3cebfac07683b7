// Drawings of models as SVG: an isometric view framed round a model, the model's edges with hidden
// lines removed (Open CASCADE's hidden-line algorithm), and entities marked over it. Coordinates
// are written to a tenth of a pixel, which is finer than a screen shows and keeps pages small.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <Bnd_Box.hxx>
#include <HLRAlgo_Projector.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pnt.hxx>

#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// `text` as SVG or HTML text or attribute value: <, >, & and " as entities.
TAGTRACK_SCENARIOS_EXPORT std::string xml_escaped(const std::string& text);

// An isometric view onto a drawing `size` pixels wide, the framed extent filling 90% of its width
// or of `size` in height, whichever is less; the drawing is as high as the framed extent needs.
class TAGTRACK_SCENARIOS_EXPORT iso_view {
 public:
  explicit iso_view(double size = 360) : m_size(size), m_height(size) {}

  double size() const { return m_size; }
  double height() const { return m_height; }

  // Frames the view round the box's eight corners, or round the model's edges as drawn (a
  // compound frames several models at one scale); an empty box or a model without edges leaves
  // the view as it is.
  void frame(const Bnd_Box& box);
  void frame(const TopoDS_Shape& model);

  // The drawing's point of a point in the view plane, and of a model point.
  std::pair<double, double> at(double x, double y) const;
  std::pair<double, double> at(const gp_Pnt& p) const;

  const HLRAlgo_Projector& projector() const { return m_projector; }

 private:
  void fit(double xmin, double ymin, double xmax, double ymax);

  HLRAlgo_Projector m_projector{gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(1, -1, 1), gp_Dir(1, 1, 0))};
  double m_size, m_height;
  double m_x0 = 0, m_y0 = 0, m_scale = 1;
};

// A length in pixels as the drawings write it: to a tenth, without a trailing ".0".
TAGTRACK_SCENARIOS_EXPORT std::string pixels(double value);

// The model's edges, visible ones solid dark grey and hidden ones dashed light grey, each set as
// one path in a group that carries its own style; a line of text instead when the hidden-line
// algorithm fails on the model.
TAGTRACK_SCENARIOS_EXPORT void draw_hidden_lines(const TopoDS_Shape& model, const iso_view& v,
                                                 std::ostream& svg);

// An entity drawn over the model: its edges as polylines (a face by its boundary), or a vertex as
// a circle of radius `ring`, each element carrying `attributes` (a class, or a stroke and width).
TAGTRACK_SCENARIOS_EXPORT void highlight(const TopoDS_Shape& entity, const iso_view& v,
                                         const std::string& attributes, double ring,
                                         std::ostream& svg);

// The edges of an entity (a face's boundary) as the moves and lines of one path's data, for a
// page that draws the entity several times: once in a path with an id, then by reference.
TAGTRACK_SCENARIOS_EXPORT void outline_data(const TopoDS_Shape& entity, const iso_view& v,
                                            std::ostream& svg);

// A face filled over the model: one path through its wires in order, filled even-odd, carrying
// `attributes`. For a planar face that is the face itself; for a curved one it is the area
// between its boundary curves as drawn, which shows a band such as a fillet's. Nothing for any
// other entity.
TAGTRACK_SCENARIOS_EXPORT void fill_face(const TopoDS_Shape& face, const iso_view& v,
                                         const std::string& attributes, std::ostream& svg);

}  // namespace tagtrack::scenarios
