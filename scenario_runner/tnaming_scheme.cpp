#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <streambuf>
#include <variant>
#include <vector>

#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Curve.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TDF_ChildIterator.hxx>
#include <TDF_Data.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelMap.hxx>
#include <TDF_TagSource.hxx>
#include <TFunction_Logbook.hxx>
#include <TNaming_Builder.hxx>
#include <TNaming_NamedShape.hxx>
#include <TNaming_Selector.hxx>
#include <TNaming_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>

#include <tagtrack/scenario_runner/peer_schemes.h>

namespace tagtrack::scenarios {

namespace {

// TNaming writes some of its warnings straight to standard output ("TNaming_Naming::Name:
// FAILED"), where the runner's table or JSON goes: while a selection is made or solved, standard
// output goes nowhere.
class quiet_standard_output {
 public:
  quiet_standard_output() : m_previous(std::cout.rdbuf(&m_nowhere)) {}
  ~quiet_standard_output() { std::cout.rdbuf(m_previous); }
  quiet_standard_output(const quiet_standard_output&) = delete;
  quiet_standard_output& operator=(const quiet_standard_output&) = delete;

 private:
  class nowhere : public std::streambuf {
   protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  };
  nowhere m_nowhere;
  std::streambuf* m_previous;
};

// The label of a function's result under its function label, as in Open CASCADE's modelling
// definitions (FUNCTION_RESULT_LABEL); a pattern's placed copies go under the next one.
constexpr int result_tag = 2;
constexpr int copies_tag = 3;
// A prism's or revolve's profile, made inside the feature, is the result of a function of its own
// under the next label, as a DNaming_Line3DDriver polyline would be.
constexpr int basis_tag = 4;
// The sub-labels of a transformation of a result that is not a primitive (DNaming's FACES_TAG,
// EDGES_TAG, VERTEX_TAG).
constexpr int faces_tag = 1, edges_tag = 2, vertex_tag = 3;

// A result that is a compound of one shape is that shape, as the drivers load it.
TopoDS_Shape unwrapped(const TopoDS_Shape& shape) {
  if (!shape.IsNull() && shape.ShapeType() == TopAbs_COMPOUND && shape.NbChildren() == 1) {
    TopoDS_Iterator it(shape);
    return it.Value();
  }
  return shape;
}

// The drivers' "SubShapes" map: a shape of the result, for giving a loaded shape the orientation
// it has in the result.
class oriented_in {
 public:
  oriented_in(const TopoDS_Shape& result, std::initializer_list<TopAbs_ShapeEnum> kinds) {
    for (TopAbs_ShapeEnum kind : kinds) TopExp::MapShapes(result, kind, m_shapes);
  }
  TopoDS_Shape operator()(const TopoDS_Shape& shape) const {
    const int i = m_shapes.FindIndex(shape);
    return i > 0 ? m_shapes(i) : shape;
  }
  bool contains(const TopoDS_Shape& shape) const { return m_shapes.Contains(shape); }

 private:
  TopTools_IndexedMapOfShape m_shapes;
};

// What a history says an input sub-shape became, as a maker's Modified, Generated and IsDeleted
// say it: the feature runner keeps the images that are in the result, and a sub-shape is deleted
// when it is neither in the result nor has a modified image there.
struct maker_history {
  Handle(BRepTools_History) history;
  const oriented_in* result = nullptr;

