#include <tagtrack/features/feature_build.h>

#include <algorithm>

#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepFilletAPI_MakeChamfer.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepOffsetAPI_DraftAngle.hxx>
#include <BRepOffsetAPI_MakeThickSolid.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRep_Tool.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include <tagtrack/occt/fault_handling.h>
#include <tagtrack/occt/plane_normal.h>

namespace tagtrack {

namespace {

gp_Pnt at(const point3& p) {
  return {p.x, p.y, p.z};
}

// What an algorithm of the BRepBuilderAPI family says became of its inputs' sub-shapes, kept
// where the images are in the result (its own IsDeleted is not asked: it reports edges it left
// alone as deleted). With `turned_faces`, a face that is gone with no modified image but with
// generated faces was turned into them (a draft reports its drafted faces so), and they are its
// modified images.
Handle(BRepTools_History)
    history_of(BRepBuilderAPI_MakeShape& algorithm, const std::vector<TopoDS_Shape>& inputs,
               const TopoDS_Shape& result, bool turned_faces = false) {
  Handle(BRepTools_History) history = new BRepTools_History();
  TopTools_IndexedMapOfShape in_result;
  for (TopAbs_ShapeEnum kind : {TopAbs_FACE, TopAbs_EDGE, TopAbs_VERTEX}) {
    TopExp::MapShapes(result, kind, in_result);
  }
  for (const TopoDS_Shape& input : inputs) {
    for (TopAbs_ShapeEnum kind : {TopAbs_FACE, TopAbs_EDGE, TopAbs_VERTEX}) {
      TopTools_IndexedMapOfShape subs;
      TopExp::MapShapes(input, kind, subs);
      for (int i = 1; i <= subs.Extent(); ++i) {
        const TopoDS_Shape& s = subs(i);
        bool modified = false;
        for (const TopoDS_Shape& m : algorithm.Modified(s)) {
          if (in_result.Contains(m) && !m.IsSame(s)) {
            history->AddModified(s, m);
            modified = true;
          }
        }
        const bool turned =
            turned_faces && kind == TopAbs_FACE && !modified && !in_result.Contains(s);
        for (const TopoDS_Shape& g : algorithm.Generated(s)) {
          if (!in_result.Contains(g)) continue;
          if (turned && g.ShapeType() == TopAbs_FACE) {
            history->AddModified(s, g);
          } else {
            history->AddGenerated(s, g);
          }
        }
      }
    }
  }
  return history;
}

// A profile as points and arcs, in Open CASCADE's terms.
struct profile_outline {
  std::vector<gp_Pnt> points;
  std::map<std::size_t, gp_Pnt> through;
};

profile_outline outline_of(const std::vector<point3>& points, const profile_arcs& arcs) {
  profile_outline outline;
  for (const point3& q : points) outline.points.push_back(at(q));
  for (const auto& [segment, through] : arcs) outline.through[segment] = at(through);
  return outline;
}

// The right-hand normal over the points with each arc's through point in its place (Newell's
// method); zero for a profile that spans no area.
gp_Vec right_hand_normal(const profile_outline& outline) {
  std::vector<gp_Pnt> walk;
  for (std::size_t k = 0; k < outline.points.size(); ++k) {
    walk.push_back(outline.points[k]);
    const auto arc = outline.through.find(k);
    if (arc != outline.through.end()) walk.push_back(arc->second);
  }
  gp_Vec n(0, 0, 0);
  for (std::size_t i = 0; i < walk.size(); ++i) {
    const gp_Pnt& a = walk[i];
    const gp_Pnt& b = walk[(i + 1) % walk.size()];
    n += gp_Vec((a.Y() - b.Y()) * (a.Z() + b.Z()), (a.Z() - b.Z()) * (a.X() + b.X()),
                (a.X() - b.X()) * (a.Y() + b.Y()));
  }
  return n;
}

// The profile's face and, per segment, its edge in the face and a point inside the segment.
struct profile_face {
  TopoDS_Face face;
  std::vector<TopoDS_Shape> segments;
  std::vector<gp_Pnt> inner_points;
};

// Whether `point` lies on `shape` within 1e-7.
bool lies_on(const gp_Pnt& point, const TopoDS_Shape& shape) {
  BRepExtrema_DistShapeShape d(shape, BRepBuilderAPI_MakeVertex(point).Vertex());
  return d.IsDone() && d.Value() < 1e-7;
}

// A profile without arcs is a closed polygon; one with arcs is a wire of line and arc edges that
// share their end vertices. Either way the face is made on the wire, planar.
outcome make_profile(const profile_outline& outline, profile_face& profile) {
  const std::vector<gp_Pnt>& points = outline.points;
  const std::size_t n = points.size();
  if (outline.through.empty()) {
    BRepBuilderAPI_MakePolygon polygon;
    for (const gp_Pnt& q : points) polygon.Add(q);
    polygon.Close();
    if (!polygon.IsDone()) return outcome::failure("the polygon makes no wire");
    BRepBuilderAPI_MakeFace face(polygon.Wire(), Standard_True);
    if (!face.IsDone()) return outcome::failure("the polygon makes no planar face");
    profile.face = face.Face();
    // Segment k, from point k to point k+1, is the edge through its midpoint.
    for (std::size_t k = 0; k < n; ++k) {
      const gp_Pnt mid((points[k].XYZ() + points[(k + 1) % n].XYZ()) / 2);
      profile.inner_points.push_back(mid);
      profile.segments.emplace_back();
      for (TopExp_Explorer e(profile.face, TopAbs_EDGE); e.More(); e.Next()) {
        if (lies_on(mid, e.Current())) {
          profile.segments.back() = e.Current();
          break;
        }
      }
    }
    return outcome();
  }
  std::vector<TopoDS_Vertex> corners;
  for (const gp_Pnt& q : points) corners.push_back(BRepBuilderAPI_MakeVertex(q).Vertex());
  BRepBuilderAPI_MakeWire wire;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t next = (k + 1) % n;
    const auto arc = outline.through.find(k);
    TopoDS_Edge edge;
    if (arc != outline.through.end()) {
      GC_MakeArcOfCircle circle(points[k], arc->second, points[next]);
      if (!circle.IsDone()) return outcome::failure("an arc of the profile makes no circle");
      BRepBuilderAPI_MakeEdge made(circle.Value(), corners[k], corners[next]);
      if (!made.IsDone()) return outcome::failure("an arc of the profile makes no edge");
      edge = made.Edge();
      profile.inner_points.push_back(arc->second);
    } else {
      BRepBuilderAPI_MakeEdge made(corners[k], corners[next]);
      if (!made.IsDone()) return outcome::failure("a segment of the profile makes no edge");
      edge = made.Edge();
      profile.inner_points.emplace_back((points[k].XYZ() + points[next].XYZ()) / 2);
    }
    wire.Add(edge);
    if (!wire.IsDone()) return outcome::failure("the profile's segments make no wire");
    profile.segments.push_back(edge);
  }
  BRepBuilderAPI_MakeFace face(wire.Wire(), Standard_True);
  if (!face.IsDone()) return outcome::failure("the profile makes no planar face");
  profile.face = face.Face();
  // The face holds the wire's edges as they were added.
  return outcome();
}

gp_Trsf turn_of(const rotation& r) {
  constexpr double degree = 3.14159265358979323846 / 180;
  const point3& d = r.axis.direction;
  gp_Trsf turn;
  turn.SetRotation(gp_Ax1(at(r.axis.origin), gp_Dir(d.x, d.y, d.z)), r.angle * degree);
  return turn;
}

// The builders, one per kind of feature; each fills `run` or fails with the reason.
class builder {
 public:
  builder(const feature_inputs& in, feature_run& run) : m_in(in), m_run(run) {}

