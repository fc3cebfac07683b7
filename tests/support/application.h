// Recipes and matches through the library's exported interface alone, as an application takes
// them: for the test programs that link the installed libraries and nothing else.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace application {

namespace TT = TPI_TAGGING_TRACKING;

// Every face, edge and vertex, in kernel order: a part built by the same features lists its
// counterparts at the same places.
inline std::vector<ENTITY*> entities(BODY* part) {
  std::vector<ENTITY*> all(part->faces().begin(), part->faces().end());
  all.insert(all.end(), part->edges().begin(), part->edges().end());
  all.insert(all.end(), part->vertices().begin(), part->vertices().end());
  return all;
}

inline TT::recipe_ptr recipe_of(ENTITY* e) {
  if (auto* f = dynamic_cast<FACE*>(e)) return TT::make_recipe(TT::FACE_TRACKABLE(f));
  if (auto* ed = dynamic_cast<EDGE*>(e)) return TT::make_recipe(TT::EDGE_TRACKABLE(ed));
  return TT::make_recipe(TT::VERTEX_TRACKABLE(dynamic_cast<VERTEX*>(e)));
}

inline std::string recipe_text_of(ENTITY* e) {
  return TT::recipe_text(recipe_of(e).get());
}

// The entities the recipe text resolves to among `bodies`, faces, then edges, then vertices.
inline std::vector<ENTITY*> resolve(const std::string& text, const std::vector<BODY*>& bodies) {
  const TT::recipe_ptr recipe = TT::read_recipe(text);
  const TT::match_results found = TT::find_matches(recipe.get(), bodies);
  std::vector<ENTITY*> result;
  for (FACE* f : found.faces()) result.push_back(f);
  for (EDGE* e : found.edges()) result.push_back(e);
  for (VERTEX* v : found.vertices()) result.push_back(v);
  return result;
}

}  // namespace application
