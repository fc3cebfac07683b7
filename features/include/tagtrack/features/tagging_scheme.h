// The library's naming scheme: tags on the faces of each feature's result and recipes that find a
// face, edge or vertex again. docs/tagging_scheme.md tells it for application developers who write
// features of their own on it. In short:
//   - every face a feature makes is tagged with the primary id "<feature id>.<role>" (its role in
//     the feature: "top", "side3", the fillet face "<edge reference name>") and the feature's
//     number as operation id: the number its id got when it first appeared in the history (1, 2,
//     ... in order of appearance), kept when features are inserted before it;
//   - a feature that changes earlier results (a boolean, fillet, chamfer, unification) carries
//     their tagged faces, edges and vertices over to its result with the tag manager on
//     (tag_manager_scope, seeded with the feature's number), so that the pieces of a split face
//     get secondary ids of their own, the same ones in every regeneration;
//   - a reference is the recipe of its entity right after its feature, kept as text.
// Bodies live in a history stream of the scheme's own, with a state noted after every feature: a
// regeneration from a later feature rolls back to the state before it, and a reference is
// remembered after the fact in the state right after its feature.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <tagtrack/features/features_export.h>
#include <tagtrack/features/naming_scheme.h>
#include <tagtrack/kernel/boundary/handles.h>

namespace tagtrack {

class TAGTRACK_FEATURES_EXPORT tagging_scheme final : public naming_scheme {
 public:
  tagging_scheme();
  ~tagging_scheme() override;
  tagging_scheme(const tagging_scheme&) = delete;
  tagging_scheme& operator=(const tagging_scheme&) = delete;

  const char* name() const override { return "tagtrack"; }
  std::size_t begin(const std::vector<feature>& features, std::size_t first) override;
  outcome feature_done(std::size_t position, const feature& f, const feature_run& run) override;
  void feature_failed(std::size_t position) override;
  void end() override;
  outcome remember(const reference& r, std::size_t position, const TopoDS_Shape& entity) override;
  resolution resolve(const reference& r, std::size_t position) override;
  bool remembers(const std::string& name) const override;
  std::string saved_text(const std::string& name) const override;
  outcome restore(const reference& r, const std::string& text) override;

  // The features' numbers by id, for a document to keep beside its recipes, and the numbers taken
  // back from it before the first regeneration (a history that starts anew numbers its features
  // in order). Restoring fails for a number below 1, the largest int, or one given twice.
  std::map<std::string, int> feature_numbers() const;
  outcome restore_feature_numbers(const std::map<std::string, int>& numbers);

  // The body of feature `position`'s result as it stood right after the feature, valid until the
  // next regeneration (null when it did not run). It is live only in that state: later features
  // may have changed or consumed it since.
  BODY* body(std::size_t position) const;
  // The last feature's body, live after a regeneration (null when it did not run).
  BODY* last_body() const;

 private:
  struct state;
  std::unique_ptr<state> m;
};

}  // namespace tagtrack