  outcome operator()(const box& b) {
    BRepPrimAPI_MakeBox box(at(b.origin), b.size.x, b.size.y, b.size.z);
    m_run.result = box.Shape();
    m_run.made_faces = {{box.BottomFace(), "bottom"}, {box.TopFace(), "top"},
                        {box.FrontFace(), "front"},   {box.BackFace(), "back"},
                        {box.LeftFace(), "left"},     {box.RightFace(), "right"}};
    return outcome();
  }

  outcome operator()(const cylinder& c) {
    const gp_Ax2 frame(at(c.origin), gp_Dir(c.axis.x, c.axis.y, c.axis.z));
    BRepPrimAPI_MakeCylinder cylinder(frame, c.radius, c.height);
    m_run.result = cylinder.Shape();
    m_run.made_faces = {{cylinder.Cylinder().LateralFace(), "side"},
                        {cylinder.Cylinder().TopFace(), "top"},
                        {cylinder.Cylinder().BottomFace(), "bottom"}};
    return outcome();
  }

  outcome operator()(const prism& p) {
    profile_outline outline = outline_of(p.polygon, p.through);
    if (p.through.empty() && outline.points.size() < 3) {
      return outcome::failure("a prism's polygon needs three points");
    }
    gp_Vec along;
    if (!p.sketch_on.empty()) {
      TopoDS_Shape support_shape;
      if (const outcome found = consumed(p.sketch_on, support_shape); !found) return found;
      if (support_shape.ShapeType() != TopAbs_FACE) {
        return outcome::failure("the sketch reference is not a face");
      }
      const TopoDS_Face support = TopoDS::Face(support_shape);
      const GeomAdaptor_Surface surface(BRep_Tool::Surface(support));
      if (surface.GetType() != GeomAbs_Plane) {
        return outcome::failure("the sketch face is not planar");
      }
      const gp_Pln plane = surface.Plane();
      const gp_Vec axis(plane.Axis().Direction());
      const auto project = [&](gp_Pnt& q) {
        q.Translate(-gp_Vec(plane.Location(), q).Dot(axis) * axis);
      };
      for (gp_Pnt& q : outline.points) project(q);
      for (auto& [segment, through] : outline.through) project(through);
      along = gp_Vec(TPI_OCCT::outward_normal(plane, support.Orientation())) * p.height;
    } else {
      const gp_Vec n = right_hand_normal(outline);
      if (n.Magnitude() < 1e-12) return outcome::failure("a prism's polygon spans no area");
      along = n.Normalized() * p.height;
    }
    if (along.Magnitude() < 1e-9) return outcome::failure("a prism has no height");
    profile_face profile;
    if (const outcome made = make_profile(outline, profile); !made) return made;
    BRepPrimAPI_MakePrism sweep(profile.face, along);
    if (!sweep.IsDone()) return outcome::failure("the prism failed");
    m_run.result = sweep.Shape();
    m_run.made_faces.emplace_back(sweep.FirstShape(), "bottom");
    m_run.made_faces.emplace_back(sweep.LastShape(), "top");
    name_sides(sweep, profile);
    return outcome();
  }

