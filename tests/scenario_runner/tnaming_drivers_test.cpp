// The tnaming method records and solves as Open CASCADE's own modelling function drivers do: the
// same histories built once by the DNaming drivers themselves (box, cylinder, boolean, fillet and
// selection drivers run on an OCAF data framework laid out as DNaming's modelling commands lay it
// out) and once through the tnaming scheme, every sub-shape of the last result selected in both, a
// parameter changed, everything recomputed on the same labels and every selection solved again:
// each selection solves in both or in neither, to the same number of shapes of the same geometry.
// This program links TKDCAF (the DNaming drivers, with Draw's Tcl/Tk), which no library or
// installed program of tagtrack may link.
#include <cmath>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <DNaming_BooleanOperationDriver.hxx>
#include <DNaming_BoxDriver.hxx>
#include <DNaming_CylinderDriver.hxx>
#include <DNaming_FilletDriver.hxx>
#include <DNaming_SelectionDriver.hxx>
#include <DNaming_TransformationDriver.hxx>
#include <GProp_GProps.hxx>
#include <ModelDefinitions.hxx>
#include <TDF_ChildIterator.hxx>
#include <TDF_Data.hxx>
#include <TDF_Reference.hxx>
#include <TDF_TagSource.hxx>
#include <TDataStd_Integer.hxx>
#include <TDataStd_Real.hxx>
#include <TDataStd_TreeNode.hxx>
#include <TDataStd_UAttribute.hxx>
#include <TFunction_Function.hxx>
#include <TFunction_Logbook.hxx>
#include <TNaming_Builder.hxx>
#include <TNaming_NamedShape.hxx>
#include <TNaming_Selector.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>

#include <tagtrack/features/feature_history.h>
#include <tagtrack/scenario_runner/peer_schemes.h>

namespace tagtrack::scenarios {
namespace {

// What tells two shapes of two separately built models apart: type, mass (length, area) and
// centre of mass.
struct signature {
  TopAbs_ShapeEnum type = TopAbs_SHAPE;
  double mass = 0;
  gp_Pnt centre;
};

signature signature_of(const TopoDS_Shape& shape) {
  signature s;
  s.type = shape.ShapeType();
  if (s.type == TopAbs_VERTEX) {
    s.centre = BRep_Tool::Pnt(TopoDS::Vertex(shape));
    return s;
  }
  GProp_GProps props;
  if (s.type == TopAbs_EDGE) {
    BRepGProp::LinearProperties(shape, props);
  } else {
    BRepGProp::SurfaceProperties(shape, props);
  }
  s.mass = props.Mass();
  s.centre = props.CentreOfMass();
  return s;
}

bool same_geometry(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  const signature sa = signature_of(a), sb = signature_of(b);
  return sa.type == sb.type && std::abs(sa.mass - sb.mass) < 1e-6 * (1 + std::abs(sa.mass)) &&
         sa.centre.Distance(sb.centre) < 1e-6;
}

// The faces, edges (not degenerated) and vertices of a shape, in Open CASCADE's order.
std::vector<TopoDS_Shape> sub_shapes(const TopoDS_Shape& shape) {
  std::vector<TopoDS_Shape> all;
  for (TopAbs_ShapeEnum kind : {TopAbs_FACE, TopAbs_EDGE, TopAbs_VERTEX}) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shape, kind, map);
    for (int i = 1; i <= map.Extent(); ++i) {
      if (kind == TopAbs_EDGE && BRep_Tool::Degenerated(TopoDS::Edge(map(i)))) continue;
      all.push_back(map(i));
    }
  }
  return all;
}

// The sub-shape of `shape` of the kind nearest `point`.
TopoDS_Shape nearest(const TopoDS_Shape& shape, TopAbs_ShapeEnum kind, const gp_Pnt& point) {
  TopTools_IndexedMapOfShape map;
  TopExp::MapShapes(shape, kind, map);
  const TopoDS_Vertex at = BRepBuilderAPI_MakeVertex(point).Vertex();
  TopoDS_Shape best;
  double distance = 1e100;
  for (int i = 1; i <= map.Extent(); ++i) {
    BRepExtrema_DistShapeShape d(map(i), at);
    if (d.IsDone() && d.Value() < distance) {
      distance = d.Value();
      best = map(i);
    }
  }
  return best;
}

