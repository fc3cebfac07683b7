// Drawings of models as SVG: an isometric view framed round a model, the model's edges with hidden
// lines removed (Open CASCADE's hidden-line algorithm), and entities highlighted over it.
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

// An isometric view onto a square drawing of `size` pixels, the framed box filling 90% of it.
class TAGTRACK_SCENARIOS_EXPORT iso_view {
 public:
  static constexpr double size = 360;

  // Frames the view round the box's eight corners; an empty box leaves the view as it is.
  void frame(const Bnd_Box& box);
  void frame(const TopoDS_Shape& model);

  // The drawing's point of a point in the view plane, and of a model point.
  std::pair<double, double> at(double x, double y) const;
  std::pair<double, double> at(const gp_Pnt& p) const;

  const HLRAlgo_Projector& projector() const { return m_projector; }

 private:
  HLRAlgo_Projector m_projector{gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(1, -1, 1), gp_Dir(1, 1, 0))};
  double m_x0 = 0, m_y0 = 0, m_scale = 1;
};

// The model's edges as polylines, visible ones solid and hidden ones dashed; a line of text instead
// when the hidden-line algorithm fails on the model.
TAGTRACK_SCENARIOS_EXPORT void draw_hidden_lines(const TopoDS_Shape& model, const iso_view& v,
                                                 std::ostream& svg);

// An entity drawn over the model in `colour`: its edges as polylines `width` wide, or a vertex as a
// ring.
TAGTRACK_SCENARIOS_EXPORT void highlight(const TopoDS_Shape& entity, const iso_view& v,
                                         const char* colour, double width, std::ostream& svg);

// A polyline through model points, with `style` as its attributes.
TAGTRACK_SCENARIOS_EXPORT void draw_polyline(const std::vector<gp_Pnt>& points, const iso_view& v,
                                             const std::string& style, std::ostream& svg);

}  // namespace tagtrack::scenarios