  outcome operator()(const revolve& r) {
    const profile_outline outline = outline_of(r.polygon, r.through);
    profile_face profile;
    if (const outcome made = make_profile(outline, profile); !made) return made;
    const gp_Ax1 axis(at(r.axis.origin),
                      gp_Dir(r.axis.direction.x, r.axis.direction.y, r.axis.direction.z));
    constexpr double degree = 3.14159265358979323846 / 180;
    BRepPrimAPI_MakeRevol turn(profile.face, axis, r.angle * degree);
    if (!turn.IsDone()) return outcome::failure("the revolve failed");
    m_run.result = turn.Shape();
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(m_run.result, TopAbs_FACE, faces);
    if (r.angle < 360) {
      for (const auto& [cap, role] :
           {std::make_pair(turn.FirstShape(), "start"), std::make_pair(turn.LastShape(), "end")}) {
        if (!cap.IsNull() && faces.Contains(cap)) m_run.made_faces.emplace_back(cap, role);
      }
    }
    name_sides(turn, profile);
    // In a full turn Open CASCADE's revolve gives no generated face for a segment that meets the
    // axis (the disc a segment square to the axis raises): such a face is found by the segment's
    // own points, which lie on the face it raised.
    std::vector<char> named(static_cast<std::size_t>(faces.Extent()) + 1, 0);
    for (const auto& [face, role] : m_run.made_faces) named[faces.FindIndex(face)] = 1;
    for (int i = 1; i <= faces.Extent(); ++i) {
      if (named[i]) continue;
      int raised_by = -1;
      for (std::size_t k = 0; k < profile.segments.size(); ++k) {
        if (lies_on(profile.inner_points[k], faces(i))) {
          raised_by = raised_by < 0 ? static_cast<int>(k) : -2;
        }
      }
      if (raised_by >= 0) {
        m_run.made_faces.emplace_back(faces(i), side_role(static_cast<std::size_t>(raised_by)));
      }
    }
    name_poles();
    return outcome();
  }

