#include "elementmap_naming.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <Precision.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pln.hxx>

namespace tagtrack::scenarios::elementmap {

namespace {

constexpr TopAbs_ShapeEnum kind_types[kind_count] = {TopAbs_VERTEX, TopAbs_EDGE, TopAbs_FACE};
constexpr char kind_letters[kind_count] = {'V', 'E', 'F'};

// The kind of map an element of this shape type is named in: a wire's in the edges', a shell's,
// solid's or compound's in the faces' (an operation may report a whole solid generated).
int kind_of(TopAbs_ShapeEnum type) {
  switch (type) {
    case TopAbs_VERTEX:
      return vertex_kind;
    case TopAbs_EDGE:
    case TopAbs_WIRE:
      return edge_kind;
    default:
      return face_kind;
  }
}

std::string hex(long value) {
  char text[32];
  std::snprintf(text, sizeof text, value < 0 ? "-%lx" : "%lx",
                static_cast<unsigned long>(std::labs(value)));
  return text;
}

// The last tag a name carries and where its ";:H" starts; tag 0 when it carries none.
struct found_tag {
  std::size_t at = std::string::npos;
  long tag = 0;
};

found_tag last_tag(const std::string& name) {
  found_tag found;
  const std::size_t at = name.rfind(";:H");
  if (at == std::string::npos) return found;
  const char* digits = name.c_str() + at + 3;
  char* end = nullptr;
  const long tag = std::strtol(digits, &end, 16);
  if (end == digits || (*end != ':' && *end != ',')) return found;
  found.at = at;
  found.tag = tag;
  return found;
}

// FreeCAD's order of mapped names: its leading word, then its number by value, then the rest;
// a name that is the start of another comes first.
bool name_less(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  const std::size_t n = std::min(a.size(), b.size());
  while (i < n && !std::isdigit(static_cast<unsigned char>(a[i])) &&
         !std::isdigit(static_cast<unsigned char>(b[i]))) {
    if (a[i] != b[i]) return a[i] < b[i];
    ++i;
  }
  std::size_t da = i, db = i;
  while (da < a.size() && std::isdigit(static_cast<unsigned char>(a[da]))) ++da;
  while (db < b.size() && std::isdigit(static_cast<unsigned char>(b[db]))) ++db;
  if (da - i != db - i) return da - i < db - i;
  const int digits = a.compare(i, da - i, b, i, db - i);
  if (digits != 0) return digits < 0;
  return a.compare(da, std::string::npos, b, db, std::string::npos) < 0;
}

struct by_name_order {
  bool operator()(const std::string& a, const std::string& b) const { return name_less(a, b); }
};

// A source of a new element's name: the kind of the source element (plus 3 where the operation
// reported a higher shape generated, a solid from a face, so that precise sources sort first),
// the tag of its input and its name.
struct name_key {
  int rank = 0;
  long tag = 0;
  std::string name;
  bool operator<(const name_key& o) const {
    if (rank != o.rank) return rank < o.rank;
    if (tag != o.tag) return tag < o.tag;
    return name < o.name;
  }
};

// The position the source reported the element in: k > 0 the k-th modified, -k the k-th
// generated, or one of the fixed indices of a parallel and a coplanar generated face.
constexpr int parallel_index = INT_MIN;
constexpr int coplanar_index = INT_MIN + 1;

struct name_info {
  int index = 0;
  int source_kind = 0;
};

// Elements in FreeCAD's order of indexed names: by type word ("Edge" < "Face" < "Vertex"), then
// number.
struct element_key {
  int word_rank = 0;
  int index = 0;
  bool operator<(const element_key& o) const {
    return word_rank != o.word_rank ? word_rank < o.word_rank : index < o.index;
  }
};

constexpr int word_rank_of[kind_count] = {2, 0, 1};
constexpr int kind_of_word_rank[kind_count] = {edge_kind, face_kind, vertex_kind};

element_key key_of(int k, int index) {
  return {word_rank_of[k], index};
}

bool plane_of(const TopoDS_Shape& shape, gp_Pln& plane) {
  if (shape.ShapeType() != TopAbs_FACE) return false;
  const GeomAdaptor_Surface surface(BRep_Tool::Surface(TopoDS::Face(shape)));
  if (surface.GetType() != GeomAbs_Plane) return false;
  plane = surface.Plane();
  return true;
}

bool coplanar(const gp_Pln& a, const gp_Pln& b) {
  const gp_Vec between(a.Location(), b.Location());
  return std::abs(gp_Vec(a.Axis().Direction()).Dot(between)) <= Precision::Confusion() &&
         std::abs(gp_Vec(b.Axis().Direction()).Dot(between)) <= Precision::Confusion();
}

class map_builder {
 public:
  map_builder(element_map& map, const std::vector<const element_map*>& inputs,
              const shape_mapper* mapper, const std::string& op)
      : m_map(map), m_shape(map.shape()), m_inputs(inputs), m_mapper(mapper), m_op(op) {}

