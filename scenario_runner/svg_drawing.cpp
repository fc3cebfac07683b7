#include <tagtrack/scenario_runner/svg_drawing.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <HLRBRep_Algo.hxx>
#include <HLRBRep_HLRToShape.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Pnt2d.hxx>

namespace tagtrack::scenarios {

std::string xml_escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

void iso_view::fit(double xmin, double ymin, double xmax, double ymax) {
  m_scale = 0.9 * m_size / std::max({xmax - xmin, ymax - ymin, 1e-9});
  m_x0 = (xmin + xmax) / 2, m_y0 = (ymin + ymax) / 2;
  // As tall as the framed extent with the same margin as at the sides, at least a third of the
  // width: a flat part leaves no empty band above and below it.
  m_height = std::max(m_size / 3, (ymax - ymin) * m_scale + 0.1 * m_size);
}

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
  fit(xmin, ymin, xmax, ymax);
}

void iso_view::frame(const TopoDS_Shape& model) {
  // The extent of the edges as drawn, which is tighter than the corners of a box round them: a
  // disc seen from the corner of its box fills only two thirds of the box's width.
  double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
  for (TopExp_Explorer e(model, TopAbs_EDGE); e.More(); e.Next()) {
    const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
    if (BRep_Tool::Degenerated(edge)) continue;
    BRepAdaptor_Curve curve(edge);
    const int n = curve.GetType() == GeomAbs_Line ? 1 : 48;
    for (int i = 0; i <= n; ++i) {
      gp_Pnt2d p;
      m_projector.Project(curve.Value(curve.FirstParameter() +
                                      (curve.LastParameter() - curve.FirstParameter()) * i / n),
                          p);
      xmin = std::min(xmin, p.X()), xmax = std::max(xmax, p.X());
      ymin = std::min(ymin, p.Y()), ymax = std::max(ymax, p.Y());
    }
  }
  if (xmin > xmax) return;
  fit(xmin, ymin, xmax, ymax);
}

std::pair<double, double> iso_view::at(double x, double y) const {
  return {m_size / 2 + (x - m_x0) * m_scale, m_height / 2 - (y - m_y0) * m_scale};
}

std::pair<double, double> iso_view::at(const gp_Pnt& p) const {
  gp_Pnt2d q;
  m_projector.Project(p, q);
  return at(q.X(), q.Y());
}

std::string pixels(double value) {
  const long tenths = std::lround(value * 10);
  char text[32];
  if (tenths % 10 == 0) {
    std::snprintf(text, sizeof text, "%ld", tenths / 10);
  } else {
    std::snprintf(text, sizeof text, "%s%ld.%ld", tenths < 0 ? "-" : "", std::labs(tenths) / 10,
                  std::labs(tenths) % 10);
  }
  return text;
}

namespace {

// The drawing's points along an edge, in the edge's own direction when `oriented`; the ends
// alone for a line. `projected` when the edge already lies in the view plane.
std::vector<std::pair<double, double>> edge_points(const TopoDS_Edge& edge, const iso_view& v,
                                                   bool projected, bool oriented) {
  BRepAdaptor_Curve curve(edge);
  const auto at = [&](int i, int n) {
    const gp_Pnt p = curve.Value(curve.FirstParameter() +
                                 (curve.LastParameter() - curve.FirstParameter()) * i / n);
    return projected ? v.at(p.X(), p.Y()) : v.at(p);
  };
  // A curve gets a point about every 6 pixels of its drawn length, 4 to 24 segments: a small
  // circle needs fewer than a large one to look round.
  int n = 1;
  if (curve.GetType() != GeomAbs_Line) {
    double length = 0;
    for (int i = 1; i <= 8; ++i) {
      const auto [x0, y0] = at(i - 1, 8);
      const auto [x1, y1] = at(i, 8);
      length += std::hypot(x1 - x0, y1 - y0);
    }
    n = std::clamp(static_cast<int>(std::ceil(length / 6)), 4, 24);
  }
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i <= n; ++i) points.push_back(at(i, n));
  if (oriented && edge.Orientation() == TopAbs_REVERSED) std::reverse(points.begin(), points.end());
  return points;
}