  outcome operator()(const mirror& m) {
    TopoDS_Shape target;
    if (const outcome found = input(m.target, target); !found) return found;
    const point3& n = m.plane_normal;
    gp_Trsf reflection;
    reflection.SetMirror(gp_Ax2(at(m.plane_origin), gp_Dir(n.x, n.y, n.z)));
    placed_copy image;
    if (const outcome placed = place_copy(target, reflection, image); !placed) return placed;
    m_run.result = image.shape;
    m_run.copies.push_back(std::move(image));
    return outcome();
  }

  outcome operator()(const pattern& p) {
    TopoDS_Shape target;
    if (const outcome found = input(p.target, target); !found) return found;
    TopTools_ListOfShape arguments, tools;
    arguments.Append(target);
    std::vector<TopoDS_Shape> inputs{target};
    for (int k = 1; k < p.count; ++k) {
      gp_Trsf motion;
      if (p.turn) {
        motion = turn_of(rotation{p.turn->axis, p.turn->angle * k});
      } else {
        motion.SetTranslation(gp_Vec(p.step.x * k, p.step.y * k, p.step.z * k));
      }
      placed_copy copy;
      copy.index = k;
      if (const outcome placed = place_copy(target, motion, copy); !placed) return placed;
      tools.Append(copy.shape);
      inputs.push_back(copy.shape);
      m_run.copies.push_back(std::move(copy));
    }
    BRepAlgoAPI_Fuse fuse;
    fuse.SetArguments(arguments);
    fuse.SetTools(tools);
    fuse.Build();
    if (!fuse.IsDone() || fuse.HasErrors()) return outcome::failure("the pattern's fuse failed");
    m_run.result = fuse.Shape();
    m_run.history = history_of(fuse, inputs, m_run.result);
    return outcome();
  }

