#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/internal/matchers.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

std::vector<FACE*> match_face(const MATCH_CONTEXT& ctx, const FACE_RECIPE& recipe,
                              match_explanation* why) {
  const tag_info& tags = recipe.tags();
  std::vector<FACE*> found = find_tag_candidates(tags, ctx, static_cast<FACE*>(nullptr));
  note_tags(why, tags, found, ctx);
  if (why != nullptr) {
    decide(why, match_stage::tags,
           tags.empty()          ? match_reason::face_no_tags
           : found.empty()       ? match_reason::face_tags_missing
           : why->tags.exact > 0 ? match_reason::face_exact_tags
                                 : match_reason::face_partial_tags);
  }
  return found;
}

std::vector<FACE*> faces_found(const MATCH_CONTEXT& ctx, const std::vector<FACE_RECIPE>& recipes,
                               std::size_t position, match_explanation* why) {
  if (why == nullptr) return match_face(ctx, recipes[position], nullptr);
  match_explanation inner;
  std::vector<FACE*> faces = match_face(ctx, recipes[position], &inner);
  why->faces.push_back({position, std::move(inner.tags), faces});
  return faces;
}

void FACE_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                         std::vector<ITrackable*>& results) {
  const auto* face_recipe = dynamic_cast<const FACE_RECIPE*>(recipe);
  if (face_recipe == nullptr) return;
  append_trackables<FACE_TRACKABLE>(match_face(ctx, *face_recipe, nullptr), results);
}

}  // namespace TPI_TAGGING_TRACKING
