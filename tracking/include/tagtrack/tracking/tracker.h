// Trackers make the recipe of one kind of entity (track) and find the entities of the current model
// that a recipe names (match). They are stateless: one can serve any number of calls.
//   track   writes a new recipe, owned by the caller, into `recipe`; it never reads or frees what
//           `recipe` held;
//   match   appends new trackables, owned by the caller, to `results`.
#pragma once

#include <vector>

#include <tagtrack/tagtrack_export.h>
#include <tagtrack/tracking/track_context.h>
#include <tagtrack/tracking/trackable.h>

namespace TPI_TAGGING_TRACKING {

class IRecipe;
class MATCH_CONTEXT;

class TAGTRACK_EXPORT ITracker {
 public:
  ITracker() = default;
  ITracker(const ITracker&) = default;
  ITracker& operator=(const ITracker&) = default;
  virtual ~ITracker();
  virtual void track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) = 0;
  virtual void match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                     std::vector<ITrackable*>& results) = 0;
};

// Each tracker expects the trackable of its own kind and reads its entity without a class check.
class TAGTRACK_EXPORT FACE_TRACKER : public ITracker {
 public:
  void track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) override;
  void match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
             std::vector<ITrackable*>& results) override;
};

class TAGTRACK_EXPORT EDGE_TRACKER : public ITracker {
 public:
  void track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) override;
  void match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
             std::vector<ITrackable*>& results) override;
};

class TAGTRACK_EXPORT VERTEX_TRACKER : public ITracker {
 public:
  void track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) override;
  void match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
             std::vector<ITrackable*>& results) override;
};

// A tracker that does nothing: track writes nothing, match appends nothing.
class TAGTRACK_EXPORT TPI_TRACKER : public ITracker {
 public:
  void track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) override;
  void match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
             std::vector<ITrackable*>& results) override;
};

}  // namespace TPI_TAGGING_TRACKING