std::vector<TopoDS_Shape> members(const TopoDS_Shape& shape) {
  std::vector<TopoDS_Shape> all;
  if (shape.IsNull()) return all;
  if (shape.ShapeType() != TopAbs_COMPOUND) return {shape};
  for (TopoDS_Iterator it(shape); it.More(); it.Next()) all.push_back(it.Value());
  return all;
}

// An OCAF data framework laid out as DNaming's modelling commands lay it out (AddObject,
// SetFunctionDS, AttachShape): an object is a label with the GEOMOBJECT_GUID attribute and a tree
// node, its functions are children with tree nodes appended under it, each with an arguments label
// (1) and a result label (2), the object referring to the result of its last function.
class driver_document {
 public:
  driver_document()
      : m_data(new TDF_Data()),
        m_main(m_data->Root().FindChild(1, Standard_True)),
        m_log(TFunction_Logbook::Set(m_data->Root())) {}
  // Closed as the tnaming method closes its own: every label's attributes forgotten, deepest
  // first, while the used-shapes table at the root still holds their shapes.
  ~driver_document() {
    std::vector<TDF_Label> labels;
    for (TDF_ChildIterator it(m_data->Root(), Standard_True); it.More(); it.Next()) {
      labels.push_back(it.Value());
    }
    for (auto at = labels.rbegin(); at != labels.rend(); ++at) at->ForgetAllAttributes();
    m_data->Root().ForgetAllAttributes();
  }
  driver_document(const driver_document&) = delete;
  driver_document& operator=(const driver_document&) = delete;

  TDF_Label object() {
    const TDF_Label label = TDF_TagSource::NewChild(m_main);
    TDataStd_UAttribute::Set(label, GEOMOBJECT_GUID);
    TDataStd_TreeNode::Set(label);
    return label;
  }

  Handle(TFunction_Function) function(const TDF_Label& object, const Standard_GUID& driver) {
    const TDF_Label label = TDF_TagSource::NewChild(object);
    Handle(TFunction_Function) function = TFunction_Function::Set(label, driver);
    Handle(TDataStd_TreeNode) node = TDataStd_TreeNode::Set(label), object_node;
    object.FindAttribute(TDataStd_TreeNode::GetDefaultTreeID(), object_node);
    object_node->Append(node);
    TDF_TagSource::NewChild(label);  // FUNCTION_ARGUMENTS_LABEL
    TDF_TagSource::NewChild(label);  // FUNCTION_RESULT_LABEL
    TDF_Reference::Set(object, RESPOSITION(function));
    return function;
  }

  static void real(const Handle(TFunction_Function) & f, int position, double value) {
    TDataStd_Real::Set(POSITION(f, position), value);
  }
  static void argument(const Handle(TFunction_Function) & f, int position,
                       const TDF_Label& object) {
    TDF_Reference::Set(POSITION(f, position), object);
  }

  // A straight axis as an object whose result is the edge (what the cylinder driver reads).
  TDF_Label axis(const gp_Pnt& from, const gp_Pnt& to) {
    const TDF_Label label = object();
    const TDF_Label result = label.FindChild(1, Standard_True);
    TNaming_Builder(result).Generated(BRepBuilderAPI_MakeEdge(from, to).Edge());
    TDF_Reference::Set(label, result);
    return label;
  }

  // AttachShape: an auxiliary object with a selection function, its result selected in the
  // context object's shape.
  Handle(TFunction_Function) select(const TopoDS_Shape& shape, const TDF_Label& context) {
    const TDF_Label label = object();
    Handle(TFunction_Function) f = function(label, ATTCH_GUID);
    TNaming_Selector selector(RESPOSITION(f));
    selector.Select(shape, shape_of(context));
    return f;
  }

