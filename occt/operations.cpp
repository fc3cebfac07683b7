#include <tagtrack/occt/operations.h>

#include <string>

#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepFilletAPI_MakeChamfer.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS.hxx>

#include <tagtrack/occt/fault_handling.h>
#include <tagtrack/occt/shape_bodies.h>

#include <tagtrack/occt/internal/carry_over.h>

namespace TPI_OCCT {

using namespace tagtrack_occt;

namespace {

// The history an algorithm of the BRepBuilderAPI family keeps.
class algorithm_history final : public shape_history {
 public:
  explicit algorithm_history(BRepBuilderAPI_MakeShape& algorithm) : m_algorithm(algorithm) {}
  void modified(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    for (const TopoDS_Shape& s : m_algorithm.Modified(input)) images.Append(s);
  }
  void generated(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    for (const TopoDS_Shape& s : m_algorithm.Generated(input)) images.Append(s);
  }

 private:
  BRepBuilderAPI_MakeShape& m_algorithm;
};

class tools_history final : public shape_history {
 public:
  explicit tools_history(Handle(BRepTools_History) history) : m_history(std::move(history)) {}
  void modified(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    if (m_history.IsNull() || !BRepTools_History::IsSupportedType(input)) return;
    for (const TopoDS_Shape& s : m_history->Modified(input)) images.Append(s);
  }
  void generated(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    if (m_history.IsNull() || !BRepTools_History::IsSupportedType(input)) return;
    for (const TopoDS_Shape& s : m_history->Generated(input)) images.Append(s);
  }

 private:
  Handle(BRepTools_History) m_history;
};

// A prism's bottom is its profile's image, its top the profile's copy.
class prism_history final : public shape_history {
 public:
  explicit prism_history(BRepPrimAPI_MakePrism& prism) : m_prism(prism) {}
  void modified(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    const TopoDS_Shape bottom = m_prism.FirstShape(input);
    if (!bottom.IsNull()) images.Append(bottom);
  }
  void generated(const TopoDS_Shape& input, TopTools_ListOfShape& images) const override {
    const TopoDS_Shape top = m_prism.LastShape(input);
    if (!top.IsNull()) images.Append(top);
    for (const TopoDS_Shape& s : m_prism.Generated(input)) images.Append(s);
  }