  void run() {
    keep_unchanged();
    if (m_mapper != nullptr) collect_sources();
    // Names from higher shapes a source generated wait for a second round, in which they are
    // used only where the first left elements unnamed.
    for (bool delayed = false;; delayed = true) {
      name_from_sources(delayed);
      name_from_upper(delayed);
      const bool unnamed = name_from_lower(delayed);
      if (!unnamed || delayed || m_new_names.empty()) break;
    }
  }

 private:
  // An input's element found unchanged in the result keeps its name, with the input's tag.
  void keep_unchanged() {
    for (const element_map* input : m_inputs) {
      for (int k = 0; k < kind_count; ++k) {
        for (int i = 1; i <= input->shape().count(k); ++i) {
          const int index = m_shape.find(k, input->shape().element(k, i));
          if (index == 0 || m_map.named(k, index)) continue;
          std::string name = name_in(*input, k, i);
          encode_name(kind_letters[k], name, std::string(), std::string(), m_map.tag(),
                      input->tag());
          m_map.set_name(k, index, name);
        }
      }
    }
  }

  // An input element's mapped name, or its plain name ("Face3") where it has none.
  static std::string name_in(const element_map& input, int k, int i) {
    return input.named(k, i) ? input.name(k, i) : kind_word(k) + std::to_string(i);
  }

  void add_source(int k, int index, const name_key& key, int position, int source_kind) {
    if (index == 0 || m_map.named(k, index)) return;
    name_info& info = m_new_names[key_of(k, index)][key];
    info.index = position;
    info.source_kind = source_kind;
  }

  // What the operation says each named input element became.
  void collect_sources() {
    for (int k = 0; k < kind_count; ++k) {
      for (const element_map* input : m_inputs) {
        for (int i = 1; i <= input->shape().count(k); ++i) {
          const TopoDS_Shape& source = input->shape().element(k, i);
          name_key key{k, input->tag(), name_in(*input, k, i)};
          int position = 0;
          for (const TopoDS_Shape& made : m_mapper->modified(source)) {
            ++position;
            // A modified element is named in its own kind only.
            if (made.ShapeType() != kind_types[kind_of(made.ShapeType())]) continue;
            const int to = kind_of(made.ShapeType());
            add_source(to, m_shape.find(to, made), key, position, k);
          }
          collect_generated(k, source, key);
        }
      }
    }
  }

  void collect_generated(int k, const TopoDS_Shape& source, name_key key) {
    int position = 0;
    int plane_known = -1;  // -1 not yet looked at, 0 not planar, 1 planar
    gp_Pln plane;
    for (const TopoDS_Shape& made : m_mapper->generated(source)) {
      const int to = kind_of(made.ShapeType());
      std::vector<TopoDS_Shape> elements;
      int offset = 0, parallel = -1, coplanar_at = -1;
      if (made.ShapeType() == kind_types[to]) {
        elements.push_back(made);
      } else {
        // A higher shape: each of its elements of the kind, after the precise sources. Of the
        // faces of a solid swept from a planar face, the first coplanar and the first parallel
        // one take fixed indices, so that an extrusion's bottom and top keep their names when
        // the profile gains or loses a hole.
        offset = 3;
        if (k == face_kind && plane_known < 0) plane_known = plane_of(source, plane) ? 1 : 0;
        for (TopExp_Explorer x(made, kind_types[to]); x.More(); x.Next()) {
          elements.push_back(x.Current());
          gp_Pln other;
          if (plane_known <= 0 || (parallel >= 0 && coplanar_at >= 0)) continue;
          if (!plane_of(x.Current(), other)) continue;
          if (!plane.Axis().IsParallel(other.Axis(), Precision::Angular())) continue;
          const int n = static_cast<int>(elements.size());
          if (coplanar_at < 0 && coplanar(plane, other)) {
            coplanar_at = n;
          } else if (parallel < 0) {
            parallel = n;
          }
        }
      }
      key.rank += offset;
      // As in FreeCAD, the fixed indices are matched against the running position.
      for (const TopoDS_Shape& element : elements) {
        ++position;
        const int index = position == parallel      ? parallel_index
                          : position == coplanar_at ? coplanar_index
                                                    : -position;
        add_source(to, m_shape.find(to, element), key, index, k);
      }
      key.rank -= offset;
    }
  }

