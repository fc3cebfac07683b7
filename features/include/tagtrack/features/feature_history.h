// A part's feature history, as an application keeps it: an ordered list of features it edits
// (change a feature, insert one before another, remove one), regenerated into Open CASCADE
// shapes, and references to faces, edges and vertices of its features' results that find their
// entity again in every regeneration.
//
// Regeneration is deterministic: the same history gives the same tags, ids and recipe texts in
// every regeneration and every process. It starts from the first feature that changed since the
// last one (or from scratch when asked); a feature fails when Open CASCADE fails, a feature it
// uses failed, or a reference it consumes did not resolve to exactly one entity, and the features
// after it go on. Every reference is resolved right after its feature, through a tag index the
// naming scheme builds itself, and the features that consume it use what it resolved to.
//
//   tagtrack::feature_history part;
//   part.add({"block", tagtrack::box{{0, 0, 0}, {10, 10, 2}}});
//   part.regenerate();
//   part.remember("top_edge", "block", picked_edge);   // a sub-shape of part.result("block")
//   part.add({"round", tagtrack::fillet{"block", {"top_edge"}, 0.5}});
//   part.regenerate();                                  // the fillet consumes the reference
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include <tagtrack/features/feature.h>
#include <tagtrack/features/features_export.h>
#include <tagtrack/features/naming_scheme.h>
#include <tagtrack/features/segment_numbers.h>
#include <tagtrack/kernel/outcome.h>

namespace tagtrack {

class TAGTRACK_FEATURES_EXPORT feature_history {
 public:
  // Names with the library's tags and recipes (tagging_scheme), or with the scheme given.
  feature_history();
  explicit feature_history(std::unique_ptr<naming_scheme> scheme);
  ~feature_history();
  feature_history(const feature_history&) = delete;
  feature_history& operator=(const feature_history&) = delete;

  // Edits. Each changes the list only where it succeeds; the list as a whole (ids unique, inputs
  // earlier) is checked when it is regenerated, so an insert may come before the change that uses
  // it. A removed fillet, chamfer or unification passes its target's result through under its id.
  outcome add(feature f);
  outcome insert_before(const std::string& before, feature f);
  outcome set(feature f);  // replaces the feature with f's id
  outcome remove(const std::string& id);
  const std::vector<feature>& features() const { return m_features; }
  const feature* find(const std::string& id) const;

  // Regenerates; fails only when the list is not valid (with the reason, nothing changed). Each
  // feature's own failure is told by failure(id). `after_feature`, when given, is called right
  // after each feature ran and its references resolved, with its id: a reference may then be
  // remembered on that feature's result.
  enum class from { first_change, scratch };
  outcome regenerate(from start = from::first_change,
                     const std::function<void(const std::string& id)>& after_feature = {});

  // The result of a feature in the last regeneration: null when it failed or never ran.
  TopoDS_Shape result(const std::string& id) const;
  // Why it failed in the last regeneration; empty when it ran.
  std::string failure(const std::string& id) const;
  // The position the last regeneration started from: the features before it kept their results.
  std::size_t regenerated_from() const { return m_run_from; }

  // References. remember() keeps `entity`, a face, edge or vertex of result(after), under `name`
  // (replacing what the name held); at once after a regeneration, or within after_feature for the
  // feature just run. restore() takes it back from its saved text (saved_text) in a document.
  outcome remember(const std::string& name, const std::string& after, const TopoDS_Shape& entity);
  outcome restore(const std::string& name, const std::string& after, entity_type type,
                  const std::string& text);
  std::string saved_text(const std::string& name) const;
  const std::vector<reference>& references() const { return m_references; }
  // What the reference resolved to in the last regeneration (or, remembered since, to itself).
  resolution resolved(const std::string& name) const;

  naming_scheme& scheme() { return *m_scheme; }

 private:
  struct built {
    TopoDS_Shape result;
    std::string failure;
  };
  void mark_changed(const std::string& id);

  std::unique_ptr<naming_scheme> m_scheme;
  std::vector<feature> m_features;
  std::vector<feature> m_built_features;  // as the last regeneration ran them
  std::size_t m_first_change = 0;         // positions before it are as last regenerated
  std::size_t m_run_from = 0;
  std::map<std::string, built> m_built;
  std::vector<reference> m_references;
  std::map<std::string, resolution> m_resolved;
  // Each prism's sketch as last numbered, and the numbers the last regeneration ran with.
  std::map<std::string, numbered_polygon> m_sketches;
  std::vector<std::vector<int>> m_built_numbers;
  bool m_regenerating = false;
};

}  // namespace tagtrack
