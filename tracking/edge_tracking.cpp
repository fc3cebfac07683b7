#include <memory>
#include <vector>

#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/internal/checked_cast.h>
#include <tagtrack/tracking/internal/entity_lookup.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

void EDGE_TRACKER::track(const TRACK_CONTEXT& ctx, const ITrackable* trackable, IRecipe*& recipe) {
  if (trackable == nullptr) return;
  EDGE* edge = const_cast<EDGE*>(checked_cast<const EDGE_TRACKABLE*>(trackable)->GetEdgePtr());
  if (edge == nullptr) return;

  tag_info own;
  if (const tag_info* tags = find_entity_tag_info(TPK::as_entity(edge))) own = *tags;

  std::vector<FACE*> faces;
  collect_faces(TPK::as_entity(edge), faces);
  std::vector<FACE_RECIPE> face_recipes;
  face_recipes.reserve(faces.size());
  for (FACE* face : faces) {
    if (const tag_info* tags = find_entity_tag_info(TPK::as_entity(face)))
      face_recipes.emplace_back(*tags);
  }

  std::vector<VERTEX*> vertices;
  collect_vertices(TPK::as_entity(edge), vertices);
  std::vector<VERTEX_RECIPE> vertex_recipes;
  vertex_recipes.reserve(vertices.size());
  VERTEX_TRACKER vertex_tracker;
  for (VERTEX* vertex : vertices) {
    // The slot starts as an empty recipe, so each vertex gives exactly one entry.
    auto empty = std::make_unique<VERTEX_RECIPE>();
    IRecipe* slot = empty.get();
    const VERTEX_TRACKABLE wrapped(vertex);
    vertex_tracker.track(ctx, &wrapped, slot);
    std::unique_ptr<IRecipe> made(slot != empty.get() ? slot : nullptr);
    vertex_recipes.push_back(*checked_cast<VERTEX_RECIPE*>(slot));
  }

  recipe = new EDGE_RECIPE(own, face_recipes, vertex_recipes);
}

}  // namespace TPI_TAGGING_TRACKING