  const TopTools_ListOfShape& modified(const TopoDS_Shape& s) const {
    static const TopTools_ListOfShape none;
    return history.IsNull() ? none : history->Modified(s);
  }
  const TopTools_ListOfShape& generated(const TopoDS_Shape& s) const {
    static const TopTools_ListOfShape none;
    return history.IsNull() ? none : history->Generated(s);
  }
  bool deleted(const TopoDS_Shape& s) const {
    if (!history.IsNull() && history->IsRemoved(s)) return true;
    return !result->contains(s) && modified(s).IsEmpty();
  }
  bool has_deleted(const TopoDS_Shape& input) const {
    for (TopAbs_ShapeEnum kind : {TopAbs_FACE, TopAbs_EDGE, TopAbs_VERTEX}) {
      for (TopExp_Explorer e(input, kind); e.More(); e.Next()) {
        if (deleted(e.Current())) return true;
      }
    }
    return false;
  }
};

// DNaming::LoadAndOrientModifiedShapes, LoadAndOrientGeneratedShapes and LoadDeletedShapes on the
// runner's history.
void load_modified(const maker_history& h, const TopoDS_Shape& in, TopAbs_ShapeEnum kind,
                   TNaming_Builder& builder) {
  TopTools_MapOfShape seen;
  for (TopExp_Explorer e(in, kind); e.More(); e.Next()) {
    const TopoDS_Shape& root = e.Current();
    if (!seen.Add(root)) continue;
    for (const TopoDS_Shape& image : h.modified(root)) {
      const TopoDS_Shape shape = (*h.result)(image);
      if (!root.IsSame(shape)) builder.Modify(root, shape);
    }
  }
}
void load_generated(const maker_history& h, const TopoDS_Shape& in, TopAbs_ShapeEnum kind,
                    TNaming_Builder& builder) {
  TopTools_MapOfShape seen;
  for (TopExp_Explorer e(in, kind); e.More(); e.Next()) {
    const TopoDS_Shape& root = e.Current();
    if (!seen.Add(root)) continue;
    for (const TopoDS_Shape& image : h.generated(root)) {
      const TopoDS_Shape shape = (*h.result)(image);
      if (!root.IsSame(shape)) builder.Generated(root, shape);
    }
  }
}
void load_deleted(const maker_history& h, const TopoDS_Shape& in, TopAbs_ShapeEnum kind,
                  TNaming_Builder& builder) {
  TopTools_MapOfShape seen;
  for (TopExp_Explorer e(in, kind); e.More(); e.Next()) {
    if (seen.Add(e.Current()) && h.deleted(e.Current())) builder.Delete(e.Current());
  }
}

const TopoDS_Shape* made_face(const feature_run& run, const std::string& role) {
  for (const auto& [face, r] : run.made_faces) {
    if (r == role) return &face;
  }
  return nullptr;
}

// Open CASCADE's own naming, recorded as its modelling function drivers (the DNaming package)
// record it, on labels that stay the feature's from one regeneration to the next: feature k's
// function label 1:k, its result at 1:k:2 with the driver's sub-labels; a reference is a
// TNaming_Selector selection in the result of its feature, made once, and solved after every
// regeneration with the labels the functions executed so far validated in the logbook, as
// DNaming_SelectionDriver solves it. docs/peers_tnaming.md says which driver each feature follows.
class tnaming_scheme final : public naming_scheme {
 public:
  tnaming_scheme() : m_data(new TDF_Data()) {
    m_features = m_data->Root().FindChild(1, Standard_True);
    m_references = m_data->Root().FindChild(2, Standard_True);
    m_log = TFunction_Logbook::Set(m_data->Root());
  }
  // A named shape frees its evolution's nodes only when it is forgotten while the document's
  // table of used shapes is still there; destroyed with the document it would keep them, and
  // every shape recorded with them. Every label's attributes are forgotten, deepest first, before
  // the root's (where that table is).
  ~tnaming_scheme() override {
    std::vector<TDF_Label> labels;
    for (TDF_ChildIterator it(m_data->Root(), Standard_True); it.More(); it.Next()) {
      labels.push_back(it.Value());
    }
    for (auto at = labels.rbegin(); at != labels.rend(); ++at) at->ForgetAllAttributes();
    m_data->Root().ForgetAllAttributes();
  }
  tnaming_scheme(const tnaming_scheme&) = delete;
  tnaming_scheme& operator=(const tnaming_scheme&) = delete;

  const char* name() const override { return "tnaming"; }

  std::size_t begin(const std::vector<feature>&, std::size_t) override {
    // A recomputation from the first function: the logbook starts empty, and each function that
    // runs validates its result labels.
    m_log->Clear();
    m_context.clear();
    m_named.clear();
    return 0;
  }

  outcome feature_done(std::size_t, const feature& f, const feature_run& run) override {
    try {
      const TDF_Label function = function_label(f.id);
      const TDF_Label result = function.FindChild(result_tag, Standard_True);
      record(f, run, function, result);
      Handle(TNaming_NamedShape) named;
      if (result.FindAttribute(TNaming_NamedShape::GetID(), named) && !named->IsEmpty()) {
        m_named[f.id] = named;
        m_context[f.id] = named->Get();
        m_log->SetValid(result, Standard_True);
        for (int tag : {copies_tag, basis_tag}) {
          const TDF_Label more = function.FindChild(tag, Standard_False);
          if (!more.IsNull()) m_log->SetValid(more, Standard_True);
        }
      } else {
        // A pass-through records nothing: its result is its target's, named where that was.
        m_context[f.id] = run.result;
        if (!run.input_ids.empty() && m_named.count(run.input_ids[0]) != 0) {
          m_named[f.id] = m_named[run.input_ids[0]];
        }
      }
      return outcome();
    } catch (const Standard_Failure& failure) {
      return outcome::failure(std::string("TNaming failed: ") + failure.GetMessageString());
    } catch (const std::out_of_range&) {
      return outcome::failure("an input was not recorded");
    }
  }

