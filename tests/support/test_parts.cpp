#include "test_parts.h"

#include <cmath>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepFilletAPI_MakeChamfer.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepOffsetAPI_ThruSections.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Writer.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Writer.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>

namespace test_parts {

namespace {

TopoDS_Shape machined_block() {
  TopoDS_Shape part = BRepPrimAPI_MakeBox(40, 30, 10).Shape();
  part = BRepAlgoAPI_Fuse(
             part, BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(12, 15, 10), gp::DZ()), 6, 8).Shape())
             .Shape();
  part = BRepAlgoAPI_Cut(part, BRepPrimAPI_MakeBox(gp_Pnt(24, 8, 5), 10, 14, 6).Shape()).Shape();
  part = BRepAlgoAPI_Cut(
             part, BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(12, 15, -1), gp::DZ()), 2.5, 30).Shape())
             .Shape();
  // Round the vertical edges of the block's corners.
  BRepFilletAPI_MakeFillet fillet(part);
  for (TopExp_Explorer e(part, TopAbs_EDGE); e.More(); e.Next()) {
    const TopoDS_Edge edge = TopoDS::Edge(e.Current());
    TopoDS_Vertex a, b;
    TopExp::Vertices(edge, a, b);
    const gp_Pnt p = BRep_Tool::Pnt(a), q = BRep_Tool::Pnt(b);
    const bool corner = (p.X() == 0 || p.X() == 40) && (p.Y() == 0 || p.Y() == 30);
    if (corner && p.X() == q.X() && p.Y() == q.Y()) fillet.Add(3, edge);
  }
  return fillet.Shape();
}

TopoDS_Shape lofted_body() {
  // Smooth sections through the polygons' corners: B-spline faces.
  BRepOffsetAPI_ThruSections loft(Standard_True, Standard_False);
  for (int k = 0; k < 4; ++k) {
    BRepBuilderAPI_MakeWire wire;
    gp_Circ circle(gp_Ax2(gp_Pnt(0, 0, 10.0 * k), gp::DZ()), 8 + 2 * std::sin(k));
    wire.Add(BRepBuilderAPI_MakeEdge(circle));
    loft.AddWire(wire.Wire());
  }
  loft.Build();
  return loft.Shape();
}

// A smooth loft through four star-shaped sections of 44 segments, each turned a little on the
// last: 44 B-spline side faces, one per segment, between two planar caps.
TopoDS_Shape freeform_body() {
  BRepOffsetAPI_ThruSections loft(Standard_True, Standard_False);
  const int corners = 44;
  for (int k = 0; k < 4; ++k) {
    BRepBuilderAPI_MakePolygon star;
    for (int i = 0; i < corners; ++i) {
      const double angle = 2 * M_PI * i / corners + 0.05 * k;
      const double radius = (i % 2 == 0 ? 20.0 : 17.0) - 1.5 * std::sin(k);
      star.Add(gp_Pnt(radius * std::cos(angle), radius * std::sin(angle), 12.0 * k));
    }
    star.Close();
    loft.AddWire(star.Wire());
  }
  loft.Build();
  return loft.Shape();
}

TopoDS_Shape turned_part() {
  TopoDS_Shape part = BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, 0), gp::DZ()), 10, 20).Shape();
  part = BRepAlgoAPI_Fuse(
             part, BRepPrimAPI_MakeCone(gp_Ax2(gp_Pnt(0, 0, 20), gp::DZ()), 10, 4, 12).Shape())
             .Shape();
  BRepFilletAPI_MakeChamfer chamfer(part);
  for (TopExp_Explorer e(part, TopAbs_EDGE); e.More(); e.Next()) {
    TopoDS_Vertex a, b;
    TopExp::Vertices(TopoDS::Edge(e.Current()), a, b);
    if (BRep_Tool::Pnt(a).Z() == 0 && BRep_Tool::Pnt(b).Z() == 0) {
      chamfer.Add(1, TopoDS::Edge(e.Current()));
    }
  }
  return chamfer.Shape();
}

TopoDS_Shape assembly() {
  const TopoDS_Shape bracket =
      BRepAlgoAPI_Cut(BRepPrimAPI_MakeBox(10, 6, 4).Shape(),
                      BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(5, 3, -1), gp::DZ()), 1.5, 6).Shape())
          .Shape();
  TopoDS_Compound placed;
  BRep_Builder builder;
  builder.MakeCompound(placed);
  for (int i = 0; i < 4; ++i) {
    gp_Trsf motion;
    motion.SetTranslation(gp_Vec(15.0 * i, 0, 0));
    builder.Add(placed, bracket.Moved(TopLoc_Location(motion)));
  }
  return placed;
}

TopoDS_Shape round_things() {
  TopoDS_Compound both;
  BRep_Builder builder;
  builder.MakeCompound(both);
  builder.Add(both, BRepPrimAPI_MakeSphere(gp_Pnt(0, 0, 0), 5).Shape());
  builder.Add(both, BRepPrimAPI_MakeTorus(gp_Ax2(gp_Pnt(20, 0, 0), gp::DZ()), 6, 2).Shape());
  return both;
}

bool write_step(const TopoDS_Shape& shape, const std::string& path) {
  STEPControl_Writer writer;
  Interface_Static::SetIVal("write.step.assembly", 1);
  return writer.Transfer(shape, STEPControl_AsIs) == IFSelect_RetDone &&
         writer.Write(path.c_str()) == IFSelect_RetDone;
}

bool write_iges(const TopoDS_Shape& shape, const std::string& path) {
  IGESControl_Controller::Init();
  IGESControl_Writer writer("MM", 1);
  if (!writer.AddShape(shape)) return false;
  writer.ComputeModel();
  return writer.Write(path.c_str());
}

}  // namespace

bool write_test_parts(const std::string& dir) {
  return write_step(machined_block(), dir + "/machined_block.step") &&
         write_step(lofted_body(), dir + "/lofted_body.step") &&
         write_step(freeform_body(), dir + "/freeform_body.step") &&
         write_iges(turned_part(), dir + "/turned_part.igs") &&
         write_step(assembly(), dir + "/bracket_assembly.step") &&
         BRepTools::Write(round_things(), (dir + "/sphere_and_torus.brep").c_str());
}

}  // namespace test_parts
