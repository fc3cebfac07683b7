#include <tagtrack/features/feature_build.h>

#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepFilletAPI_MakeChamfer.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Tool.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pln.hxx>

namespace tagtrack {

namespace {

gp_Pnt at(const point3& p) {
  return {p.x, p.y, p.z};
}

// What an algorithm of the BRepBuilderAPI family says became of its inputs' sub-shapes, kept
// where the images are in the result (its own IsDeleted is not asked: it reports edges it left
// alone as deleted).
Handle(BRepTools_History)
    history_of(BRepBuilderAPI_MakeShape& algorithm, const std::vector<TopoDS_Shape>& inputs,
               const TopoDS_Shape& result) {
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
        for (const TopoDS_Shape& m : algorithm.Modified(s)) {
          if (in_result.Contains(m) && !m.IsSame(s)) history->AddModified(s, m);
        }
        for (const TopoDS_Shape& g : algorithm.Generated(s)) {
          if (in_result.Contains(g)) history->AddGenerated(s, g);
        }
      }
    }
  }
  return history;
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
    std::vector<gp_Pnt> points;
    for (const point3& q : p.polygon) points.push_back(at(q));
    if (points.size() < 3) return outcome::failure("a prism's polygon needs three points");
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
      gp_Dir normal = plane.Axis().Direction();
      if (support.Orientation() == TopAbs_REVERSED) normal.Reverse();
      for (gp_Pnt& q : points) {
        const double d = gp_Vec(plane.Location(), q).Dot(gp_Vec(plane.Axis().Direction()));
        q.Translate(-d * gp_Vec(plane.Axis().Direction()));
      }
      along = gp_Vec(normal) * p.height;
    } else {
      // The right-hand normal over the point order (Newell's method).
      gp_Vec n(0, 0, 0);
      for (std::size_t i = 0; i < points.size(); ++i) {
        const gp_Pnt& a = points[i];
        const gp_Pnt& b = points[(i + 1) % points.size()];
        n += gp_Vec((a.Y() - b.Y()) * (a.Z() + b.Z()), (a.Z() - b.Z()) * (a.X() + b.X()),
                    (a.X() - b.X()) * (a.Y() + b.Y()));
      }
      if (n.Magnitude() < 1e-12) return outcome::failure("a prism's polygon spans no area");
      along = n.Normalized() * p.height;
    }
    if (along.Magnitude() < 1e-9) return outcome::failure("a prism has no height");
    BRepBuilderAPI_MakePolygon polygon;
    for (const gp_Pnt& q : points) polygon.Add(q);
    polygon.Close();
    const TopoDS_Face profile = BRepBuilderAPI_MakeFace(polygon.Wire(), Standard_True).Face();
    BRepPrimAPI_MakePrism sweep(profile, along);
    if (!sweep.IsDone()) return outcome::failure("the prism failed");
    m_run.result = sweep.Shape();
    m_run.made_faces.emplace_back(sweep.FirstShape(), "bottom");
    m_run.made_faces.emplace_back(sweep.LastShape(), "top");
    // Side k stands on the polygon's k-th segment, from point k to point k+1.
    const std::vector<int>& numbers = m_in.segment_numbers;
    for (std::size_t k = 0; k < points.size(); ++k) {
      const gp_Pnt mid((points[k].XYZ() + points[(k + 1) % points.size()].XYZ()) / 2);
      for (TopExp_Explorer e(profile, TopAbs_EDGE); e.More(); e.Next()) {
        BRepExtrema_DistShapeShape d(e.Current(), BRepBuilderAPI_MakeVertex(mid).Vertex());
        if (d.IsDone() && d.Value() < 1e-7) {
          const int number = k < numbers.size() ? numbers[k] : static_cast<int>(k);
          for (const TopoDS_Shape& side : sweep.Generated(e.Current())) {
            m_run.made_faces.emplace_back(side, "side" + std::to_string(number));
          }
          break;
        }
      }
    }
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
    return outcome::failure(std::string("Open CASCADE failed: ") + failure.GetMessageString());
  }
}

}  // namespace tagtrack