  outcome operator()(const shell& s) {
    TopoDS_Shape target;
    if (const outcome found = input(s.target, target); !found) return found;
    TopTools_ListOfShape removed;
    for (const std::string& name : s.faces) {
      TopoDS_Shape face;
      if (const outcome found = consumed_face(name, face); !found) return found;
      removed.Append(face);
    }
    BRepOffsetAPI_MakeThickSolid thick;
    thick.MakeThickSolidByJoin(target, removed, -s.thickness, 1e-3);
    if (!thick.IsDone()) return outcome::failure("the shell failed");
    m_run.result = thick.Shape();
    m_run.history = history_of(thick, {target}, m_run.result);
    TopTools_IndexedMapOfShape faces, result_faces;
    TopExp::MapShapes(target, TopAbs_FACE, faces);
    TopExp::MapShapes(m_run.result, TopAbs_FACE, result_faces);
    // Open CASCADE reports a removed face modified into the rim of the opening.
    for (const TopoDS_Shape& face : removed) {
      for (const TopoDS_Shape& rim : thick.Modified(face)) {
        if (rim.ShapeType() == TopAbs_FACE && result_faces.Contains(rim)) {
          m_run.remains_of_removed.push_back(rim);
        }
      }
    }
    // Where the wall turns round a concave edge, Open CASCADE generates a face from the edge.
    TopTools_IndexedDataMapOfShapeListOfShape faces_of_edge;
    TopExp::MapShapesAndAncestors(target, TopAbs_EDGE, TopAbs_FACE, faces_of_edge);
    for (int i = 1; i <= faces_of_edge.Extent(); ++i) {
      for (const TopoDS_Shape& made : thick.Generated(faces_of_edge.FindKey(i))) {
        if (made.ShapeType() != TopAbs_FACE || !result_faces.Contains(made)) continue;
        std::vector<TopoDS_Shape> parted;
        for (const TopoDS_Shape& face : faces_of_edge(i)) {
          const bool seen = std::any_of(parted.begin(), parted.end(),
                                        [&](const TopoDS_Shape& f) { return f.IsSame(face); });
          if (!seen) parted.push_back(face);
        }
        m_run.made_between.emplace_back(made, std::move(parted));
      }
    }
    // Each inner face is the offset of the outer face it was generated from.
    for (int i = 1; i <= faces.Extent(); ++i) {
      for (const TopoDS_Shape& inner : thick.Generated(faces(i))) {
        if (inner.ShapeType() == TopAbs_FACE && result_faces.Contains(inner)) {
          m_run.derived_faces.push_back(inner);
        }
      }
    }
    return outcome();
  }

  outcome operator()(const draft& d) {
    TopoDS_Shape target;
    if (const outcome found = input(d.target, target); !found) return found;
    const gp_Dir pull(d.pull.x, d.pull.y, d.pull.z);
    const gp_Pln neutral(at(d.neutral_origin), pull);
    constexpr double degree = 3.14159265358979323846 / 180;
    BRepOffsetAPI_DraftAngle drafting(target);
    for (const std::string& name : d.faces) {
      TopoDS_Shape face;
      if (const outcome found = consumed_face(name, face); !found) return found;
      drafting.Add(TopoDS::Face(face), pull, d.angle * degree, neutral);
      if (!drafting.AddDone()) {
        return outcome::failure("the draft cannot turn the face of '" + name + "'");
      }
    }
    drafting.Build();
    if (!drafting.IsDone()) return outcome::failure("the draft failed");
    m_run.result = drafting.Shape();
    // Open CASCADE reports each drafted face as generated from itself rather than modified: it is
    // the same face turned, and carries its identity on.
    m_run.history = history_of(drafting, {target}, m_run.result, true);
    return outcome();
  }

  outcome operator()(const move& m) {
    TopoDS_Shape target;
    if (const outcome found = input(m.target, target); !found) return found;
    gp_Trsf motion;
    motion.SetTranslation(gp_Vec(m.translate.x, m.translate.y, m.translate.z));
    if (m.turn) motion.Multiply(turn_of(*m.turn));
    BRepBuilderAPI_Transform moving(target, motion, Standard_False);
    if (!moving.IsDone()) return outcome::failure("the move failed");
    m_run.result = moving.Shape();
    m_run.history = history_of(moving, {target}, m_run.result);
    return outcome();
  }

  outcome operator()(const boolean& b) {
    TopoDS_Shape object, tool;
    if (const outcome found = input(b.object, object); !found) return found;
    if (const outcome found = input(b.tool, tool); !found) return found;
    switch (b.kind) {
      case boolean_kind::fuse:
        return combine(BRepAlgoAPI_Fuse(object, tool), object, tool);
      case boolean_kind::cut:
        return combine(BRepAlgoAPI_Cut(object, tool), object, tool);
      case boolean_kind::common:
        break;
    }
    return combine(BRepAlgoAPI_Common(object, tool), object, tool);
  }

