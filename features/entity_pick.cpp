#include <tagtrack/features/entity_pick.h>

#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>

namespace tagtrack {

const char* type_word(entity_type type) {
  return type == entity_type::face ? "face" : type == entity_type::edge ? "edge" : "vertex";
}

TopAbs_ShapeEnum shape_type(entity_type type) {
  return type == entity_type::face   ? TopAbs_FACE
         : type == entity_type::edge ? TopAbs_EDGE
                                     : TopAbs_VERTEX;
}

std::vector<TopoDS_Shape> entities_at(const TopoDS_Shape& shape, entity_type type,
                                      const point3& p) {
  std::vector<TopoDS_Shape> found;
  if (shape.IsNull()) return found;
  TopTools_IndexedMapOfShape all;
  TopExp::MapShapes(shape, shape_type(type), all);
  const TopoDS_Vertex probe = BRepBuilderAPI_MakeVertex(gp_Pnt(p.x, p.y, p.z)).Vertex();
  for (int i = 1; i <= all.Extent(); ++i) {
    if (type == entity_type::edge && BRep_Tool::Degenerated(TopoDS::Edge(all(i)))) continue;
    BRepExtrema_DistShapeShape distance(all(i), probe);
    if (distance.IsDone() && distance.Value() <= 1e-6) found.push_back(all(i));
  }
  return found;
}

}  // namespace tagtrack