  static TopoDS_Shape shape_of(const TDF_Label& object) {
    Handle(TDF_Reference) reference;
    Handle(TNaming_NamedShape) named;
    if (!object.FindAttribute(TDF_Reference::GetID(), reference)) return TopoDS_Shape();
    if (!reference->Get().FindAttribute(TNaming_NamedShape::GetID(), named)) return TopoDS_Shape();
    return named->IsEmpty() ? TopoDS_Shape() : named->Get();
  }
  static TopoDS_Shape result_of(const Handle(TFunction_Function) & f) {
    Handle(TNaming_NamedShape) named;
    if (!RESPOSITION(f).FindAttribute(TNaming_NamedShape::GetID(), named) || named->IsEmpty()) {
      return TopoDS_Shape();
    }
    return named->Get();
  }

  template <class Driver>
  int execute(const Handle(TFunction_Function) & f) {
    Handle(TFunction_Driver) driver = new Driver();
    driver->Init(f->Label());
    return driver->Execute(m_log);
  }
  // A recomputation from the first function: the logbook starts empty.
  void start() { m_log->Clear(); }

 private:
  Handle(TDF_Data) m_data;
  TDF_Label m_main;
  Handle(TFunction_Logbook) m_log;
};

// A box with a tool (a cylinder, or a box when `box_tool`), moved by `move_by` when it is not
// zero, cut out of it or fused on it, and a round on one edge, as tests/caf/driver A1–A6 build it.
struct history_case {
  const char* name;
  box block;
  cylinder drill;
  boolean_kind kind;
  gp_Pnt round_at;  // a point on the rounded edge of the boolean's result
  double radius;
  std::function<void(box&, cylinder&)> edit;
  bool box_tool = false;
  box tool_box;
  point3 move_by;
};

bool moved(const history_case& c) {
  return c.move_by != point3{};
}

// The case built by the drivers: every sub-shape of the round's result selected, the edit made,
// everything recomputed and every selection solved. Gives per selection the shapes it solved to
// (empty when it did not solve), and the selected shapes.
struct driver_outcome {
  std::vector<TopoDS_Shape> selected;
  std::vector<std::vector<TopoDS_Shape>> solved;
};

driver_outcome run_drivers(const history_case& c) {
  driver_document doc;
  box b = c.block;
  cylinder d = c.drill;
  const TDF_Label block = doc.object();
  Handle(TFunction_Function) f_box = doc.function(block, BOX_GUID);
  const auto set_box = [&] {
    driver_document::real(f_box, BOX_DX, b.size.x);
    driver_document::real(f_box, BOX_DY, b.size.y);
    driver_document::real(f_box, BOX_DZ, b.size.z);
  };
  set_box();
  const TDF_Label drill = doc.object();
  Handle(TFunction_Function) f_cyl = doc.function(drill, c.box_tool ? BOX_GUID : CYL_GUID);
  const auto set_cylinder = [&] {
    if (c.box_tool) {
      driver_document::real(f_cyl, BOX_DX, c.tool_box.size.x);
      driver_document::real(f_cyl, BOX_DY, c.tool_box.size.y);
      driver_document::real(f_cyl, BOX_DZ, c.tool_box.size.z);
      return;
    }
    driver_document::real(f_cyl, CYL_RADIUS, d.radius);
    driver_document::real(f_cyl, CYL_HEIGHT, d.height);
    const gp_Pnt from(d.origin.x, d.origin.y, d.origin.z);
    const gp_Pnt to(from.X() + d.axis.x, from.Y() + d.axis.y, from.Z() + d.axis.z);
    driver_document::argument(f_cyl, CYL_AXIS, doc.axis(from, to));
  };
  set_cylinder();
  Handle(TFunction_Function) f_move;
  if (moved(c)) {
    f_move = doc.function(drill, PTXYZ_GUID);
    driver_document::real(f_move, PTRANSF_DX, c.move_by.x);
    driver_document::real(f_move, PTRANSF_DY, c.move_by.y);
    driver_document::real(f_move, PTRANSF_DZ, c.move_by.z);
  }
  const auto run_tool = [&] {
    if (c.box_tool) {
      EXPECT_EQ(doc.execute<DNaming_BoxDriver>(f_cyl), 0);
    } else {
      EXPECT_EQ(doc.execute<DNaming_CylinderDriver>(f_cyl), 0);
    }
    if (moved(c)) {
      EXPECT_EQ(doc.execute<DNaming_TransformationDriver>(f_move), 0);
    }
  };
  Handle(TFunction_Function) f_bool =
      doc.function(block, c.kind == boolean_kind::cut ? CUT_GUID : FUSE_GUID);
  driver_document::argument(f_bool, BOOL_TOOL, drill);

  doc.start();
  EXPECT_EQ(doc.execute<DNaming_BoxDriver>(f_box), 0);
  run_tool();
  EXPECT_EQ(doc.execute<DNaming_BooleanOperationDriver>(f_bool), 0);
  const TopoDS_Shape edge = nearest(driver_document::result_of(f_bool), TopAbs_EDGE, c.round_at);
  Handle(TFunction_Function) f_path = doc.select(edge, block);
  Handle(TFunction_Function) f_round = doc.function(block, FILLT_GUID);
  driver_document::real(f_round, FILLET_RADIUS, c.radius);
  TDataStd_Integer::Set(POSITION(f_round, FILLET_SURFTYPE), 0);
  driver_document::argument(f_round, FILLET_PATH, f_path->Label().Father());
  EXPECT_EQ(doc.execute<DNaming_FilletDriver>(f_round), 0);

  driver_outcome out;
  out.selected = sub_shapes(driver_document::result_of(f_round));
  std::vector<Handle(TFunction_Function)> selections;
  for (const TopoDS_Shape& s : out.selected) selections.push_back(doc.select(s, block));

  c.edit(b, d);
  set_box();
  set_cylinder();
  doc.start();
  EXPECT_EQ(doc.execute<DNaming_BoxDriver>(f_box), 0);
  run_tool();
  EXPECT_EQ(doc.execute<DNaming_BooleanOperationDriver>(f_bool), 0);
  doc.execute<DNaming_SelectionDriver>(f_path);
  EXPECT_EQ(doc.execute<DNaming_FilletDriver>(f_round), 0);
  for (const Handle(TFunction_Function) & s : selections) {
    const bool solved = doc.execute<DNaming_SelectionDriver>(s) == 0;
    out.solved.push_back(solved ? members(driver_document::result_of(s))
                                : std::vector<TopoDS_Shape>());
  }
  return out;
}

