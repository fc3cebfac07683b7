// Element maps as FreeCAD 1.0 builds them, for the elementmap naming method: every face, edge and
// vertex of a feature's result gets a mapped name that spells its history (the names of the input
// elements it came from, how it came from them, which operation and which feature's tag), built
// from the names of the inputs and what the operation says became of their elements.
#pragma once

#include <array>
#include <climits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>

namespace tagtrack::scenarios::elementmap {

// The kinds of element a map names, lowest first.
enum kind : int { vertex_kind = 0, edge_kind = 1, face_kind = 2 };
constexpr int kind_count = 3;

// "Vertex", "Edge", "Face": the type word of an element's plain name ("Face3").
const char* kind_word(int k);

// The element of `kind` and number `index` (from 1, in TopExp::MapShapes order of its shape).
struct element_ref {
  int kind = face_kind;
  int index = 0;  // 0: none
};

// A shape with its faces, edges and vertices numbered.
class indexed_shape {
 public:
  indexed_shape() = default;
  explicit indexed_shape(const TopoDS_Shape& shape);
  const TopoDS_Shape& shape() const { return m_shape; }
  int count(int k) const { return m_elements[static_cast<std::size_t>(k)].Extent(); }
  const TopoDS_Shape& element(int k, int index) const {
    return m_elements[static_cast<std::size_t>(k)](index);
  }
  // The number of `element` (any orientation), 0 when it is not one of the shape's.
  int find(int k, const TopoDS_Shape& element) const {
    return m_elements[static_cast<std::size_t>(k)].FindIndex(element);
  }

 private:
  TopoDS_Shape m_shape;
  std::array<TopTools_IndexedMapOfShape, kind_count> m_elements;
};

// A shape's element map under the tag of the feature (FreeCAD: the object) that owns it. Each
// element has at most one mapped name and a name names one element: a name another element
// already holds is told apart by ";D<n>", n counting 1, 2, ... (FreeCAD's release builds draw n
// at random; a counter keeps every regeneration's names the same).
class element_map {
 public:
  element_map() = default;
  element_map(const TopoDS_Shape& shape, long tag);
  const indexed_shape& shape() const { return m_shape; }
  long tag() const { return m_tag; }
  // The mapped name of an element; empty when it has none.
  const std::string& name(int k, int index) const;
  bool named(int k, int index) const { return !name(k, index).empty(); }
  // Gives the element `name` unless it has a name already.
  void set_name(int k, int index, const std::string& name);
  // The element a mapped name names; index 0 when none.
  element_ref find(const std::string& name) const;
  std::size_t size() const { return m_lookup.size(); }
  // Every mapped name: faces, then edges, then vertices, each by number.
  std::vector<std::string> names() const;

 private:
  indexed_shape m_shape;
  long m_tag = 0;
  std::array<std::vector<std::string>, kind_count> m_names;
  std::map<std::string, element_ref> m_lookup;
};

// What an operation says became of its inputs' elements: the elements of its result each was
// modified into, and those it generated (a face from an edge, or a whole solid from a face).
class shape_mapper {
 public:
  virtual ~shape_mapper();
  virtual std::vector<TopoDS_Shape> modified(const TopoDS_Shape& element) const = 0;
  virtual std::vector<TopoDS_Shape> generated(const TopoDS_Shape& element) const = 0;
};

// Appends to `name` the postfix, then the operation's code, then the tag the name's element comes
// from as ";:H<tag in hex>[:<length of what came before it, in hex>],<letter>", as FreeCAD encodes
// an element name; where the tag is the map's own, the tag already in the name is carried on.
void encode_name(char letter, std::string& name, std::string postfix, const std::string& op,
                 long master_tag, long tag, bool force_tag = false);

// The element map of `result`, made by operation `op` (FreeCAD's op code: "FUS", "FLT", ...) from
// `inputs` under `tag`: the elements of the inputs found unchanged in the result keep their names
// (with the input's tag); those the mapper says were modified or generated are named after their
// sources with ";:M" or ";:G", the position the source reported them in, and the operation; a face
// generated parallel to (coplanar with) the planar face it was swept from takes the fixed index
// ";:G0" (";:G00"); elements no source names take the name of an upper element with ";:U<k>",
// then of their lower elements with ";:L". `mapper` may be null (the result shares its elements
// with the inputs, or is named from them alone).
element_map make_element_map(const TopoDS_Shape& result, long tag,
                             const std::vector<const element_map*>& inputs,
                             const shape_mapper* mapper, const std::string& op);

// The element map of the faces a face maker made on a sketch's edges, as FreeCAD's FaceMaker names
// them: edges and vertices keep the sketch's names, and each face is named after the first edge
// of its outer wire in name order that no face before it was named after, with ";:FAC" (FreeCAD's
// minimum of one element name). A face so keeps its name through every edit of the sketch that
// keeps that edge, whatever the other edges become.
element_map make_face_maker_map(const TopoDS_Shape& faces, const element_map& sketch);

}  // namespace tagtrack::scenarios::elementmap