void write_points(const std::vector<std::pair<double, double>>& points, std::ostream& svg) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    svg << (i == 0 ? "" : " ") << pixels(points[i].first) << "," << pixels(points[i].second);
  }
}

// The edges of a shape as the moves and lines of one path; `projected` as for edge_points.
void path_data(const TopoDS_Shape& shape, const iso_view& v, bool projected, std::ostream& svg) {
  for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next()) {
    const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
    if (BRep_Tool::Degenerated(edge)) continue;
    const auto points = edge_points(edge, v, projected, false);
    for (std::size_t i = 0; i < points.size(); ++i) {
      svg << (i == 0   ? "M"
              : i == 1 ? "L"
                       : " ")
          << pixels(points[i].first) << "," << pixels(points[i].second);
    }
  }
}

}  // namespace

void draw_hidden_lines(const TopoDS_Shape& model, const iso_view& v, std::ostream& svg) {
  std::ostringstream hidden, visible;
  try {
    Handle(HLRBRep_Algo) hlr = new HLRBRep_Algo();
    hlr->Add(model);
    hlr->Projector(v.projector());
    hlr->Update();
    hlr->Hide();
    HLRBRep_HLRToShape lines(hlr);
    const auto add = [&](const TopoDS_Shape& s, std::ostream& to) {
      if (!s.IsNull()) path_data(s, v, true, to);
    };
    add(lines.HCompound(), hidden);
    add(lines.VCompound(), visible);
    add(lines.Rg1LineVCompound(), visible);
    add(lines.OutLineVCompound(), visible);
  } catch (const Standard_Failure&) {
    svg << "<text x=\"10\" y=\"20\">the model could not be drawn</text>\n";
    return;
  }
  svg << "<g fill=\"none\" stroke-linejoin=\"round\">\n";
  if (!hidden.str().empty()) {
    svg << "<path stroke=\"#b8b8b8\" stroke-dasharray=\"3,3\" d=\"" << hidden.str() << "\"/>\n";
  }
  if (!visible.str().empty()) svg << "<path stroke=\"#444\" d=\"" << visible.str() << "\"/>\n";
  svg << "</g>\n";
}

void highlight(const TopoDS_Shape& entity, const iso_view& v, const std::string& attributes,
               double ring, std::ostream& svg) {
  if (entity.ShapeType() == TopAbs_VERTEX) {
    const auto [x, y] = v.at(BRep_Tool::Pnt(TopoDS::Vertex(entity)));
    svg << "<circle " << attributes << " cx=\"" << pixels(x) << "\" cy=\"" << pixels(y) << "\" r=\""
        << pixels(ring) << "\"/>\n";
    return;
  }
  for (TopExp_Explorer e(entity, TopAbs_EDGE); e.More(); e.Next()) {
    const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
    if (BRep_Tool::Degenerated(edge)) continue;
    svg << "<polyline " << attributes << " points=\"";
    write_points(edge_points(edge, v, false, false), svg);
    svg << "\"/>\n";
  }
}

void outline_data(const TopoDS_Shape& entity, const iso_view& v, std::ostream& svg) {
  path_data(entity, v, false, svg);
}

void fill_face(const TopoDS_Shape& face, const iso_view& v, const std::string& attributes,
               std::ostream& svg) {
  if (face.ShapeType() != TopAbs_FACE) return;
  std::ostringstream d;
  for (TopExp_Explorer w(face, TopAbs_WIRE); w.More(); w.Next()) {
    bool first = true;
    for (BRepTools_WireExplorer e(TopoDS::Wire(w.Current()), TopoDS::Face(face)); e.More();
         e.Next()) {
      if (BRep_Tool::Degenerated(e.Current())) continue;
      for (const auto& [x, y] : edge_points(e.Current(), v, false, true)) {
        d << (first ? "M" : "L") << pixels(x) << "," << pixels(y);
        first = false;
      }
    }
    if (!first) d << "Z";
  }
  if (d.str().empty()) return;
  svg << "<path " << attributes << " fill-rule=\"evenodd\" d=\"" << d.str() << "\"/>\n";
}

}  // namespace tagtrack::scenarios