  outcome remember(const reference& r, std::size_t, const TopoDS_Shape& entity) override {
    m_remembered[r.name] = true;
    try {
      // DNaming's selection: the result label of the selection function, cleared, then selected
      // once in the context's shape.
      TDF_Label label = reference_label(r.name);
      label.ForgetAllAttributes(Standard_True);
      TNaming_Selector selector(label);
      const quiet_standard_output quiet;
      selector.Select(entity, m_context.at(r.after));
    } catch (const Standard_Failure&) {
    } catch (const std::out_of_range&) {
    }
    return outcome();
  }

  resolution resolve(const reference& r, std::size_t) override {
    resolution found;
    try {
      TDF_Label label = reference_label(r.name);
      TDF_LabelMap valid;
      m_log->GetValid(valid);
      TNaming_Selector selector(label);
      const quiet_standard_output quiet;
      if (!selector.Solve(valid)) return found;
      m_log->SetValid(label);
      Handle(TNaming_NamedShape) named = selector.NamedShape();
      if (named.IsNull() || named->IsEmpty()) return found;
      collect(named->Get(), shape_type(r.type), found.entities);
    } catch (const Standard_Failure&) {
      found.entities.clear();
    }
    return found;
  }

  bool remembers(const std::string& name) const override { return m_remembered.count(name) != 0; }

 private:
  TDF_Label function_label(const std::string& id) {
    auto at = m_tags.find(id);
    if (at == m_tags.end()) at = m_tags.emplace(id, static_cast<int>(m_tags.size()) + 1).first;
    return m_features.FindChild(at->second, Standard_True);
  }
  TDF_Label reference_label(const std::string& name) {
    auto at = m_reference_tags.find(name);
    if (at == m_reference_tags.end()) {
      at = m_reference_tags.emplace(name, static_cast<int>(m_reference_tags.size()) + 1).first;
    }
    return m_references.FindChild(at->second, Standard_True);
  }

  void record(const feature& f, const feature_run& run, const TDF_Label& function,
              const TDF_Label& result) {
    const auto& p = f.parameters;
    if (std::holds_alternative<box>(p)) {
      load_box(result, run);
    } else if (std::holds_alternative<cylinder>(p)) {
      load_cylinder(result, run);
    } else if (std::holds_alternative<prism>(p)) {
      load_basis(function.FindChild(basis_tag, Standard_True).FindChild(result_tag), run);
      load_prism(result, run);
    } else if (const revolve* r = std::get_if<revolve>(&p)) {
      load_basis(function.FindChild(basis_tag, Standard_True).FindChild(result_tag), run);
      load_revolution(result, run, r->angle >= 360);
    } else if (std::holds_alternative<boolean>(p)) {
      const maker_history h = history_of(run, run.history);
      std::vector<TopoDS_Shape> tools{m_context.at(run.input_ids.at(1))};
      load_boolean(result, run, h, m_context.at(run.input_ids.at(0)), tools);
    } else if (std::holds_alternative<fillet>(p) || std::holds_alternative<chamfer>(p)) {
      load_fillet(result, run, history_of(run, run.history), m_context.at(run.input_ids.at(0)));
    } else if (std::holds_alternative<unify>(p)) {
      load_unify(result, run, history_of(run, run.history), m_context.at(run.input_ids.at(0)));
    } else if (std::holds_alternative<shell>(p) || std::holds_alternative<draft>(p)) {
      load_shell(result, run, history_of(run, run.history), m_context.at(run.input_ids.at(0)));
    } else if (std::holds_alternative<move>(p)) {
      load_transformation(result, source_of(run.input_ids.at(0)), run.history, run.result);
    } else if (std::holds_alternative<mirror>(p)) {
      load_transformation(result, source_of(run.input_ids.at(0)), run.copies.at(0).history,
                          run.result);
    } else if (std::holds_alternative<pattern>(p)) {
      const Handle(TNaming_NamedShape) source = source_of(run.input_ids.at(0));
      const TDF_Label copies = function.FindChild(copies_tag, Standard_True);
      std::vector<TopoDS_Shape> tools;
      for (const placed_copy& copy : run.copies) {
        load_transformation(copies.FindChild(copy.index, Standard_True), source, copy.history,
                            copy.shape);
        tools.push_back(copy.shape);
      }
      load_boolean(result, run, history_of(run, run.history), m_context.at(run.input_ids.at(0)),
                   tools);
    }
    // pass_through: no function, nothing recorded.
  }

