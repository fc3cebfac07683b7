// How a feature history names what its features make, remembers a reference and finds it again.
// The history runs the features; a naming scheme follows each feature's result and history, keeps
// what a reference needs, and resolves it right after the feature it was taken after, in every
// regeneration. The library's own scheme is tags and recipes (tagging_scheme.h); the scenario
// runner puts other ways of naming beside it through the same interface.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include <tagtrack/features/entity_pick.h>
#include <tagtrack/features/feature.h>
#include <tagtrack/features/feature_build.h>
#include <tagtrack/features/features_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/matching/match_explanation.h>

namespace tagtrack {

// A face, edge or vertex of the result of feature `after`, remembered under `name`.
struct reference {
  std::string name, after;
  entity_type type = entity_type::face;
};

// What a reference resolved to in the last regeneration.
struct resolution {
  // resolved: one entity; ambiguous: several, among which the application (or its user) chooses;
  // lost: none, and the reference is broken.
  TPI_TAGGING_TRACKING::match_verdict verdict = TPI_TAGGING_TRACKING::match_verdict::lost;
  // The sub-shapes found, of the `after` feature's result; the history keeps each once
  // (TopoDS_Shape::IsSame) and sets the verdict by their count.
  std::vector<TopoDS_Shape> entities;
  // Why, in one sentence: the matcher's reason, or why nothing could be resolved (the feature
  // failed, the reference was never remembered).
  std::string reason;
  // False when the `after` feature did not run in the last regeneration.
  bool feature_ran = false;
  double time_us = 0;  // the time the scheme took to resolve it, measured by the history
};

class TAGTRACK_FEATURES_EXPORT naming_scheme {
 public:
  virtual ~naming_scheme();
  // "tagtrack" for tags and recipes; another word for each other scheme.
  virtual const char* name() const = 0;

  // A regeneration of `features` starts at position `first` (0: from scratch); the features before
  // it are those of the last regeneration, unchanged, with their results. Gives the position the
  // scheme can start from, at most `first` (0 always works).
  virtual std::size_t begin(const std::vector<feature>& features, std::size_t first) = 0;
  // Feature `position` ran (its number in the history is position + 1). A failure makes the
  // feature count as failed: the scheme cannot follow it.
  virtual outcome feature_done(std::size_t position, const feature& f, const feature_run& run) = 0;
  // Feature `position` did not run.
  virtual void feature_failed(std::size_t position);
  // The regeneration ended.
  virtual void end();

  // Keeps what resolving `r` needs; `entity` is a sub-shape of the result of feature `position`
  // (r.after) in the last regeneration. Called right after that feature ran, or at any time after
  // the regeneration.
  virtual outcome remember(const reference& r, std::size_t position,
                           const TopoDS_Shape& entity) = 0;
  // The entities found for `r`; called right after feature `position` (r.after) ran in a
  // regeneration.
  virtual resolution resolve(const reference& r, std::size_t position) = 0;
  // Whether the scheme keeps something for `name`.
  virtual bool remembers(const std::string& name) const = 0;
  // What a document keeps of a remembered reference, as text (empty when the scheme has no text
  // form), and the reference restored from that text.
  virtual std::string saved_text(const std::string& name) const;
  virtual outcome restore(const reference& r, const std::string& text);
};

}  // namespace tagtrack
