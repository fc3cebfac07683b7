#include <cstdlib>
#include <map>
#include <utility>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepTools_History.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pln.hxx>

#include <tagtrack/features/segment_numbers.h>
#include <tagtrack/scenario_runner/peer_schemes.h>

#include "elementmap_naming.h"

namespace tagtrack::scenarios {

namespace {

using elementmap::edge_kind;
using elementmap::element_map;
using elementmap::encode_name;
using elementmap::face_kind;
using elementmap::kind_count;
using elementmap::kind_word;
using elementmap::make_element_map;
using elementmap::shape_mapper;
using elementmap::vertex_kind;

constexpr char kind_letters[kind_count] = {'V', 'E', 'F'};

int kind_of(entity_type type) {
  switch (type) {
    case entity_type::vertex:
      return vertex_kind;
    case entity_type::edge:
      return edge_kind;
    case entity_type::face:
      break;
  }
  return face_kind;
}

// What an operation's history says became of its inputs' elements.
class history_mapper final : public shape_mapper {
 public:
  explicit history_mapper(Handle(BRepTools_History) history) : m_history(std::move(history)) {}
  std::vector<TopoDS_Shape> modified(const TopoDS_Shape& element) const override {
    return listed(m_history->Modified(element));
  }
  std::vector<TopoDS_Shape> generated(const TopoDS_Shape& element) const override {
    return listed(m_history->Generated(element));
  }

 private:
  static std::vector<TopoDS_Shape> listed(const TopTools_ListOfShape& shapes) {
    return std::vector<TopoDS_Shape>(shapes.begin(), shapes.end());
  }
  Handle(BRepTools_History) m_history;
};

// What a sweep generated from its profile's elements, as its builder reports it: each profile edge
// the faces it raised, each profile vertex the edges it drew, the profile face the whole solid.
class sweep_mapper final : public shape_mapper {
 public:
  void add(const TopoDS_Shape& from, const TopoDS_Shape& made) {
    // Adjacency lists an element once per use (a seam twice): the builder reports it once.
    for (auto& entry : m_generated) {
      if (!entry.first.IsSame(from)) continue;
      for (const TopoDS_Shape& listed : entry.second) {
        if (listed.IsSame(made)) return;
      }
      entry.second.push_back(made);
      return;
    }
    m_generated.push_back({from, {made}});
  }
  std::vector<TopoDS_Shape> modified(const TopoDS_Shape&) const override { return {}; }
  std::vector<TopoDS_Shape> generated(const TopoDS_Shape& element) const override {
    for (const auto& entry : m_generated) {
      if (entry.first.IsSame(element)) return entry.second;
    }
    return {};
  }