  maker_history history_of(const feature_run& run, const Handle(BRepTools_History) & history) {
    m_result_shapes = std::make_unique<oriented_in>(
        run.result, std::initializer_list<TopAbs_ShapeEnum>{TopAbs_FACE});
    return maker_history{history, m_result_shapes.get()};
  }

  // The named shape of an input's result: where its function put it, or, for a pass-through, the
  // one the shape is named in.
  Handle(TNaming_NamedShape) source_of(const std::string& id) {
    const auto at = m_named.find(id);
    if (at != m_named.end()) return at->second;
    return TNaming_Tool::NamedShape(unwrapped(m_context.at(id)), m_data->Root());
  }

  // DNaming_BoxDriver::LoadNamingDS.
  static void load_box(const TDF_Label& result, const feature_run& run) {
    TNaming_Builder(result).Generated(run.result);
    int tag = 1;
    for (const char* role : {"bottom", "top", "front", "right", "back", "left"}) {
      const TDF_Label face = result.FindChild(tag++, Standard_True);
      if (const TopoDS_Shape* made = made_face(run, role)) TNaming_Builder(face).Generated(*made);
    }
  }

  // DNaming_Line3DDriver::LoadNamingDS for the closed profile: the wire, edge i on sub-label i,
  // the first and the last vertex (those of the closing edge, in turn) on the next two.
  static void load_basis(const TDF_Label& result, const feature_run& run) {
    if (run.profile.IsNull()) return;
    TopoDS_Shape wire;
    for (TopoDS_Iterator it(run.profile); it.More() && wire.IsNull(); it.Next()) wire = it.Value();
    if (wire.IsNull()) return;
    TNaming_Builder(result).Generated(wire);
    std::vector<TopoDS_Shape> edges;
    TopTools_MapOfShape seen;
    for (TopExp_Explorer e(wire, TopAbs_EDGE); e.More(); e.Next()) {
      if (seen.Add(e.Current())) edges.push_back(e.Current());
    }
    for (std::size_t i = 0; i < edges.size(); ++i) {
      TNaming_Builder(result.FindChild(static_cast<int>(i) + 1, Standard_True)).Generated(edges[i]);
    }
    if (edges.empty()) return;
    TopoDS_Vertex first, last;
    TopExp::Vertices(TopoDS::Edge(edges.back()), last, first);
    const int n = static_cast<int>(edges.size());
    if (!first.IsNull()) TNaming_Builder(result.FindChild(n + 1, Standard_True)).Generated(first);
    if (!last.IsNull()) TNaming_Builder(result.FindChild(n + 2, Standard_True)).Generated(last);
  }

  // DNaming_CylinderDriver::LoadNamingDS (a whole cylinder: bottom, top, lateral).
  static void load_cylinder(const TDF_Label& result, const feature_run& run) {
    TNaming_Builder(result).Generated(run.result);
    int tag = 1;
    for (const char* role : {"bottom", "top", "side"}) {
      const TDF_Label face = result.FindChild(tag++, Standard_True);
      if (const TopoDS_Shape* made = made_face(run, role)) TNaming_Builder(face).Generated(*made);
    }
  }

  // The lateral faces of a sweep, generated from the profile's edges
  // (DNaming::LoadAndOrientGeneratedShapes on the basis). Our full turn (a revolve through 360
  // degrees) reports no generated face for a segment that meets the axis (the disc it raises),
  // where the revolution driver's maker (a whole turn, copying its basis) reports the disc: in a
  // full turn such a segment's face is loaded as generated from it, found as the face the feature
  // made that its midpoint lies on and that no segment generated.
  static void load_sides(const TDF_Label& result, const feature_run& run, const oriented_in& in,
                         bool full_turn = false) {
    TNaming_Builder lateral(result.NewChild());
    for (const auto& [edge, made] : run.swept_edges) {
      bool any_face = false;
      for (const TopoDS_Shape& image : made) {
        const TopoDS_Shape shape = in(image);
        any_face = any_face || shape.ShapeType() == TopAbs_FACE;
        if (!edge.IsSame(shape)) lateral.Generated(edge, shape);
      }
      if (!full_turn || any_face) continue;
      const TopoDS_Shape disc = raised_disc(run, TopoDS::Edge(edge));
      if (!disc.IsNull()) lateral.Generated(edge, in(disc));
    }
  }

