// Why a recipe resolved, or did not: the matchers' own run, recorded stage by stage.
//
// explain_match runs the matcher of the recipe's kind over the context exactly as its tracker's
// match does (the same code; `found` is the entities of the tracker's result vector, in its order,
// repeats included) and records what each stage saw and decided:
// - the tag candidates of the recipe's own tags, and of each face recipe it holds: how many
//   entities carry exactly the recipe's tags, how many share some of them exactly (partial) and how
//   many share some by primary id and operation ids (loose), and the list the search gave;
// - for edges and vertices, the faces each face recipe found, the entities those faces leave as
//   candidates, the vertices the vertex recipes found (each with its own explanation), and the uv
//   order levels compared per vertex and face;
// - the stage that returned, whether the answer was the first of several candidates and so fell to
//   an order (the model's, or the entities' address order, which is not stable from one session
//   to the next), a verdict, and the reason in one sentence.
//
// An explanation describes the model as it was during the call: its entity pointers are valid only
// while the model is unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// What an application does with each: use the entity; ask the user (or keep the old entity) among
// the listed ones; report the reference as broken.
enum class match_verdict {
  resolved,   // one entity (perhaps listed more than once)
  ambiguous,  // several entities fit equally well
  lost,       // nothing fits
};

// The stage that returned the answer.
enum class match_stage {
  none,      // no matcher ran: the recipe is null or of no known kind
  tags,      // the recipe's own tags
  faces,     // the faces its face recipes found
  vertices,  // edges: the vertices its vertex recipes found; vertices: the faces' common vertices
  uv_order,  // vertices: where the vertex stands on the curved faces found
  last,      // vertices: the common vertices held against the tag candidates
};

// What decided between several candidates when only the first was taken.
enum class match_order {
  none,     // no such choice was made
  model,    // the model's order (bodies in the context's order, each body's in kernel order)
  address,  // the entities' address order
};

// One tag search.
struct tag_candidates_seen {
  std::string words;        // the tags searched for, as people write them: A/2[7,9], B
  bool searched = false;    // false when the tag list was empty: nothing is then searched
  std::size_t exact = 0;    // entities whose tags are exactly the list's
  std::size_t partial = 0;  // without exact ones: entities sharing some tag exactly
  std::size_t loose = 0;    // without exact ones: entities sharing some tag loosely
  // When the search found nothing: entities sharing a primary id with the list, but with other
  // operation ids (the usual sign of a feature that was re-made, or whose history changed).
  std::size_t primary_only = 0;
  // What the search gave: the exact ones when there are any, otherwise the partial ones followed by
  // the loose ones (a partial one is also loose, and so stands twice).
  std::vector<ENTITY*> candidates;
};

// A face recipe held by an edge or vertex recipe, and what face matching found for it.
struct face_recipe_seen {
  std::size_t position = 0;  // in the recipe's list of face recipes
  tag_candidates_seen tags;
  std::vector<FACE*> faces;
};

// One uv order comparison: the agreement level (1 same place to 4 none) of a vertex on a face.
struct uv_comparison_seen {
  VERTEX* vertex = nullptr;
  FACE* face = nullptr;
  std::size_t position = 0;  // of the face recipe that found the face
  int level = 4;
};

struct match_explanation {
  char kind = 0;  // 'F', 'E' or 'V'; 0 when no matcher ran
  tag_candidates_seen tags;
  std::vector<face_recipe_seen> faces;
  // Edges: the edges the faces found leave (shared by the two sides, or bounding the one side),
  // kept with the own tag candidates. Vertices: the vertices common to the faces found, as they
  // stood when the intersection ended.
  std::vector<ENTITY*> candidates;
  std::vector<match_explanation> vertex_recipes;  // edges: one per vertex recipe, in order
  std::vector<uv_comparison_seen> uv;
  match_stage decided_by = match_stage::none;
  match_order order = match_order::none;
  std::vector<ENTITY*> found;  // the matcher's result, in its order
  match_verdict verdict = match_verdict::lost;
  std::string reason;  // one sentence, no final full stop
};

// Runs the matcher of the recipe's kind over `ctx` and explains what it did. A null recipe, or one
// of no known kind, gives a lost verdict with no stage. Allocation failure passes out as
// std::bad_alloc.
TAGTRACK_EXPORT match_explanation explain_match(const MATCH_CONTEXT& ctx, const IRecipe* recipe);

// "resolved", "ambiguous", "lost"; and the stage's and order's words ("tags", "faces", "vertices",
// "uv order", "last", "none"; "model", "address", "none").
TAGTRACK_EXPORT const char* verdict_word(match_verdict verdict);
TAGTRACK_EXPORT const char* stage_word(match_stage stage);
TAGTRACK_EXPORT const char* order_word(match_order order);

}  // namespace TPI_TAGGING_TRACKING
