#include <algorithm>
#include <cstdint>
#include <vector>

#include <tagtrack/kernel/boundary/queries.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/internal/checked_cast.h>
#include <tagtrack/tracking/internal/entity_lookup.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

void VERTEX_TRACKER::track(const TRACK_CONTEXT&, const ITrackable* trackable, IRecipe*& recipe) {
  if (trackable == nullptr) return;
  VERTEX* vertex =
      const_cast<VERTEX*>(checked_cast<const VERTEX_TRACKABLE*>(trackable)->GetVertexPtr());
  if (vertex == nullptr) return;

  tag_info own;
  if (const tag_info* tags = find_entity_tag_info(TPK::as_entity(vertex))) own = *tags;

  // The faces around the vertex: the fans one after the other, each in its order.
  std::vector<FACE*> around;
  {
    TPI_ORDERED_FACES_ON_VERTEX fans(vertex);
    fans.compute();
    TPK::tpk_array<FACE*> fan;
    fan_type type;
    for (std::uint64_t i = 0; i < fans.get_num_fans(); ++i) {
      fan.clear();
      fans.get_fan(i, type, fan);
      around.insert(around.end(), fan.begin(), fan.end());
    }
  }

  // One face recipe per tagged face occurrence, the faces kept in step.
  std::vector<FACE*> tagged;
  std::vector<FACE_RECIPE> face_recipes;
  for (FACE* face : around) {
    if (const tag_info* tags = find_entity_tag_info(TPK::as_entity(face))) {
      tagged.push_back(face);
      face_recipes.emplace_back(*tags);
    }
  }

  // Start at the first face whose tags are greatest: one scan, C - 1 comparisons, a later equal
  // face does not displace an earlier one. The rotation runs across fan boundaries.
  const auto count = static_cast<std::int32_t>(face_recipes.size());
  if (count > 1) {
    std::int32_t best = 0, step = 1;
    while (best + step < count) {
      if (face_recipes[static_cast<std::size_t>(best)] <
          face_recipes[static_cast<std::size_t>(best + step)]) {
        best += step;
        step = 1;
      } else {
        ++step;
      }
    }
    if (best > 0) {
      std::rotate(face_recipes.begin(), face_recipes.begin() + best, face_recipes.end());
      std::rotate(tagged.begin(), tagged.begin() + best, tagged.end());
    }
  }

  // Uv order data for the curved faces, keyed by their position among the face recipes.
  VERTEX_RECIPE::uv_orders uv;
  for (std::size_t i = 0; i < tagged.size(); ++i) {
    if (TPK::FACE_const_xs(tagged[i]).is_planar()) continue;
    uv[static_cast<std::int32_t>(i)] = uv_order_data(vertex, tagged[i]);
  }

  recipe = new VERTEX_RECIPE(own, face_recipes, uv);
}

}  // namespace TPI_TAGGING_TRACKING