  outcome operator()(const fillet& f) {
    return round<BRepFilletAPI_MakeFillet>(f.target, f.edges, f.radius, "the fillet failed");
  }
  outcome operator()(const chamfer& c) {
    return round<BRepFilletAPI_MakeChamfer>(c.target, c.edges, c.distance, "the chamfer failed");
  }

  outcome operator()(const unify& u) {
    TopoDS_Shape target;
    if (const outcome found = input(u.target, target); !found) return found;
    ShapeUpgrade_UnifySameDomain unify(target, Standard_True, Standard_True, Standard_False);
    unify.Build();
    m_run.result = unify.Shape();
    m_run.history = unify.History();
    return outcome();
  }

  outcome operator()(const pass_through& p) { return input(p.target, m_run.result); }

 private:
  outcome input(const std::string& id, TopoDS_Shape& shape) {
    if (m_in.results != nullptr) {
      const auto found = m_in.results->find(id);
      if (found != m_in.results->end() && !found->second.IsNull()) {
        m_run.input_ids.push_back(id);
        shape = found->second;
        return outcome();
      }
    }
    return outcome::failure("feature '" + id + "' has no result");
  }

  outcome consumed(const std::string& name, TopoDS_Shape& shape) const {
    const auto found = m_in.consumed.find(name);
    if (found == m_in.consumed.end() || found->second.IsNull()) {
      return outcome::failure("the reference '" + name + "' was not resolved to one entity");
    }
    shape = found->second;
    return outcome();
  }

  outcome consumed_face(const std::string& name, TopoDS_Shape& face) const {
    if (const outcome found = consumed(name, face); !found) return found;
    if (face.ShapeType() != TopAbs_FACE) {
      return outcome::failure("the reference '" + name + "' is not a face");
    }
    return outcome();
  }

  // A profile point on the axis closes the face its segment raised in a degenerate edge; the
  // vertex there has that face alone around it and takes its name from it. Where two named faces
  // close at one point the faces already tell the vertex apart.
  void name_poles() {
    TopTools_IndexedMapOfShape vertices;
    TopExp::MapShapes(m_run.result, TopAbs_VERTEX, vertices);
    TopTools_IndexedDataMapOfShapeListOfShape faces_of_edge;
    TopExp::MapShapesAndAncestors(m_run.result, TopAbs_EDGE, TopAbs_FACE, faces_of_edge);
    std::vector<std::vector<std::string>> roles(static_cast<std::size_t>(vertices.Extent()) + 1);
    for (int i = 1; i <= faces_of_edge.Extent(); ++i) {
      const TopoDS_Edge& edge = TopoDS::Edge(faces_of_edge.FindKey(i));
      if (!BRep_Tool::Degenerated(edge)) continue;
      auto& at = roles[static_cast<std::size_t>(vertices.FindIndex(TopExp::FirstVertex(edge)))];
      for (const TopoDS_Shape& face : faces_of_edge(i)) {
        for (const auto& [made, role] : m_run.made_faces) {
          if (made.IsSame(face) && std::find(at.begin(), at.end(), role) == at.end()) {
            at.push_back(role);
          }
        }
      }
    }
    for (int i = 1; i <= vertices.Extent(); ++i) {
      const auto& at = roles[static_cast<std::size_t>(i)];
      if (at.size() == 1) m_run.made_vertices.emplace_back(vertices(i), at[0] + ".pole");
    }
  }

  std::string side_role(std::size_t segment) const {
    const std::vector<int>& numbers = m_in.segment_numbers;
    return "side" +
           std::to_string(segment < numbers.size() ? numbers[segment] : static_cast<int>(segment));
  }

