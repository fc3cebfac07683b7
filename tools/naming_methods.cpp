#include "naming_methods.h"

#include <cstdlib>

#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/operations.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack_tool {

namespace {

TopAbs_ShapeEnum type_of(const std::string& kind) {
  return kind == "face" ? TopAbs_FACE : kind == "edge" ? TopAbs_EDGE : TopAbs_VERTEX;
}

// The entity's number among the sub-shapes of its kind of the feature's result.
class index_method final : public naming_method {
 public:
  const char* name() const override { return "index"; }
  void begin_build(const std::map<std::string, int>&) override { m_results.clear(); }
  void end_build() override {}
  bool feature_done(const std::string& id, int, const feature_run& run) override {
    m_results[id] = run.result;
    return true;
  }
  void remember(const scenario_reference& r, const TopoDS_Shape& entity) override {
    TopTools_IndexedMapOfShape all;
    TopExp::MapShapes(m_results.at(r.after), type_of(r.kind), all);
    m_index[r.name] = all.FindIndex(entity);
  }
  std::vector<TopoDS_Shape> resolve(const scenario_reference& r) override {
    TopTools_IndexedMapOfShape all;
    TopExp::MapShapes(m_results.at(r.after), type_of(r.kind), all);
    const int index = m_index[r.name];
    if (index < 1 || index > all.Extent()) return {};
    return {all(index)};
  }

 private:
  std::map<std::string, TopoDS_Shape> m_results;
  std::map<std::string, int> m_index;
};

// Tags and recipes: each feature tags the faces it makes, booleans and roundings run with the tag
// manager on, and a reference is its recipe's text.
class tagtrack_method final : public naming_method {
 public:
  tagtrack_method() {
    TPI_HISTORY::get_default(m_previous, false);
    TPI_HISTORY::get_default(m_stream, true);
    TPI_HISTORY::set_default(m_previous);
  }
  ~tagtrack_method() override {
    end_build();
    TPI_HISTORY::delete_stream(m_stream);
  }
  const char* name() const override { return "tagtrack"; }

  void begin_build(const std::map<std::string, int>& uses) override {
    end_build();
    TPI_HISTORY::set_default(m_stream);
    m_uses = uses;
  }

  void end_build() override {
    for (BODY* body : m_made) {
      if (body->alive()) TPI_MODEL::delete_body(body);
    }
    m_made.clear();
    m_bodies.clear();
    TT::activateTagManager(false);
    if (m_previous != nullptr) TPI_HISTORY::set_default(m_previous);
  }

  bool feature_done(const std::string& id, int number, const feature_run& run) override {
    BODY* body = nullptr;
    if (run.history.IsNull() && run.input_ids.empty()) {
      // A new solid: imported, each face tagged with its name.
      if (!TPI_OCCT::import_shape(run.result, body).ok()) return false;
      m_made.push_back(body);
    } else if (run.history.IsNull()) {
      // A target passed through.
      body = take(run.input_ids[0]);
    } else {
      std::vector<BODY*> inputs;
      for (const std::string& input : run.input_ids) inputs.push_back(take(input));
      // Seeding the C library's generator with the feature's number makes every regeneration
      // renumber duplicate tags the same way.
      std::srand(static_cast<unsigned>(number));
      TT::activateTagManager(true);
      const outcome carried = TPI_OCCT::apply_history(inputs, run.result, run.history);
      TT::manageDupicateTags();
      TT::activateTagManager(false);
      if (!carried.ok()) return false;
      body = inputs[0];
    }
    const TPI_OCCT::shape_entities entities(body);
    for (const auto& [face, name] : run.named_faces) {
      if (FACE* f = entities.face(face)) TT::tag_entity(TPK::as_entity(f), name, number);
    }
    m_bodies[id] = body;
    return true;
  }

  void remember(const scenario_reference& r, const TopoDS_Shape& entity) override {
    const TPI_OCCT::shape_entities entities(m_bodies.at(r.after));
    TT::recipe_ptr recipe;
    if (r.kind == "face") {
      recipe = TT::make_recipe(TT::FACE_TRACKABLE(entities.face(entity)));
    } else if (r.kind == "edge") {
      recipe = TT::make_recipe(TT::EDGE_TRACKABLE(entities.edge(entity)));
    } else {
      recipe = TT::make_recipe(TT::VERTEX_TRACKABLE(entities.vertex(entity)));
    }
    m_texts[r.name] = recipe == nullptr ? std::string() : TT::recipe_text(recipe.get());
  }

  std::vector<TopoDS_Shape> resolve(const scenario_reference& r) override {
    std::vector<TopoDS_Shape> found;
    TT::recipe_ptr recipe = TT::read_recipe(m_texts[r.name]);
    if (recipe == nullptr) return found;
    const TT::match_results matches = TT::find_matches(recipe.get(), {m_bodies.at(r.after)});
    for (FACE* f : matches.faces()) found.push_back(TPI_OCCT::face_shape(f));
    for (EDGE* e : matches.edges()) found.push_back(TPI_OCCT::edge_shape(e));
    for (VERTEX* v : matches.vertices()) found.push_back(TPI_OCCT::vertex_shape(v));
    return found;
  }

 private:
  // The body of a feature's result for a feature that uses it: the body itself at its last use,
  // a copy before.
  BODY* take(const std::string& id) {
    BODY* body = m_bodies.at(id);
    if (--m_uses[id] <= 0) return body;
    BODY* copy = nullptr;
    TPI_MODEL::copy_body(body, copy);
    m_made.push_back(copy);
    return copy;
  }

  HISTORY_STREAM* m_previous = nullptr;
  HISTORY_STREAM* m_stream = nullptr;
  std::map<std::string, int> m_uses;
  std::map<std::string, BODY*> m_bodies;
  std::vector<BODY*> m_made;
  std::map<std::string, std::string> m_texts;
};

}  // namespace

std::unique_ptr<naming_method> make_tagtrack_method() {
  return std::make_unique<tagtrack_method>();
}

std::unique_ptr<naming_method> make_index_method() {
  return std::make_unique<index_method>();
}

}  // namespace tagtrack_tool