 private:
  std::vector<std::pair<TopoDS_Shape, std::vector<TopoDS_Shape>>> m_generated;
};

// FreeCAD's op code for what the feature's maker does.
const char* op_code(const feature& f) {
  struct codes {
    const char* operator()(const prism&) const { return "XTR"; }
    const char* operator()(const revolve&) const { return "RVL"; }
    const char* operator()(const fillet&) const { return "FLT"; }
    const char* operator()(const chamfer&) const { return "CHF"; }
    const char* operator()(const unify&) const { return "RFI"; }
    const char* operator()(const mirror&) const { return "MIR"; }
    const char* operator()(const shell&) const { return "THK"; }
    const char* operator()(const draft&) const { return "DFT"; }
    const char* operator()(const pattern&) const { return "FUS"; }
    const char* operator()(const boolean& b) const {
      return b.kind == boolean_kind::fuse ? "FUS" : b.kind == boolean_kind::cut ? "CUT" : "CMN";
    }
    const char* operator()(const box&) const { return ""; }
    const char* operator()(const cylinder&) const { return ""; }
    const char* operator()(const move&) const { return ""; }
    const char* operator()(const pass_through&) const { return ""; }
  };
  return std::visit(codes{}, f.parameters);
}

gp_Pnt at(const point3& p) {
  return {p.x, p.y, p.z};
}

bool lies_on(const gp_Pnt& point, const TopoDS_Shape& shape) {
  BRepExtrema_DistShapeShape d(shape, BRepBuilderAPI_MakeVertex(point).Vertex());
  return d.IsDone() && d.Value() < 1e-6;
}

bool same_point(const TopoDS_Shape& vertex, const gp_Pnt& point) {
  return BRep_Tool::Pnt(TopoDS::Vertex(vertex)).Distance(point) < 1e-6;
}

// A sweep's profile, found in its result: the edge of each segment where the profile lies (a
// prism's bottom, a partial revolve's start cap, a full revolve's seams), with its start vertex.
// A segment the result keeps no edge of (a full revolve raises a disc on a segment square to the
// axis without a seam) is drawn on the result's vertices, as the sketch has it.
struct found_profile {
  TopoDS_Compound edges;  // the segments' edges in segment order
  std::vector<std::pair<TopoDS_Shape, int>> segment_edges, segment_starts;  // with the segment
  std::vector<gp_Pnt> inner_points;  // per segment, a point inside it
};

// The result's vertex at `point`, or a new one.
TopoDS_Vertex vertex_at(const TopTools_IndexedMapOfShape& vertices, const gp_Pnt& point) {
  for (int i = 1; i <= vertices.Extent(); ++i) {
    if (same_point(vertices(i), point)) return TopoDS::Vertex(vertices(i));
  }
  return BRepBuilderAPI_MakeVertex(point).Vertex();
}

found_profile find_profile(const std::vector<point3>& points, const profile_arcs& arcs,
                           const TopoDS_Shape& result, const TopoDS_Shape& profile_face) {
  // The profile's points lie in the plane of its face; a prism sketched on a face had them
  // projected there.
  gp_Pln plane;
  bool planar = false;
  if (!profile_face.IsNull()) {
    const GeomAdaptor_Surface surface(BRep_Tool::Surface(TopoDS::Face(profile_face)));
    planar = surface.GetType() == GeomAbs_Plane;
    if (planar) plane = surface.Plane();
  }
  const auto place = [&](const point3& p) {
    gp_Pnt q = at(p);
    if (planar) {
      const gp_Vec axis(plane.Axis().Direction());
      q.Translate(-gp_Vec(plane.Location(), q).Dot(axis) * axis);
    }
    return q;
  };
  found_profile found;
  BRep_Builder builder;
  builder.MakeCompound(found.edges);
  TopTools_IndexedMapOfShape edges, vertices;
  TopExp::MapShapes(profile_face.IsNull() ? result : profile_face, TopAbs_EDGE, edges);
  TopExp::MapShapes(result, TopAbs_VERTEX, vertices);
  const std::size_t n = points.size();
  for (std::size_t k = 0; k < n; ++k) {
    const gp_Pnt start = place(points[k]), end = place(points[(k + 1) % n]);
    const auto arc = arcs.find(k);
    const gp_Pnt inner =
        arc != arcs.end() ? place(arc->second) : gp_Pnt((start.XYZ() + end.XYZ()) / 2);
    found.inner_points.push_back(inner);
    const std::size_t before = found.segment_edges.size();
    for (int i = 1; i <= edges.Extent(); ++i) {
      const TopoDS_Edge& edge = TopoDS::Edge(edges(i));
      const TopoDS_Vertex first = TopExp::FirstVertex(edge), last = TopExp::LastVertex(edge);
      if (first.IsNull() || last.IsNull()) continue;
      const bool ends = (same_point(first, start) && same_point(last, end)) ||
                        (same_point(first, end) && same_point(last, start));
      if (!ends || !lies_on(inner, edge)) continue;
      builder.Add(found.edges, edge);
      found.segment_edges.emplace_back(edge, static_cast<int>(k));
      found.segment_starts.emplace_back(same_point(first, start) ? first : last,
                                        static_cast<int>(k));
      break;
    }
    if (found.segment_edges.size() != before) continue;
    const TopoDS_Vertex from = vertex_at(vertices, start), to = vertex_at(vertices, end);
    TopoDS_Edge drawn;
    if (arc != arcs.end()) {
      GC_MakeArcOfCircle circle(start, inner, end);
      if (circle.IsDone()) {
        BRepBuilderAPI_MakeEdge made(circle.Value(), from, to);
        if (made.IsDone()) drawn = made.Edge();
      }
    } else {
      BRepBuilderAPI_MakeEdge made(from, to);
      if (made.IsDone()) drawn = made.Edge();
    }
    if (drawn.IsNull()) continue;
    builder.Add(found.edges, drawn);
    found.segment_edges.emplace_back(drawn, static_cast<int>(k));
    found.segment_starts.emplace_back(from, static_cast<int>(k));
  }
  return found;
}

// The elementmap scheme: each feature's result gets an element map; a reference keeps the mapped
// name of its entity (and its plain name, "Face3") and finds it again by that exact name in the
// map of the regenerated feature's result.
class elementmap_scheme final : public naming_scheme {
 public:
  const char* name() const override { return "elementmap"; }