  // The faces a sweep raised on each profile segment: side<n>, n the segment's persistent number;
  // and what it generated from each edge of the profile face, in the order they are explored.
  template <class Sweep>
  void name_sides(Sweep& sweep, const profile_face& profile) {
    m_run.profile = profile.face;
    TopTools_MapOfShape explored;
    for (TopExp_Explorer e(profile.face, TopAbs_EDGE); e.More(); e.Next()) {
      if (!explored.Add(e.Current())) continue;
      std::vector<TopoDS_Shape> made;
      for (const TopoDS_Shape& g : sweep.Generated(e.Current())) made.push_back(g);
      m_run.swept_edges.emplace_back(e.Current(), std::move(made));
    }
    for (std::size_t k = 0; k < profile.segments.size(); ++k) {
      if (profile.segments[k].IsNull()) continue;
      for (const TopoDS_Shape& side : sweep.Generated(profile.segments[k])) {
        if (side.ShapeType() == TopAbs_FACE) m_run.made_faces.emplace_back(side, side_role(k));
      }
    }
  }

  // A copy of `target` moved by `motion` (BRepBuilderAPI_Transform with copy), with what became
  // of the target's sub-shapes in it.
  static outcome place_copy(const TopoDS_Shape& target, const gp_Trsf& motion, placed_copy& copy) {
    BRepBuilderAPI_Transform transform(target, motion, Standard_True);
    if (!transform.IsDone()) return outcome::failure("the copy could not be placed");
    copy.shape = transform.Shape();
    copy.history = history_of(transform, {target}, copy.shape);
    return outcome();
  }

  template <class Algorithm>
  outcome combine(Algorithm&& algorithm, const TopoDS_Shape& object, const TopoDS_Shape& tool) {
    if (!algorithm.IsDone() || algorithm.HasErrors()) {
      return outcome::failure("the boolean failed");
    }
    m_run.result = algorithm.Shape();
    m_run.history = history_of(algorithm, {object, tool}, m_run.result);
    return outcome();
  }

  template <class Rounding>
  outcome round(const std::string& target_id, const std::vector<std::string>& names, double size,
                const char* failed) {
    TopoDS_Shape target;
    if (const outcome found = input(target_id, target); !found) return found;
    Rounding algorithm(target);
    std::vector<TopoDS_Shape> edges;
    for (const std::string& name : names) {
      TopoDS_Shape edge;
      if (const outcome found = consumed(name, edge); !found) return found;
      if (edge.ShapeType() != TopAbs_EDGE) {
        return outcome::failure("the reference '" + name + "' is not an edge");
      }
      edges.push_back(edge);
      algorithm.Add(size, TopoDS::Edge(edge));
    }
    algorithm.Build();
    if (!algorithm.IsDone()) return outcome::failure(failed);
    m_run.result = algorithm.Shape();
    m_run.history = history_of(algorithm, {target}, m_run.result);
    // A rounded or bevelled face plays the role of the reference of the edge it replaced, which a
    // reordered or extended edge list keeps.
    for (std::size_t i = 0; i < edges.size(); ++i) {
      for (const TopoDS_Shape& face : algorithm.Generated(edges[i])) {
        if (face.ShapeType() == TopAbs_FACE) m_run.made_faces.emplace_back(face, names[i]);
      }
    }
    return outcome();
  }

  const feature_inputs& m_in;
  feature_run& m_run;
};

}  // namespace

outcome run_feature(const feature& f, const feature_inputs& in, feature_run& run) {
  run = feature_run();
  try {
    outcome done = std::visit(builder(in, run), f.parameters);
    if (!done) run = feature_run();
    return done;
  } catch (const Standard_Failure& failure) {
    run = feature_run();
    return outcome::failure(TPI_OCCT::failure_reason(op_word(f), failure));
  }
}

}  // namespace tagtrack