  // Names each element the operation reported after its first source (in name_key order), the
  // others listed in parentheses.
  void name_from_sources(bool delayed) {
    for (auto it = m_new_names.begin(); it != m_new_names.end();) {
      const element_key element = it->first;
      const int k = kind_of_word_rank[element.word_rank];
      const auto& sources = it->second;
      const name_key& first_key = sources.begin()->first;
      const name_info& first = sources.begin()->second;
      if (!delayed && first_key.rank >= 3 && first.index > coplanar_index) {
        ++it;
        continue;
      }
      if (!delayed && m_map.named(k, element.index)) {
        it = m_new_names.erase(it);
        continue;
      }
      int name_type = first.index > 0 ? 1 : 2;  // 1 modified, 2 generated, 0 both
      std::string listed;
      if (sources.size() > 1) {
        std::string others = "(";
        int count = 0;
        for (auto other = std::next(sources.begin()); other != sources.end(); ++other) {
          if (other->first.rank >= 3 && first_key.rank < 3) break;
          if (count != 0) others += '|';
          std::string marker;
          if (other->second.index != 1) {
            marker = ";K" + index_text(other->second.index, true);
          }
          std::string other_name = other->first.name;
          encode_name(kind_letters[other->second.source_kind], other_name, marker, std::string(),
                      m_map.tag(), other->first.tag);
          others += other_name;
          if ((name_type == 1 && other->second.index < 0) ||
              (name_type == 2 && other->second.index > 0)) {
            name_type = 0;
          }
          if (++count == 4) break;
        }
        if (count != 0) listed = others + ")";
      }
      std::string postfix = name_type == 2 ? ";:G" : name_type == 1 ? ";:M" : ";:MG";
      postfix += index_text(first.index, false) + listed;
      std::string name = first_key.name;
      encode_name(kind_letters[k], name, postfix, m_op, m_map.tag(), first_key.tag);
      m_map.set_name(k, element.index, name);
      if (!delayed && first_key.rank < 3) {
        it = m_new_names.erase(it);
      } else {
        ++it;
      }
    }
  }

  // The index in a name: "0" and "00" for the fixed ones; else nothing for 1 (a source's first
  // result) in the element's own postfix, the number otherwise (signed in a listed source).
  static std::string index_text(int index, bool signed_index) {
    if (index == parallel_index) return "0";
    if (index == coplanar_index) return "00";
    if (signed_index) return std::to_string(index);
    return std::abs(index) > 1 ? std::to_string(std::abs(index)) : std::string();
  }