// The same case through the tnaming scheme, the same sub-shapes (by geometry) selected.
std::vector<std::vector<TopoDS_Shape>> run_scheme(const history_case& c,
                                                  const std::vector<TopoDS_Shape>& selected) {
  feature_history part(make_tnaming_scheme());
  box b = c.block;
  cylinder d = c.drill;
  part.add({"block", b});
  const auto tool = [&]() -> feature {
    if (c.box_tool) return {"drill", c.tool_box};
    return {"drill", d};
  };
  part.add(tool());
  std::string tool_id = "drill";
  if (moved(c)) {
    part.add({"placed", move{"drill", c.move_by, {}}});
    tool_id = "placed";
  }
  part.add({"combined", boolean{c.kind, "block", tool_id}});
  part.add({"round", fillet{"combined", {"round_edge"}, c.radius}});
  std::vector<std::string> names;
  EXPECT_TRUE(part.regenerate(feature_history::from::scratch, [&](const std::string& id) {
    if (id == "combined") {
      EXPECT_TRUE(
          part.remember("round_edge", id, nearest(part.result(id), TopAbs_EDGE, c.round_at)));
    } else if (id == "round") {
      const std::vector<TopoDS_Shape> ours = sub_shapes(part.result(id));
      for (std::size_t i = 0; i < selected.size(); ++i) {
        std::vector<TopoDS_Shape> same;
        for (const TopoDS_Shape& s : ours) {
          if (same_geometry(s, selected[i])) same.push_back(s);
        }
        EXPECT_EQ(same.size(), 1u) << "selection " << i << " has no single counterpart";
        if (same.size() != 1) continue;
        names.push_back("s" + std::to_string(i));
        EXPECT_TRUE(part.remember(names.back(), id, same[0]));
      }
    }
  }));
  c.edit(b, d);
  EXPECT_TRUE(part.set({"block", b}));
  EXPECT_TRUE(part.set(tool()));
  EXPECT_TRUE(part.regenerate());
  std::vector<std::vector<TopoDS_Shape>> solved;
  for (const std::string& name : names) solved.push_back(part.resolved(name).entities);
  return solved;
}