  // The face the feature made that a profile edge's midpoint lies on, when no sweep generated it.
  static TopoDS_Shape raised_disc(const feature_run& run, const TopoDS_Edge& edge) {
    double first = 0, last = 0;
    const Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, first, last);
    if (curve.IsNull()) return TopoDS_Shape();
    const TopoDS_Vertex middle = BRepBuilderAPI_MakeVertex(curve->Value((first + last) / 2));
    TopTools_MapOfShape generated;
    for (const auto& [e, made] : run.swept_edges) {
      for (const TopoDS_Shape& image : made) generated.Add(image);
    }
    for (const auto& [face, role] : run.made_faces) {
      if (generated.Contains(face)) continue;
      BRepExtrema_DistShapeShape distance(face, middle);
      if (distance.IsDone() && distance.Value() < Precision::Confusion()) return face;
    }
    return TopoDS_Shape();
  }

  // DNaming_PrismDriver::LoadNamingDS: the tag source reset, the lateral faces on one label, the
  // bottom (FirstShape) and the top (LastShape) on the next two.
  static void load_prism(const TDF_Label& result, const feature_run& run) {
    const oriented_in in(run.result, {TopAbs_FACE});
    TDF_TagSource::Set(result)->Set(0);
    TNaming_Builder(result).Generated(run.result);
    load_sides(result, run, in);
    for (const char* role : {"bottom", "top"}) {
      if (const TopoDS_Shape* cap = made_face(run, role)) {
        TNaming_Builder(result.NewChild()).Generated(in(*cap));
      }
    }
  }

  // DNaming_RevolutionDriver::LoadNamingDS for a solid: the lateral faces; then for a full turn
  // one seam edge per profile edge whose face closes on one (LoadSeamEdge), for a partial turn the
  // start and the end face.
  static void load_revolution(const TDF_Label& result, const feature_run& run, bool full) {
    const oriented_in in(run.result, {TopAbs_FACE});
    TDF_TagSource::Set(result)->Set(0);
    TNaming_Builder(result).Generated(run.result);
    load_sides(result, run, in, full);
    if (full) {
      for (const auto& [edge, made] : run.swept_edges) {
        bool found = false;
        for (const TopoDS_Shape& face : made) {
          if (face.ShapeType() != TopAbs_FACE || edge.IsSame(face)) continue;
          for (TopExp_Explorer e(face, TopAbs_EDGE); e.More(); e.Next()) {
            if (BRep_Tool::IsClosed(TopoDS::Edge(e.Current()), TopoDS::Face(face))) {
              TNaming_Builder(result.NewChild()).Generated(e.Current());
              found = true;
              break;
            }
          }
          if (found) break;
        }
      }
    } else {
      for (const char* role : {"start", "end"}) {
        if (const TopoDS_Shape* cap = made_face(run, role)) {
          TNaming_Builder(result.NewChild()).Generated(in(*cap));
        }
      }
    }
  }

  // DNaming_BooleanOperationDriver::LoadNamingDS (DNaming::LoadResult first): the tag source
  // reset, the result modified from the object, the modified faces of the object and the tools on
  // one new child, the deleted ones on the next when the operation deleted anything.
  static void load_boolean(const TDF_Label& result, const feature_run& run, const maker_history& h,
                           const TopoDS_Shape& object, const std::vector<TopoDS_Shape>& tools) {
    TDF_TagSource::Set(result)->Set(0);
    TNaming_Builder(result).Modify(object, unwrapped(run.result));
    TNaming_Builder modified(result.NewChild());
    load_modified(h, object, TopAbs_FACE, modified);
    for (const TopoDS_Shape& tool : tools) load_modified(h, tool, TopAbs_FACE, modified);
    bool has_deleted = h.has_deleted(object);
    for (const TopoDS_Shape& tool : tools) has_deleted = has_deleted || h.has_deleted(tool);
    if (has_deleted) {
      TNaming_Builder deleted(result.NewChild());
      load_deleted(h, object, TopAbs_FACE, deleted);
      for (const TopoDS_Shape& tool : tools) load_deleted(h, tool, TopAbs_FACE, deleted);
    }
  }