  // From faces down to edges, then edges down to vertices: an unnamed element of a named one is
  // named after it with ";:U<k>", k its place among the named element's unnamed ones; of several
  // such upper elements, the first in name order.
  void name_from_upper(bool delayed) {
    for (int upper = face_kind; upper > vertex_kind; --upper) {
      const int lower = upper - 1;
      std::map<int, std::map<std::string, int, by_name_order>> candidates;
      for (int i = 1; i <= m_shape.count(upper); ++i) {
        const bool waiting = m_new_names.count(key_of(upper, i)) != 0;
        if (delayed ? !waiting : waiting) continue;
        const std::string& upper_name = m_map.name(upper, i);
        if (upper_name.empty()) continue;
        TopTools_IndexedMapOfShape subs;
        TopExp::MapShapes(m_shape.element(upper, i), kind_types[lower], subs);
        int place = 1;
        for (int s = 1; s <= subs.Extent(); ++s) {
          const int index = m_shape.find(lower, subs(s));
          if (index == 0 || m_map.named(lower, index)) continue;
          candidates[index][upper_name] = place++;
        }
      }
      for (const auto& [index, uppers] : candidates) {
        std::string name = uppers.begin()->first;
        const int place = uppers.begin()->second;
        encode_name(kind_letters[lower], name, ";:U" + (place > 1 ? std::to_string(place) : ""),
                    m_op, m_map.tag(), 0);
        m_map.set_name(lower, index, name);
      }
    }
  }

  // From edges up to faces: an unnamed element whose lower elements (a face's outer wire's edges)
  // are all named is named after the first of them with ";:L", the others listed. Gives whether
  // some element is left unnamed.
  bool name_from_lower(bool delayed) {
    bool unnamed = false;
    for (int upper = edge_kind; upper <= face_kind; ++upper) {
      const int lower = upper - 1;
      for (int i = 1; i <= m_shape.count(upper); ++i) {
        if (m_map.named(upper, i)) continue;
        const TopoDS_Shape& element = m_shape.element(upper, i);
        TopoDS_Shape around = element;
        if (upper == face_kind) around = BRepTools::OuterWire(TopoDS::Face(element));
        std::map<std::string, int, by_name_order> names;
        bool complete = !around.IsNull();
        TopExp_Explorer x;
        if (complete) x.Init(around, kind_types[lower]);
        for (; complete && x.More(); x.Next()) {
          const int index = m_shape.find(lower, x.Current());
          if (index == 0 || (!delayed && m_new_names.count(key_of(lower, index)) != 0) ||
              !m_map.named(lower, index)) {
            complete = false;
          } else {
            names.emplace(m_map.name(lower, index), index);
          }
        }
        if (!complete || names.empty()) {
          unnamed = true;
          continue;
        }
        std::string postfix = ";:L";
        if (names.size() > 1) {
          postfix += '(';
          int count = 0;
          for (auto other = std::next(names.begin()); other != names.end(); ++other) {
            if (count != 0) postfix += '|';
            postfix += other->first;
            if (++count == 4) break;
          }
          postfix += ')';
        }
        std::string name = names.begin()->first;
        encode_name(kind_letters[upper], name, postfix, m_op, m_map.tag(), 0);
        m_map.set_name(upper, i, name);
      }
    }
    return unnamed;
  }