  std::size_t begin(const std::vector<feature>& features, std::size_t first) override {
    // The features before `first` keep their results, hence their maps.
    m_ids.clear();
    for (std::size_t i = 0; i < features.size(); ++i) {
      m_ids.push_back(features[i].id);
      if (i >= first) m_maps.erase(features[i].id);
      // Every profile is numbered after its last numbering, in every regeneration, as the feature
      // history numbers it, so that each segment gets the persistent number the side it raised
      // carries in its role; a segment that raises no side (one on a revolve's axis) gets its
      // number too.
      const std::vector<point3>* points = profile_points(features[i]);
      if (points == nullptr) continue;
      const auto known = m_sketches.find(features[i].id);
      m_sketches[features[i].id] =
          number_segments(*points, known == m_sketches.end() ? nullptr : &known->second);
    }
    return first;
  }

  outcome feature_done(std::size_t, const feature& f, const feature_run& run) override {
    try {
      std::vector<const element_map*> inputs;
      for (const std::string& id : run.input_ids) {
        const auto found = m_maps.find(id);
        if (found == m_maps.end()) return outcome::failure("input '" + id + "' has no element map");
        inputs.push_back(&found->second);
      }
      m_maps[f.id] = map_feature(f, run, inputs);
      return outcome();
    } catch (const Standard_Failure& failure) {
      return outcome::failure(std::string("the element map failed: ") + failure.GetMessageString());
    }
  }

  void feature_failed(std::size_t position) override {
    if (position < m_ids.size()) m_maps.erase(m_ids[position]);
  }

  outcome remember(const reference& r, std::size_t, const TopoDS_Shape& entity) override {
    remembered kept;
    const auto map = m_maps.find(r.after);
    if (map != m_maps.end()) {
      const int k = kind_of(r.type);
      const int index = map->second.shape().find(k, entity);
      if (index != 0) {
        kept.mapped = map->second.name(k, index);
        kept.plain = kind_word(k) + std::to_string(index);
      }
    }
    m_remembered[r.name] = kept;
    return outcome();
  }

  resolution resolve(const reference& r, std::size_t) override {
    resolution found;
    const auto kept = m_remembered.find(r.name);
    const auto map = m_maps.find(r.after);
    if (kept == m_remembered.end() || map == m_maps.end()) {
      found.reason = "the feature has no element map";
      return found;
    }
    const int k = kind_of(r.type);
    if (kept->second.mapped.empty()) {
      // An element the map left unnamed is referred to by its plain name, as FreeCAD does.
      const std::string word = kind_word(k);
      const int index =
          kept->second.plain.empty() ? 0 : std::atoi(kept->second.plain.c_str() + word.size());
      if (index >= 1 && index <= map->second.shape().count(k)) {
        found.entities.push_back(map->second.shape().element(k, index));
        found.reason = "found by its plain name " + kept->second.plain;
      } else {
        found.reason = "the element had no mapped name";
      }
      return found;
    }
    const elementmap::element_ref element = map->second.find(kept->second.mapped);
    if (element.index == 0 || element.kind != k) {
      found.reason = "no element of the feature's map has the mapped name";
      return found;
    }
    found.entities.push_back(map->second.shape().element(k, element.index));
    found.reason = "found by its mapped name";
    return found;
  }

  bool remembers(const std::string& name) const override { return m_remembered.count(name) != 0; }

  // FreeCAD's form of a sub-element reference: ";<mapped name>.<plain name>".
  std::string saved_text(const std::string& name) const override {
    const auto kept = m_remembered.find(name);
    if (kept == m_remembered.end()) return std::string();
    return ";" + kept->second.mapped + "." + kept->second.plain;
  }

  outcome restore(const reference& r, const std::string& text) override {
    const std::size_t dot = text.rfind('.');
    if (text.empty() || text[0] != ';' || dot == std::string::npos) {
      return outcome::failure("not an element reference: " + text);
    }
    m_remembered[r.name] = remembered{text.substr(1, dot - 1), text.substr(dot + 1)};
    return outcome();
  }

  std::vector<std::string> names_of(const std::string& id) const {
    const auto map = m_maps.find(id);
    return map == m_maps.end() ? std::vector<std::string>() : map->second.names();
  }

 private:
  struct remembered {
    std::string mapped, plain;
  };

  // A feature's tag, as FreeCAD's object ids: given once, in the order features first appear,
  // and kept while the feature is in the history.
  long tag_of(const std::string& key) {
    const auto at = m_tags.find(key);
    if (at != m_tags.end()) return at->second;
    const long tag = static_cast<long>(m_tags.size()) + 1;
    m_tags.emplace(key, tag);
    return tag;
  }

