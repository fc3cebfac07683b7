#include "scenario_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GCPnts_UniformAbscissa.hxx>
#include <HLRAlgo_Projector.hxx>
#include <HLRBRep_Algo.hxx>
#include <HLRBRep_HLRToShape.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>

namespace tagtrack_tool {

namespace {

const char* colour_of(const std::string& method) {
  if (method == "tagtrack") return "#1f77b4";
  if (method == "tnaming") return "#d62728";
  if (method == "index") return "#ff7f0e";
  return "#2ca02c";  // the expected entity
}

// An isometric view: the projection and the drawing's frame.
struct view {
  HLRAlgo_Projector projector{gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(1, -1, 1), gp_Dir(1, 1, 0))};
  double x0 = 0, y0 = 0, scale = 1;
  static constexpr double size = 360;

  void frame(const TopoDS_Shape& model) {
    Bnd_Box box;
    BRepBndLib::Add(model, box);
    if (box.IsVoid()) return;
    double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
    double a[3], b[3];
    box.Get(a[0], a[1], a[2], b[0], b[1], b[2]);
    for (int corner = 0; corner < 8; ++corner) {
      gp_Pnt2d p;
      projector.Project(
          gp_Pnt(corner & 1 ? b[0] : a[0], corner & 2 ? b[1] : a[1], corner & 4 ? b[2] : a[2]), p);
      xmin = std::min(xmin, p.X()), xmax = std::max(xmax, p.X());
      ymin = std::min(ymin, p.Y()), ymax = std::max(ymax, p.Y());
    }
    scale = 0.9 * size / std::max({xmax - xmin, ymax - ymin, 1e-9});
    x0 = (xmin + xmax) / 2, y0 = (ymin + ymax) / 2;
  }
  std::pair<double, double> at(double x, double y) const {
    return {size / 2 + (x - x0) * scale, size / 2 - (y - y0) * scale};
  }
};

// The edges of `shape` as SVG polylines; `projected` when they already lie in the view plane.
void polylines(const TopoDS_Shape& shape, const view& v, bool projected, const std::string& style,
               std::ostringstream& svg) {
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
      gp_Pnt2d q(p.X(), p.Y());
      if (!projected) v.projector.Project(p, q);
      const auto [x, y] = v.at(q.X(), q.Y());
      svg << x << "," << y << " ";
    }
    svg << "\"/>\n";
  }
}

void highlight(const TopoDS_Shape& entity, const view& v, const char* colour, double width,
               std::ostringstream& svg) {
  if (entity.ShapeType() == TopAbs_VERTEX) {
    gp_Pnt2d q;
    v.projector.Project(BRep_Tool::Pnt(TopoDS::Vertex(entity)), q);
    const auto [x, y] = v.at(q.X(), q.Y());
    svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << width + 2
        << "\" fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n";
    return;
  }
  std::ostringstream style;
  style << "fill=\"none\" stroke=\"" << colour << "\" stroke-opacity=\"0.75\" stroke-width=\""
        << width << "\"";
  polylines(entity, v, false, style.str(), svg);
}

std::string picture(const step_picture& p, const std::vector<std::string>& methods) {
  view v;
  v.frame(p.model);
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << view::size << "\" height=\""
      << view::size << "\">\n";
  try {
    Handle(HLRBRep_Algo) hlr = new HLRBRep_Algo();
    hlr->Add(p.model);
    hlr->Projector(v.projector);
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

bool write_report(const std::string& dir, const std::vector<step_picture>& pictures,
                  const std::vector<std::string>& methods, std::string& error) {
  std::error_code failed;
  std::filesystem::create_directories(dir, failed);
  std::ofstream page(std::filesystem::path(dir) / "index.html");
  if (failed || !page) {
    error = "tagtrack: cannot write the report into '" + dir + "'";
    return false;
  }
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
        const std::string verdict = v == by_method.end() ? "-" : v->second;
        const bool good = verdict == "right" || verdict == "right (lost)";
        page << "<td style=\"color:" << (good ? "#2ca02c" : "#d62728") << "\">" << verdict
             << "</td>";
      }
      page << "</tr>\n";
    }
    page << "</table></div>\n";
  }
  page << "</body></html>\n";
  return static_cast<bool>(page);
}

}  // namespace tagtrack_tool