class TnamingDriversTest : public ::testing::TestWithParam<history_case> {};

TEST_P(TnamingDriversTest, EverySelectionSolvesAsTheDriversSolveIt) {
  const history_case& c = GetParam();
  const driver_outcome drivers = run_drivers(c);
  ASSERT_FALSE(drivers.selected.empty());
  const std::vector<std::vector<TopoDS_Shape>> ours = run_scheme(c, drivers.selected);
  ASSERT_EQ(ours.size(), drivers.solved.size());
  int solved = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const std::vector<TopoDS_Shape>& theirs = drivers.solved[i];
    if (!theirs.empty()) ++solved;
    ASSERT_EQ(ours[i].size(), theirs.size())
        << c.name << ": selection " << i << " ("
        << TopAbs::ShapeTypeToString(drivers.selected[i].ShapeType()) << ") solves to "
        << ours[i].size() << " shapes here, " << theirs.size() << " with the drivers";
    for (const TopoDS_Shape& s : theirs) {
      bool found = false;
      for (const TopoDS_Shape& o : ours[i]) found = found || same_geometry(s, o);
      EXPECT_TRUE(found) << c.name << ": selection " << i << " solves elsewhere";
    }
  }
  std::cout << c.name << ": " << ours.size() << " selections, " << solved
            << " solved by the drivers and here alike\n";
  // The edit leaves most of the part in place: most selections solve.
  EXPECT_GT(solved, static_cast<int>(ours.size()) / 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    DriverHistories, TnamingDriversTest,
    ::testing::Values(
        // A1: a cylinder on a box's edge cut out, a round on the notch's top edge; the box longer.
        history_case{"a1_notch_longer", box{{0, 0, 0}, {19, 29, 39}},
                     cylinder{{0, 0, -1}, {0, 0, 1}, 3, 32.5}, boolean_kind::cut,
                     gp_Pnt(0, 14.5, 39), 2.5, [](box& b, cylinder&) { b.size.x = 29; }, false,
                     box{}, point3{}},
        // A4: a cylinder cut through the box's height across its front; the cylinder wider.
        history_case{"a4_groove_wider", box{{0, 0, 0}, {30, 20, 10}},
                     cylinder{{15, 0, -5}, {0, 0, 1}, 4, 20}, boolean_kind::cut, gp_Pnt(15, 20, 10),
                     1, [](box&, cylinder& d) { d.radius = 6; }, false, box{}, point3{}},
        // A6: a cylinder fused on the box's corner, a round on a far edge; the box taller.
        history_case{"a6_fused_taller", box{{0, 0, 0}, {20, 20, 20}},
                     cylinder{{20, 20, -5}, {0, 0, 1}, 5, 30}, boolean_kind::fuse,
                     gp_Pnt(0, 10, 20), 2, [](box& b, cylinder&) { b.size.z = 22; }, false, box{},
                     point3{}},
        // A3: a small box moved over a corner of a large one and cut out, a round; the large box
        // longer.
        history_case{"a3_moved_corner_cut_longer", box{{0, 0, 0}, {19, 29, 39}}, cylinder{},
                     boolean_kind::cut, gp_Pnt(0, 14.5, 0), 2,
                     [](box& b, cylinder&) { b.size.x = 29; }, true, box{{0, 0, 0}, {10, 10, 10}},
                     point3{14, 24, 34}},
        // A5: a cylinder moved along the box and cut up to inside it (a groove with a ceiling);
        // the box longer.
        history_case{"a5_moved_blind_groove_longer", box{{0, 0, 0}, {19, 29, 39}},
                     cylinder{{0, 0, -1}, {0, 0, 1}, 7, 28.5}, boolean_kind::cut,
                     gp_Pnt(19, 14.5, 39), 2, [](box& b, cylinder&) { b.size.x = 22; }, false,
                     box{}, point3{10, 0, 0}}),
    [](const ::testing::TestParamInfo<history_case>& info) { return info.param.name; });

}  // namespace
}  // namespace tagtrack::scenarios