  element_map map_feature(const feature& f, const feature_run& run,
                          const std::vector<const element_map*>& inputs) {
    if (std::holds_alternative<box>(f.parameters) ||
        std::holds_alternative<cylinder>(f.parameters)) {
      return primitive_map(run.result, tag_of(f.id));
    }
    if (const auto* p = std::get_if<prism>(&f.parameters)) {
      return sweep_map(f, run, p->polygon, p->through, "bottom");
    }
    if (const auto* r = std::get_if<revolve>(&f.parameters)) {
      return sweep_map(f, run, r->polygon, r->through, "start");
    }
    const long tag = tag_of(f.id);
    if (std::holds_alternative<pattern>(f.parameters)) return pattern_map(run, tag, inputs);
    if (std::holds_alternative<move>(f.parameters)) return moved_map(run, tag, inputs);
    Handle(BRepTools_History) history = run.history;
    // A mirror's result is its one placed copy.
    if (history.IsNull() && !run.copies.empty()) history = run.copies[0].history;
    if (history.IsNull()) return make_element_map(run.result, tag, inputs, nullptr, op_code(f));
    const history_mapper mapper(history);
    return make_element_map(run.result, tag, inputs, &mapper, op_code(f));
  }

  // A fresh primitive names its elements as FreeCAD's primitive features do: Face1..., Edge1...,
  // Vertex1... in TopExp::MapShapes order.
  static element_map primitive_map(const TopoDS_Shape& result, long tag) {
    element_map map(result, tag);
    for (int k = 0; k < kind_count; ++k) {
      for (int i = 1; i <= map.shape().count(k); ++i) {
        map.set_name(k, i, kind_word(k) + std::to_string(i));
      }
    }
    return map;
  }

  // A prism or revolve, as FreeCAD pads or revolves a sketch: the sketch names its elements, a face
  // is made on them, and the sweep names its result from the face and what it generated.
  element_map sweep_map(const feature& f, const feature_run& run, const std::vector<point3>& points,
                        const profile_arcs& arcs, const char* profile_role) {
    // The sketch is an object of its own, made before the feature.
    const long sketch_tag = tag_of(f.id + "\n sketch");
    const long tag = tag_of(f.id);
    TopoDS_Shape profile_face;
    for (const auto& [face, role] : run.made_faces) {
      if (role == profile_role) profile_face = face;
    }
    const found_profile profile = find_profile(points, arcs, run.result, profile_face);
    // A sketch names its elements by their geometry's persistent id, not by the geometry's
    // position: the edge of geometry <id> is "g<id>", its start point "g<id>v1" (FreeCAD's
    // SketchObject::convertSubName). A geometry keeps its id through every edit of its dimensions
    // and a new geometry gets a new one. Our profiles are point lists with no ids of their own;
    // the persistent number n the features library gives each segment from one profile to the
    // next (kept by a segment that persists, new for a new one) stands in for the id, as n + 1
    // (ids count from 1).
    const auto numbered = m_sketches.find(f.id);
    const std::vector<int> no_numbers;
    const std::vector<int>& numbers =
        numbered == m_sketches.end() ? no_numbers : numbered->second.numbers;
    element_map sketch(profile.edges, sketch_tag);
    const auto name_sketch = [&sketch, &numbers](int k, const TopoDS_Shape& element, int segment) {
      const auto at = static_cast<std::size_t>(segment);
      std::string name = "g" + std::to_string((at < numbers.size() ? numbers[at] : segment) + 1);
      if (k == vertex_kind) name += "v1";
      encode_name(kind_letters[k], name, std::string(), "SKT", sketch.tag(), 0);
      sketch.set_name(k, sketch.shape().find(k, element), name);
    };
    for (const auto& [edge, segment] : profile.segment_edges) name_sketch(edge_kind, edge, segment);
    for (const auto& [vertex, segment] : profile.segment_starts) {
      name_sketch(vertex_kind, vertex, segment);
    }
    // The face on the sketch is made by a face maker that has no tag of its own; a full revolve
    // keeps no face of its profile, only its edges.
    const element_map face = profile_face.IsNull()
                                 ? make_element_map(profile.edges, 0, {&sketch}, nullptr, "FAC")
                                 : make_face_maker_map(profile_face, sketch);
    sweep_mapper mapper;
    TopTools_IndexedDataMapOfShapeListOfShape faces_of_edge, edges_of_vertex;
    TopExp::MapShapesAndAncestors(run.result, TopAbs_EDGE, TopAbs_FACE, faces_of_edge);
    TopExp::MapShapesAndAncestors(run.result, TopAbs_VERTEX, TopAbs_EDGE, edges_of_vertex);
    TopTools_IndexedMapOfShape profile_edges;
    TopExp::MapShapes(profile.edges, TopAbs_EDGE, profile_edges);
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(run.result, TopAbs_FACE, faces);
    for (const auto& [edge, segment] : profile.segment_edges) {
      if (faces_of_edge.Contains(edge)) {
        for (const TopoDS_Shape& side : faces_of_edge.FindFromKey(edge)) {
          if (!side.IsSame(profile_face)) mapper.add(edge, side);
        }
        continue;
      }
      // A drawn segment raised the face its points lie on.
      for (int i = 1; i <= faces.Extent(); ++i) {
        const gp_Pnt& inner = profile.inner_points[static_cast<std::size_t>(segment)];
        if (!faces(i).IsSame(profile_face) && lies_on(inner, faces(i))) mapper.add(edge, faces(i));
      }
    }
    for (const auto& [vertex, segment] : profile.segment_starts) {
      if (!edges_of_vertex.Contains(vertex)) continue;
      for (const TopoDS_Shape& drawn : edges_of_vertex.FindFromKey(vertex)) {
        if (!profile_edges.Contains(drawn)) mapper.add(vertex, drawn);
      }
    }
    if (!profile_face.IsNull()) {
      for (TopExp_Explorer x(run.result, TopAbs_SOLID); x.More(); x.Next()) {
        mapper.add(profile_face, x.Current());
      }
    }
    return make_element_map(run.result, tag, {&face}, &mapper, op_code(f));
  }

