#include <tagtrack/occt/internal/shape_layout.h>

#include <algorithm>

#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

namespace tagtrack_occt {

namespace {

template <class E>
E* reused(const std::vector<E*>& plan, int index) {
  const auto i = static_cast<std::size_t>(index);
  return i < plan.size() ? plan[i] : nullptr;
}

// True when each edge of `edges`, as oriented, ends where the next one starts, the last where the
// first starts, and no two start at the same vertex: a closed walk in that order, the only one.
bool walks_in_order(const std::vector<TopoDS_Edge>& edges) {
  if (edges.empty()) return false;
  std::vector<TopoDS_Vertex> starts;
  starts.reserve(edges.size());
  for (const TopoDS_Edge& edge : edges) {
    const TopoDS_Vertex start = TopExp::FirstVertex(edge, true);
    if (start.IsNull()) return false;
    for (const TopoDS_Vertex& seen : starts) {
      if (seen.IsSame(start)) return false;
    }
    if (!starts.empty() && !start.IsSame(TopExp::LastVertex(edges[starts.size() - 1], true))) {
      return false;
    }
    starts.push_back(start);
  }
  return starts.front().IsSame(TopExp::LastVertex(edges.back(), true));
}

// The edges of `wire` in the order a walk along it meets them, with their orientation in the
// face; a wire the explorer cannot walk (not closed, not manifold) in its stored order. The walk
// starts at the first stored edge, as the explorer's does; a wire stored in walking order, or in
// the reverse of it after its first edge (as Open CASCADE's primitives and booleans leave most),
// is walked without the explorer, which maps every vertex of the wire first.
std::vector<TopoDS_Edge> walk(const TopoDS_Wire& wire, const TopoDS_Face& face) {
  std::vector<TopoDS_Edge> stored;
  for (TopoDS_Iterator it(wire); it.More(); it.Next()) {
    if (it.Value().ShapeType() == TopAbs_EDGE) stored.push_back(TopoDS::Edge(it.Value()));
  }
  if (walks_in_order(stored)) return stored;
  if (stored.size() > 2) {
    std::vector<TopoDS_Edge> turned(stored.size());
    turned[0] = stored[0];
    std::reverse_copy(stored.begin() + 1, stored.end(), turned.begin() + 1);
    if (walks_in_order(turned)) return turned;
  }
  std::vector<TopoDS_Edge> walked;
  for (BRepTools_WireExplorer ex(wire, face); ex.More(); ex.Next()) walked.push_back(ex.Current());
  return walked.size() == stored.size() ? walked : stored;
}

}  // namespace

bool holds_only_solids_and_shells(const TopoDS_Shape& shape, bool allow_face) {
  if (shape.IsNull()) return false;
  switch (shape.ShapeType()) {
    case TopAbs_SOLID:
    case TopAbs_SHELL:
    case TopAbs_COMPSOLID:
      return true;
    case TopAbs_FACE:
      return allow_face;
    case TopAbs_COMPOUND: {
      bool any = false;
      for (TopoDS_Iterator it(shape); it.More(); it.Next()) {
        if (!holds_only_solids_and_shells(it.Value(), allow_face)) return false;
        any = true;
      }
      return any;
    }
    default:
      return false;
  }
}

bool is_degenerate(const TopoDS_Shape& edge) {
  return BRep_Tool::Degenerated(TopoDS::Edge(edge));
}

outcome layout_of(const record_ptr& record, const reuse_plan& reuse, TPI_BUILD::body_layout& layout,
                  std::vector<int>& edge_indices) {
  const auto& vertices = record->vertices();
  const auto& edges = record->edges();
  const auto& faces = record->faces();
  layout = TPI_BUILD::body_layout();
  layout.vertices.reserve(static_cast<std::size_t>(vertices.Extent()));
  for (int i = 1; i <= vertices.Extent(); ++i) {
    const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(vertices.FindKey(i)));
    layout.vertices.push_back({reused(reuse.vertices, i), {p.X(), p.Y(), p.Z()}});
  }
  layout.edges.reserve(static_cast<std::size_t>(edges.Extent()));
  edge_indices.clear();
  // Where each of the shape's edges is in the layout; degenerate edges are in none.
  std::vector<std::size_t> laid(static_cast<std::size_t>(edges.Extent()) + 1, 0);
  for (int i = 1; i <= edges.Extent(); ++i) {
    if (is_degenerate(edges.FindKey(i))) continue;
    const TopoDS_Edge edge = TopoDS::Edge(edges.FindKey(i).Oriented(TopAbs_FORWARD));
    TopoDS_Vertex start, end;
    TopExp::Vertices(edge, start, end);
    if (start.IsNull() || end.IsNull()) {
      return outcome::failure("the shape has an edge without two vertices");
    }
    double first = 0, last = 0;
    if (BRep_Tool::Curve(edge, first, last).IsNull()) {
      return outcome::failure("the shape has an edge without a curve");
    }
    TPI_BUILD::body_layout::edge item;
    item.reuse = reused(reuse.edges, i);
    BRep_Tool::Range(edge, item.t_start, item.t_end);
    if (!(item.t_start < item.t_end)) {
      return outcome::failure("the shape has an edge with an empty range");
    }
    item.start = static_cast<std::size_t>(vertices.FindIndex(start) - 1);
    item.end = static_cast<std::size_t>(vertices.FindIndex(end) - 1);
    item.geometry = std::make_unique<edge_curve>(record, i);
    laid[static_cast<std::size_t>(i)] = layout.edges.size();
    layout.edges.push_back(std::move(item));
    edge_indices.push_back(i);
  }
  layout.faces.reserve(static_cast<std::size_t>(faces.Extent()));
  for (int i = 1; i <= faces.Extent(); ++i) {
    const TopoDS_Face face = TopoDS::Face(faces.FindKey(i));
    TopLoc_Location location;
    if (BRep_Tool::Surface(face, location).IsNull()) {
      return outcome::failure("the shape has a face without a surface");
    }
    TPI_BUILD::body_layout::face item;
    item.reuse = reused(reuse.faces, i);
    item.reversed = face.Orientation() == TopAbs_REVERSED;
    item.geometry = std::make_unique<face_surface>(record, i);
    // The outer wire first, then the others in stored order.
    const TopoDS_Wire outer = BRepTools::OuterWire(face);
    std::vector<TopoDS_Wire> wires;
    for (TopoDS_Iterator it(face); it.More(); it.Next()) {
      if (it.Value().ShapeType() != TopAbs_WIRE) continue;
      const TopoDS_Wire wire = TopoDS::Wire(it.Value());
      if (!outer.IsNull() && wire.IsSame(outer)) {
        wires.insert(wires.begin(), wire);
      } else {
        wires.push_back(wire);
      }
    }
    for (const TopoDS_Wire& wire : wires) {
      std::vector<TPI_BUILD::body_layout::coedge> loop;
      for (const TopoDS_Edge& edge : walk(wire, face)) {
        const TopAbs_Orientation o = edge.Orientation();
        if ((o != TopAbs_FORWARD && o != TopAbs_REVERSED) || is_degenerate(edge)) continue;
        loop.push_back(
            {laid[static_cast<std::size_t>(edges.FindIndex(edge))], o == TopAbs_REVERSED});
      }
      if (!loop.empty()) item.loops.push_back(std::move(loop));
    }
    layout.faces.push_back(std::move(item));
  }
  return outcome();
}

}  // namespace tagtrack_occt