  // DNaming_FilletDriver::LoadNamingDS, for a fillet and a chamfer: 1 faces generated from edges,
  // 2 modified faces, 3 faces generated from vertices, 4 deleted faces.
  static void load_fillet(const TDF_Label& result, const feature_run& run, const maker_history& h,
                          const TopoDS_Shape& context) {
    TNaming_Builder(result).Modify(context, unwrapped(run.result));
    TNaming_Builder from_edges(result.FindChild(1, Standard_True));
    load_generated(h, context, TopAbs_EDGE, from_edges);
    TNaming_Builder modified(result.FindChild(2, Standard_True));
    load_modified(h, context, TopAbs_FACE, modified);
    TNaming_Builder from_vertices(result.FindChild(3, Standard_True));
    load_generated(h, context, TopAbs_VERTEX, from_vertices);
    TNaming_Builder deleted(result.FindChild(4, Standard_True));
    load_deleted(h, context, TopAbs_FACE, deleted);
  }

  // No driver: the faces merged into one are modified (1), those the merge removed deleted (2).
  static void load_unify(const TDF_Label& result, const feature_run& run, const maker_history& h,
                         const TopoDS_Shape& context) {
    TNaming_Builder(result).Modify(context, unwrapped(run.result));
    TNaming_Builder modified(result.FindChild(1, Standard_True));
    load_modified(h, context, TopAbs_FACE, modified);
    TNaming_Builder deleted(result.FindChild(2, Standard_True));
    load_deleted(h, context, TopAbs_FACE, deleted);
  }

  // No driver, for a shell and a draft: 1 modified faces, 2 faces generated from the edges of the
  // faces the feature removed, 3 the removed faces.
  static void load_shell(const TDF_Label& result, const feature_run& run, const maker_history& h,
                         const TopoDS_Shape& context) {
    TNaming_Builder(result).Modify(context, unwrapped(run.result));
    TNaming_Builder modified(result.FindChild(1, Standard_True));
    load_modified(h, context, TopAbs_FACE, modified);
    TNaming_Builder from_edges(result.FindChild(2, Standard_True));
    TopTools_MapOfShape seen;
    for (TopExp_Explorer f(context, TopAbs_FACE); f.More(); f.Next()) {
      if (!h.deleted(f.Current())) continue;
      for (TopExp_Explorer e(f.Current(), TopAbs_EDGE); e.More(); e.Next()) {
        if (!seen.Add(e.Current())) continue;
        for (const TopoDS_Shape& image : h.generated(e.Current())) {
          const TopoDS_Shape shape = (*h.result)(image);
          if (shape.ShapeType() == TopAbs_FACE && h.result->contains(shape)) {
            from_edges.Generated(e.Current(), shape);
          }
        }
      }
    }
    TNaming_Builder deleted(result.FindChild(3, Standard_True));
    load_deleted(h, context, TopAbs_FACE, deleted);
  }

