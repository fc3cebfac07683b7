#include <tagtrack/scenario_runner/svg_drawing.h>

#include <algorithm>
#include <sstream>

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRep_Tool.hxx>
#include <HLRBRep_Algo.hxx>
#include <HLRBRep_HLRToShape.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Pnt2d.hxx>

namespace tagtrack::scenarios {

void iso_view::frame(const Bnd_Box& box) {
  if (box.IsVoid()) return;
  double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
  double a[3], b[3];
  box.Get(a[0], a[1], a[2], b[0], b[1], b[2]);
  for (int corner = 0; corner < 8; ++corner) {
    gp_Pnt2d p;
    m_projector.Project(
        gp_Pnt(corner & 1 ? b[0] : a[0], corner & 2 ? b[1] : a[1], corner & 4 ? b[2] : a[2]), p);
    xmin = std::min(xmin, p.X()), xmax = std::max(xmax, p.X());
    ymin = std::min(ymin, p.Y()), ymax = std::max(ymax, p.Y());
  }
  m_scale = 0.9 * size / std::max({xmax - xmin, ymax - ymin, 1e-9});
  m_x0 = (xmin + xmax) / 2, m_y0 = (ymin + ymax) / 2;
}

void iso_view::frame(const TopoDS_Shape& model) {
  Bnd_Box box;
  BRepBndLib::Add(model, box);
  frame(box);
}

std::pair<double, double> iso_view::at(double x, double y) const {
  return {size / 2 + (x - m_x0) * m_scale, size / 2 - (y - m_y0) * m_scale};
}

std::pair<double, double> iso_view::at(const gp_Pnt& p) const {
  gp_Pnt2d q;
  m_projector.Project(p, q);
  return at(q.X(), q.Y());
}

namespace {

// The edges of `shape` as SVG polylines; `projected` when they already lie in the view plane.
void polylines(const TopoDS_Shape& shape, const iso_view& v, bool projected,
               const std::string& style, std::ostream& svg) {
  for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next()) {
    const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
    if (BRep_Tool::Degenerated(edge)) continue;
    BRepAdaptor_Curve curve(edge);
    const int n = curve.GetType() == GeomAbs_Line ? 1 : 24;
    svg << "<polyline " << style << " points=\"";
    for (int i = 0; i <= n; ++i) {
      const double t =
          curve.FirstParameter() + (curve.LastParameter() - curve.FirstParameter()) * i / n;
      const gp_Pnt p = curve.Value(t);
      const auto [x, y] = projected ? v.at(p.X(), p.Y()) : v.at(p);
      svg << x << "," << y << " ";
    }
    svg << "\"/>\n";
  }
}

}  // namespace

void draw_hidden_lines(const TopoDS_Shape& model, const iso_view& v, std::ostream& svg) {
  try {
    Handle(HLRBRep_Algo) hlr = new HLRBRep_Algo();
    hlr->Add(model);
    hlr->Projector(v.projector());
    hlr->Update();
    hlr->Hide();
    HLRBRep_HLRToShape lines(hlr);
    const auto draw = [&](const TopoDS_Shape& s, const char* style) {
      if (!s.IsNull()) polylines(s, v, true, style, svg);
    };
    draw(lines.HCompound(), "fill=\"none\" stroke=\"#bbb\" stroke-dasharray=\"3,3\"");
    draw(lines.VCompound(), "fill=\"none\" stroke=\"#333\"");
    draw(lines.Rg1LineVCompound(), "fill=\"none\" stroke=\"#333\"");
    draw(lines.OutLineVCompound(), "fill=\"none\" stroke=\"#333\"");
  } catch (const Standard_Failure&) {
    svg << "<text x=\"10\" y=\"20\">the model could not be drawn</text>\n";
  }
}

void highlight(const TopoDS_Shape& entity, const iso_view& v, const char* colour, double width,
               std::ostream& svg) {
  if (entity.ShapeType() == TopAbs_VERTEX) {
    const auto [x, y] = v.at(BRep_Tool::Pnt(TopoDS::Vertex(entity)));
    svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << width + 2
        << "\" fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n";
    return;
  }
  std::ostringstream style;
  style << "fill=\"none\" stroke=\"" << colour << "\" stroke-opacity=\"0.75\" stroke-width=\""
        << width << "\"";
  polylines(entity, v, false, style.str(), svg);
}

void draw_polyline(const std::vector<gp_Pnt>& points, const iso_view& v, const std::string& style,
                   std::ostream& svg) {
  svg << "<polyline " << style << " points=\"";
  for (const gp_Pnt& p : points) {
    const auto [x, y] = v.at(p);
    svg << x << "," << y << " ";
  }
  svg << "\"/>\n";
}

}  // namespace tagtrack::scenarios