  element_map& m_map;
  const indexed_shape& m_shape;
  const std::vector<const element_map*>& m_inputs;
  const shape_mapper* m_mapper;
  const std::string& m_op;
  std::map<element_key, std::map<name_key, name_info>> m_new_names;
};

}  // namespace

const char* kind_word(int k) {
  static const char* const words[kind_count] = {"Vertex", "Edge", "Face"};
  return words[k];
}

indexed_shape::indexed_shape(const TopoDS_Shape& shape) : m_shape(shape) {
  for (int k = 0; k < kind_count; ++k) {
    TopExp::MapShapes(shape, kind_types[k], m_elements[static_cast<std::size_t>(k)]);
  }
}

element_map::element_map(const TopoDS_Shape& shape, long tag) : m_shape(shape), m_tag(tag) {
  for (int k = 0; k < kind_count; ++k) {
    m_names[static_cast<std::size_t>(k)].resize(static_cast<std::size_t>(m_shape.count(k)) + 1);
  }
}

const std::string& element_map::name(int k, int index) const {
  static const std::string none;
  const auto& names = m_names[static_cast<std::size_t>(k)];
  if (index < 1 || static_cast<std::size_t>(index) >= names.size()) return none;
  return names[static_cast<std::size_t>(index)];
}

void element_map::set_name(int k, int index, const std::string& name) {
  auto& names = m_names[static_cast<std::size_t>(k)];
  if (name.empty() || index < 1 || static_cast<std::size_t>(index) >= names.size() ||
      !names[static_cast<std::size_t>(index)].empty()) {
    return;
  }
  std::string unique = name;
  for (long n = 1; m_lookup.count(unique) != 0; ++n) {
    unique = name;
    encode_name(kind_letters[k], unique, ";D" + hex(n), std::string(), m_tag, 0);
  }
  names[static_cast<std::size_t>(index)] = unique;
  m_lookup[unique] = element_ref{k, index};
}

element_ref element_map::find(const std::string& name) const {
  const auto at = m_lookup.find(name);
  return at == m_lookup.end() ? element_ref{} : at->second;
}

std::vector<std::string> element_map::names() const {
  std::vector<std::string> all;
  for (int k = face_kind; k >= vertex_kind; --k) {
    for (const std::string& name : m_names[static_cast<std::size_t>(k)]) {
      if (!name.empty()) all.push_back(name);
    }
  }
  return all;
}

shape_mapper::~shape_mapper() = default;

void encode_name(char letter, std::string& name, std::string postfix, const std::string& op,
                 long master_tag, long tag, bool force_tag) {
  if (!op.empty()) {
    if (op[0] != ';') postfix += ';';
    postfix += op;
  }
  if (!force_tag && postfix.empty()) {
    if (tag == 0 || tag == master_tag || last_tag(name).tag == tag) return;
  } else if (tag == 0 || (!force_tag && tag == master_tag)) {
    // The element comes from the tag its name carries last. Steps inside one feature would
    // encode that tag again and again: one level of it is kept.
    const found_tag last = last_tag(name);
    if (last.tag != 0) {
      tag = last.tag;
      const std::string before = name.substr(0, last.at);
      const long previous = last_tag(before).tag;
      if (previous == last.tag || previous == -last.tag) name = before;
    }
  }
  if (force_tag || tag != 0) {
    const std::size_t length = postfix.size();
    postfix += ";:H" + hex(tag);
    if (length != 0) postfix += ":" + hex(static_cast<long>(length));
    postfix += ',';
    postfix += letter;
  }
  name += postfix;
}

element_map make_element_map(const TopoDS_Shape& result, long tag,
                             const std::vector<const element_map*>& inputs,
                             const shape_mapper* mapper, const std::string& op) {
  element_map map(result, tag);
  map_builder(map, inputs, mapper, op).run();
  return map;
}

element_map make_face_maker_map(const TopoDS_Shape& faces, const element_map& sketch) {
  element_map map(faces, 0);
  const indexed_shape& shape = map.shape();
  for (int k = vertex_kind; k <= edge_kind; ++k) {
    for (int i = 1; i <= shape.count(k); ++i) {
      const int at = sketch.shape().find(k, shape.element(k, i));
      if (at != 0 && sketch.named(k, at)) map.set_name(k, i, sketch.name(k, at));
    }
  }
  std::set<std::string> used;
  for (int i = 1; i <= shape.count(face_kind); ++i) {
    const TopoDS_Wire outer = BRepTools::OuterWire(TopoDS::Face(shape.element(face_kind, i)));
    if (outer.IsNull()) continue;
    std::set<std::string, by_name_order> edge_names;
    for (TopExp_Explorer x(outer, TopAbs_EDGE); x.More(); x.Next()) {
      const int index = shape.find(edge_kind, x.Current());
      if (index != 0 && map.named(edge_kind, index)) edge_names.insert(map.name(edge_kind, index));
    }
    if (edge_names.empty()) continue;
    // The names up to the first one no earlier face used: the first of them names the face, the
    // others are listed after the marker.
    std::vector<std::string> names;
    for (const std::string& edge_name : edge_names) {
      names.push_back(edge_name);
      if (used.insert(edge_name).second) break;
    }
    std::string postfix = ";:FAC";
    if (names.size() > 1) {
      postfix += '(';
      for (std::size_t n = 1; n < names.size(); ++n) {
        if (n > 1) postfix += '|';
        postfix += names[n];
      }
      postfix += ')';
    }
    std::string name = names.front();
    encode_name('F', name, postfix, std::string(), map.tag(), 0);
    map.set_name(face_kind, i, name);
  }
  return map;
}

}  // namespace tagtrack::scenarios::elementmap