  // A pattern, as FreeCAD's transformed features make one: copy k of the target keeps the target's
  // names with the copy's index suffix ("" for the first copy, "_k" after it), and the copies are
  // fused with the target.
  static element_map pattern_map(const feature_run& run, long tag,
                                 const std::vector<const element_map*>& inputs) {
    const element_map& target = *inputs.at(0);
    std::vector<element_map> copies;
    copies.reserve(run.copies.size());
    for (const placed_copy& placed : run.copies) {
      copies.emplace_back(placed.shape, target.tag());
      element_map& copy = copies.back();
      const std::string suffix = placed.index < 2 ? "" : "_" + std::to_string(placed.index);
      for (int k = 0; k < kind_count; ++k) {
        for (int i = 1; i <= target.shape().count(k); ++i) {
          if (!target.named(k, i)) continue;
          for (const TopoDS_Shape& image : placed.history->Modified(target.shape().element(k, i))) {
            std::string name = target.name(k, i);
            encode_name(kind_letters[k], name, std::string(), suffix, target.tag(), 0);
            copy.set_name(k, copy.shape().find(k, image), name);
          }
        }
      }
    }
    std::vector<const element_map*> fused{&target};
    for (const element_map& copy : copies) fused.push_back(&copy);
    if (run.history.IsNull()) return make_element_map(run.result, tag, fused, nullptr, "FUS");
    const history_mapper mapper(run.history);
    return make_element_map(run.result, tag, fused, &mapper, "FUS");
  }

  // A rigid move, as FreeCAD transforms a shape without copying it: each element keeps its
  // name, with the target's tag.
  static element_map moved_map(const feature_run& run, long tag,
                               const std::vector<const element_map*>& inputs) {
    const element_map& target = *inputs.at(0);
    element_map map(run.result, tag);
    for (int k = 0; k < kind_count; ++k) {
      if (map.shape().count(k) != target.shape().count(k)) {
        const history_mapper mapper(run.history);
        return make_element_map(run.result, tag, inputs, &mapper, "");
      }
    }
    for (int k = 0; k < kind_count; ++k) {
      for (int i = 1; i <= target.shape().count(k); ++i) {
        if (!target.named(k, i)) continue;
        std::string name = target.name(k, i);
        encode_name(kind_letters[k], name, std::string(), std::string(), tag, target.tag());
        map.set_name(k, i, name);
      }
    }
    return map;
  }

  std::vector<std::string> m_ids;
  std::map<std::string, numbered_polygon> m_sketches;  // each profile's last numbering, by feature
  std::map<std::string, long> m_tags;
  std::map<std::string, element_map> m_maps;
  std::map<std::string, remembered> m_remembered;
};

}  // namespace

std::unique_ptr<naming_scheme> make_elementmap_scheme() {
  return std::make_unique<elementmap_scheme>();
}

std::vector<std::string> element_map_names(const naming_scheme& scheme, const std::string& id) {
  const auto* elementmap = dynamic_cast<const elementmap_scheme*>(&scheme);
  return elementmap == nullptr ? std::vector<std::string>() : elementmap->names_of(id);
}

}  // namespace tagtrack::scenarios
