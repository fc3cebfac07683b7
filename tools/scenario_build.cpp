#include "scenario_build.h"

#include <cmath>

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

namespace tagtrack_tool {

namespace {

using nlohmann::json;

gp_Pnt point_of(const json& v) {
  return {v.at(0).get<double>(), v.at(1).get<double>(), v.at(2).get<double>()};
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

const TopoDS_Shape& input(const json& f, const char* key, std::size_t i,
                          const std::map<std::string, TopoDS_Shape>& results,
                          std::vector<std::string>& ids) {
  const std::string id = i == 0 && std::string(key) == "target"
                             ? f.at(key).get<std::string>()
                             : f.at(key).at(i).get<std::string>();
  ids.push_back(id);
  return results.at(id);
}

// A planar polygon face of the points, in order.
TopoDS_Face polygon_face(const std::vector<gp_Pnt>& points) {
  BRepBuilderAPI_MakePolygon polygon;
  for (const gp_Pnt& p : points) polygon.Add(p);
  polygon.Close();
  return BRepBuilderAPI_MakeFace(polygon.Wire(), Standard_True).Face();
}

bool make_prism(const json& f, const std::map<std::string, TopoDS_Shape>& consumed,
                feature_run& run, std::string& why) {
  const std::string id = f.at("id").get<std::string>();
  std::vector<gp_Pnt> points;
  for (const json& p : f.at("polygon")) points.push_back(point_of(p));
  if (points.size() < 3) {
    why = "a prism's polygon needs three points";
    return false;
  }
  const double height = f.at("height").get<double>();
  gp_Vec along;
  if (f.contains("sketch_on")) {
    const TopoDS_Face support = TopoDS::Face(consumed.at(f["sketch_on"].get<std::string>()));
    const GeomAdaptor_Surface surface(BRep_Tool::Surface(support));
    if (surface.GetType() != GeomAbs_Plane) {
      why = "the sketch face is not planar";
      return false;
    }
    const gp_Pln plane = surface.Plane();
    gp_Dir normal = plane.Axis().Direction();
    if (support.Orientation() == TopAbs_REVERSED) normal.Reverse();
    for (gp_Pnt& p : points) {
      const double d = gp_Vec(plane.Location(), p).Dot(gp_Vec(plane.Axis().Direction()));
      p.Translate(-d * gp_Vec(plane.Axis().Direction()));
    }
    along = gp_Vec(normal) * height;
  } else {
    // The right-hand normal over the point order (Newell's method).
    gp_Vec n(0, 0, 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const gp_Pnt& a = points[i];
      const gp_Pnt& b = points[(i + 1) % points.size()];
      n += gp_Vec((a.Y() - b.Y()) * (a.Z() + b.Z()), (a.Z() - b.Z()) * (a.X() + b.X()),
                  (a.X() - b.X()) * (a.Y() + b.Y()));
    }
    if (n.Magnitude() < 1e-12) {
      why = "a prism's polygon spans no area";
      return false;
    }
    along = n.Normalized() * height;
  }
  if (along.Magnitude() < 1e-9) {
    why = "a prism has no height";
    return false;
  }
  const TopoDS_Face profile = polygon_face(points);
  BRepPrimAPI_MakePrism prism(profile, along);
  if (!prism.IsDone()) {
    why = "the prism failed";
    return false;
  }
  run.result = prism.Shape();
  run.named_faces.emplace_back(prism.FirstShape(), id + ".bottom");
  run.named_faces.emplace_back(prism.LastShape(), id + ".top");
  // Side k stands on the polygon's k-th segment, from point k to point k+1.
  for (std::size_t k = 0; k < points.size(); ++k) {
    const gp_Pnt mid((points[k].XYZ() + points[(k + 1) % points.size()].XYZ()) / 2);
    for (TopExp_Explorer e(profile, TopAbs_EDGE); e.More(); e.Next()) {
      BRepExtrema_DistShapeShape d(e.Current(), BRepBuilderAPI_MakeVertex(mid).Vertex());
      if (d.IsDone() && d.Value() < 1e-7) {
        const int number = f.contains("segment_numbers") ? f["segment_numbers"].at(k).get<int>()
                                                         : static_cast<int>(k);
        for (const TopoDS_Shape& side : prism.Generated(e.Current())) {
          run.named_faces.emplace_back(side, id + ".side" + std::to_string(number));
        }
        break;
      }
    }
  }
  return true;
}

template <class Rounding>
bool make_rounding(const json& f, const char* size_key,
                   const std::map<std::string, TopoDS_Shape>& results,
                   const std::map<std::string, TopoDS_Shape>& consumed, feature_run& run,
                   std::string& why) {
  const std::string id = f.at("id").get<std::string>();
  const TopoDS_Shape& target = input(f, "target", 0, results, run.input_ids);
  Rounding algorithm(target);
  const double size = f.at(size_key).get<double>();
  std::vector<TopoDS_Shape> edges;
  for (const json& name : f.at("edges")) {
    edges.push_back(consumed.at(name.get<std::string>()));
    algorithm.Add(size, TopoDS::Edge(edges.back()));
  }
  algorithm.Build();
  if (!algorithm.IsDone()) {
    why = std::string(size_key == std::string("radius") ? "the fillet" : "the chamfer") + " failed";
    return false;
  }
  run.result = algorithm.Shape();
  run.history = history_of(algorithm, {target}, run.result);
  // A rounded or bevelled face is named after the reference of the edge it replaced, which a
  // reordered or extended edge list keeps.
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const std::string edge_name = f.at("edges").at(i).get<std::string>();
    for (const TopoDS_Shape& face : algorithm.Generated(edges[i])) {
      if (face.ShapeType() == TopAbs_FACE) run.named_faces.emplace_back(face, id + "." + edge_name);
    }
  }
  return true;
}

template <class Boolean>
bool make_boolean(const json& f, const std::map<std::string, TopoDS_Shape>& results,
                  feature_run& run, std::string& why) {
  const TopoDS_Shape& object = input(f, "args", 0, results, run.input_ids);
  const TopoDS_Shape& tool = input(f, "args", 1, results, run.input_ids);
  Boolean algorithm(object, tool);
  if (!algorithm.IsDone() || algorithm.HasErrors()) {
    why = "the boolean failed";
    return false;
  }
  run.result = algorithm.Shape();
  run.history = history_of(algorithm, {object, tool}, run.result);
  return true;
}

}  // namespace

bool run_feature(const json& f, const std::map<std::string, TopoDS_Shape>& results,
                 const std::map<std::string, TopoDS_Shape>& consumed, feature_run& run,
                 std::string& why) {
  run = feature_run();
  try {
    const std::string id = f.at("id").get<std::string>();
    const std::string op = f.at("op").get<std::string>();
    if (op == "box") {
      const json& size = f.at("size");
      BRepPrimAPI_MakeBox box(point_of(f.at("origin")), size.at(0).get<double>(),
                              size.at(1).get<double>(), size.at(2).get<double>());
      run.result = box.Shape();
      run.named_faces = {{box.BottomFace(), id + ".bottom"}, {box.TopFace(), id + ".top"},
                         {box.FrontFace(), id + ".front"},   {box.BackFace(), id + ".back"},
                         {box.LeftFace(), id + ".left"},     {box.RightFace(), id + ".right"}};
      return true;
    }
    if (op == "cylinder") {
      const gp_Ax2 frame(point_of(f.at("origin")), gp_Dir(gp_Vec(point_of(f.at("axis")).XYZ())));
      BRepPrimAPI_MakeCylinder cylinder(frame, f.at("radius").get<double>(),
                                        f.at("height").get<double>());
      run.result = cylinder.Shape();
      run.named_faces = {{cylinder.Cylinder().LateralFace(), id + ".side"},
                         {cylinder.Cylinder().TopFace(), id + ".top"},
                         {cylinder.Cylinder().BottomFace(), id + ".bottom"}};
      return true;
    }
    if (op == "prism") return make_prism(f, consumed, run, why);
    if (op == "fuse") return make_boolean<BRepAlgoAPI_Fuse>(f, results, run, why);
    if (op == "cut") return make_boolean<BRepAlgoAPI_Cut>(f, results, run, why);
    if (op == "common") return make_boolean<BRepAlgoAPI_Common>(f, results, run, why);
    if (op == "fillet") {
      return make_rounding<BRepFilletAPI_MakeFillet>(f, "radius", results, consumed, run, why);
    }
    if (op == "chamfer") {
      return make_rounding<BRepFilletAPI_MakeChamfer>(f, "distance", results, consumed, run, why);
    }
    if (op == "unify") {
      const TopoDS_Shape& target = input(f, "target", 0, results, run.input_ids);
      ShapeUpgrade_UnifySameDomain unify(target, Standard_True, Standard_True, Standard_False);
      unify.Build();
      run.result = unify.Shape();
      run.history = unify.History();
      return true;
    }
    if (op == "pass") {
      run.result = input(f, "target", 0, results, run.input_ids);
      return true;
    }
    why = "unknown op '" + op + "'";
    return false;
  } catch (const Standard_Failure& failure) {
    why = std::string("Open CASCADE failed: ") + failure.GetMessageString();
    return false;
  } catch (const json::exception& e) {
    why = std::string("a parameter is malformed: ") + e.what();
    return false;
  } catch (const std::out_of_range&) {
    why = "a consumed reference was not resolved";
    return false;
  }
}

std::vector<TopoDS_Shape> entities_at(const TopoDS_Shape& shape, const std::string& kind, double x,
                                      double y, double z) {
  const TopAbs_ShapeEnum type = kind == "face"   ? TopAbs_FACE
                                : kind == "edge" ? TopAbs_EDGE
                                                 : TopAbs_VERTEX;
  TopTools_IndexedMapOfShape all;
  TopExp::MapShapes(shape, type, all);
  const TopoDS_Vertex probe = BRepBuilderAPI_MakeVertex(gp_Pnt(x, y, z)).Vertex();
  std::vector<TopoDS_Shape> found;
  for (int i = 1; i <= all.Extent(); ++i) {
    if (type == TopAbs_EDGE && BRep_Tool::Degenerated(TopoDS::Edge(all(i)))) continue;
    BRepExtrema_DistShapeShape distance(all(i), probe);
    if (distance.IsDone() && distance.Value() <= 1e-6) found.push_back(all(i));
  }
  return found;
}

}  // namespace tagtrack_tool