 private:
  BRepPrimAPI_MakePrism& m_prism;
};

outcome named(const char* operation, const outcome& result) {
  if (result.ok()) return result;
  return outcome::failure(std::string(operation) + ": " + result.message());
}

outcome failed(const char* operation, const Standard_Failure& failure) {
  return outcome::failure(std::string(operation) + ": " + failure_reason(operation, failure));
}

bool backed(const BODY* body) {
  return body != nullptr && body->alive() && !shape_of(body).IsNull();
}

template <class Boolean>
outcome boolean(const char* operation, BODY* body, BODY* tool) {
  if (!backed(body) || !backed(tool) || body == tool) {
    return outcome::failure(std::string(operation) +
                            ": needs two distinct live bodies backed by shapes");
  }
  try {
    Boolean algorithm(shape_of(body), shape_of(tool));
    if (!algorithm.IsDone() || algorithm.HasErrors()) {
      return outcome::failure(std::string(operation) + ": the boolean failed");
    }
    return named(operation, carry_over({body, tool}, algorithm.Shape(),
                                       tools_history(algorithm.History()), carry_options()));
  } catch (const Standard_Failure& failure) {
    return failed(operation, failure);
  }
}

// The one body the edges belong to, or null.
BODY* body_of(const std::vector<EDGE*>& edges) {
  BODY* body = nullptr;
  for (const EDGE* edge : edges) {
    if (edge == nullptr || !edge->alive()) return nullptr;
    if (body != nullptr && edge->body() != body) return nullptr;
    body = edge->body();
  }
  return backed(body) ? body : nullptr;
}

// A fillet or chamfer of edges of one body, every edge by `size`.
template <class Rounding>
outcome rounding(const char* operation, const char* size_name, const std::vector<EDGE*>& edges,
                 double size) {
  BODY* body = body_of(edges);
  if (body == nullptr || edges.empty() || !(size > 0)) {
    return outcome::failure(std::string(operation) +
                            ": needs live edges of one body backed by a shape and a " + size_name +
                            " > 0");
  }
  try {
    Rounding algorithm(shape_of(body));
    for (const EDGE* edge : edges) algorithm.Add(size, edge_shape(edge));
    algorithm.Build();
    if (!algorithm.IsDone()) {
      return outcome::failure(std::string(operation) + ": the " + operation + " failed");
    }
    return named(operation, carry_over({body}, algorithm.Shape(), algorithm_history(algorithm),
                                       carry_options()));
  } catch (const Standard_Failure& failure) {
    return failed(operation, failure);
  }
}

}  // namespace

outcome fuse(BODY* body, BODY* tool) {
  return boolean<BRepAlgoAPI_Fuse>("fuse", body, tool);
}

outcome cut(BODY* body, BODY* tool) {
  return boolean<BRepAlgoAPI_Cut>("cut", body, tool);
}

outcome common(BODY* body, BODY* tool) {
  return boolean<BRepAlgoAPI_Common>("common", body, tool);
}

outcome fillet(const std::vector<EDGE*>& edges, double radius) {
  return rounding<BRepFilletAPI_MakeFillet>("fillet", "radius", edges, radius);
}

outcome chamfer(const std::vector<EDGE*>& edges, double distance) {
  return rounding<BRepFilletAPI_MakeChamfer>("chamfer", "distance", edges, distance);
}

outcome prism(FACE* face, const TPK::vector3& direction) {
  if (face == nullptr || !face->alive() || !backed(face->body()) ||
      face->body()->faces().size() != 1) {
    return outcome::failure("prism: needs the only face of a sheet body backed by a shape");
  }
  if (!(TPK::length(direction) > TPK::resabs)) {
    return outcome::failure("prism: the direction has no length");
  }
  try {
    BRepPrimAPI_MakePrism algorithm(face_shape(face),
                                    gp_Vec(direction.x, direction.y, direction.z));
    if (!algorithm.IsDone()) return outcome::failure("prism: the prism failed");
    return named("prism", carry_over({face->body()}, algorithm.Shape(), prism_history(algorithm),
                                     carry_options()));
  } catch (const Standard_Failure& failure) {
    return failed("prism", failure);
  }
}

outcome unify(BODY* body) {
  if (!backed(body)) return outcome::failure("unify: needs a live body backed by a shape");
  try {
    ShapeUpgrade_UnifySameDomain algorithm(shape_of(body), Standard_True, Standard_True,
                                           Standard_False);
    algorithm.Build();
    return named("unify", carry_over({body}, algorithm.Shape(), tools_history(algorithm.History()),
                                     carry_options()));
  } catch (const Standard_Failure& failure) {
    return failed("unify", failure);
  }
}

outcome transform(BODY* body, const gp_Trsf& motion) {
  if (!backed(body)) return outcome::failure("transform: needs a live body backed by a shape");
  try {
    BRepBuilderAPI_Transform algorithm(shape_of(body), motion, Standard_True);
    if (!algorithm.IsDone()) return outcome::failure("transform: the transform failed");
    carry_options options;
    options.moved = true;
    return named("transform",
                 carry_over({body}, algorithm.Shape(), algorithm_history(algorithm), options));
  } catch (const Standard_Failure& failure) {
    return failed("transform", failure);
  }
}

outcome apply_history(const std::vector<BODY*>& bodies, const TopoDS_Shape& result,
                      const Handle(BRepTools_History) & history) {
  for (const BODY* body : bodies) {
    if (!backed(body)) return outcome::failure("apply_history: a body is not backed by a shape");
  }
  carry_options options;
  options.strict = true;
  return named("apply_history", carry_over(bodies, result, tools_history(history), options));
}

}  // namespace TPI_OCCT