  // DNaming_TransformationDriver::LoadNamingDS: the source's shape and its sub-shapes that are
  // named under it (CollectShapes), each loaded as modified into its image: for a primitive source
  // on the sub-label of the tag it has there, otherwise faces, edges and vertices on one label
  // each.
  static void load_transformation(const TDF_Label& result,
                                  const Handle(TNaming_NamedShape) & source,
                                  const Handle(BRepTools_History) & history,
                                  const TopoDS_Shape& placed) {
    if (source.IsNull() || source->IsEmpty() || history.IsNull()) return;
    const TopoDS_Shape source_shape = source->Get();
    const bool primitive = source->Evolution() == TNaming_PRIMITIVE;
    const TDF_Label source_label = source->Label();
    std::vector<TopoDS_Shape> keys;
    TopTools_MapOfShape seen;
    std::map<int, int> tag_of;  // index in keys -> source tag
    seen.Add(source_shape);
    collect_named(source_shape, source_label, primitive, keys, seen, tag_of);

    const TopoDS_Shape new_shape = unwrapped(placed);
    TNaming_Builder(result).Modify(source_shape, new_shape);
    const oriented_in in(new_shape, {TopAbs_FACE, TopAbs_EDGE, TopAbs_VERTEX});
    int next_tag = 0;
    for (const auto& [index, tag] : tag_of) next_tag = std::max(next_tag, tag);
    std::unique_ptr<TNaming_Builder> faces, edges, vertices;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const TopoDS_Shape& key = keys[i];
      const TopTools_ListOfShape& images = history->Modified(key);
      if (images.IsEmpty()) continue;
      const TopoDS_Shape image = in(images.First());
      if (primitive) {
        const auto tag = tag_of.find(static_cast<int>(i));
        const int at = tag != tag_of.end() ? tag->second : ++next_tag;
        TNaming_Builder(result.FindChild(at, Standard_True)).Modify(key, image);
      } else {
        std::unique_ptr<TNaming_Builder>* builder = nullptr;
        int at = 0;
        switch (key.ShapeType()) {
          case TopAbs_FACE:
            builder = &faces;
            at = faces_tag;
            break;
          case TopAbs_EDGE:
            builder = &edges;
            at = edges_tag;
            break;
          case TopAbs_VERTEX:
            builder = &vertices;
            at = vertex_tag;
            break;
          default:
            break;
        }
        if (builder == nullptr) continue;
        if (!*builder) {
          *builder = std::make_unique<TNaming_Builder>(result.FindChild(at, Standard_True));
        }
        (*builder)->Modify(key, image);
      }
    }
  }

  // CollectShapes of the transformation driver.
  static void collect_named(const TopoDS_Shape& shape, const TDF_Label& label, bool primitive,
                            std::vector<TopoDS_Shape>& keys, TopTools_MapOfShape& seen,
                            std::map<int, int>& tag_of) {
    const auto add = [&](const TopoDS_Shape& s, bool with_tag) {
      const Handle(TNaming_NamedShape) named = TNaming_Tool::NamedShape(s, label);
      if (named.IsNull() || !seen.Add(s)) return;
      if (primitive && with_tag) tag_of[static_cast<int>(keys.size())] = named->Label().Tag();
      keys.push_back(s);
    };
    const auto subs = [&](const TopoDS_Shape& s, TopAbs_ShapeEnum kind) {
      for (TopExp_Explorer e(s, kind); e.More(); e.Next()) add(e.Current(), true);
    };
    switch (shape.ShapeType()) {
      case TopAbs_COMPOUND:
        for (TopoDS_Iterator it(shape); it.More(); it.Next()) {
          collect_named(it.Value(), label, primitive, keys, seen, tag_of);
        }
        break;
      case TopAbs_COMPSOLID:
      case TopAbs_SOLID:
      case TopAbs_SHELL:
        subs(shape, TopAbs_FACE);
        subs(shape, TopAbs_EDGE);
        subs(shape, TopAbs_VERTEX);
        break;
      case TopAbs_FACE:
      case TopAbs_WIRE:
      case TopAbs_EDGE:
        if (shape.ShapeType() != TopAbs_WIRE) add(shape, false);
        if (shape.ShapeType() != TopAbs_EDGE) subs(shape, TopAbs_EDGE);
        subs(shape, TopAbs_VERTEX);
        break;
      case TopAbs_VERTEX:
        add(shape, false);
        break;
      default:
        break;
    }
  }

  static void collect(const TopoDS_Shape& shape, TopAbs_ShapeEnum type,
                      std::vector<TopoDS_Shape>& found) {
    if (shape.IsNull()) return;
    if (shape.ShapeType() == type) {
      found.push_back(shape);
    } else if (shape.ShapeType() == TopAbs_COMPOUND) {
      for (TopoDS_Iterator it(shape); it.More(); it.Next()) collect(it.Value(), type, found);
    }
  }

  Handle(TDF_Data) m_data;
  TDF_Label m_features, m_references;
  Handle(TFunction_Logbook) m_log;
  std::map<std::string, int> m_tags, m_reference_tags;
  // Per feature of the current regeneration: the shape its result label holds (the context of
  // its selections, the argument of the next function) and that named shape.
  std::map<std::string, TopoDS_Shape> m_context;
  std::map<std::string, Handle(TNaming_NamedShape)> m_named;
  std::unique_ptr<oriented_in> m_result_shapes;
  std::map<std::string, bool> m_remembered;
};

}  // namespace

std::unique_ptr<naming_scheme> make_tnaming_scheme() {
  return std::make_unique<tnaming_scheme>();
}

}  // namespace tagtrack::scenarios
