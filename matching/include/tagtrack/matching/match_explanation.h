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
//   to the next), a verdict, and the reason: typed (`why_decided`, one value per way a matcher
//   returns) and in one sentence made from it and the recorded counts (`reason`).
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

// Why the stage that returned decided as it did: one value per way a matcher returns. The counts a
// reason's sentence gives are the explanation's own fields, named here where they are not plain.
// New values go before the last, which closes the list.
enum class match_reason {
  no_recipe,     // no matcher ran: the recipe is null
  unknown_kind,  // no matcher ran: the recipe is of no known kind
  // Faces, tag stage.
  face_no_tags,       // the face recipe holds no tags
  face_tags_missing,  // no face carries any of the tags (tags.primary_only: under other operations)
  face_exact_tags,    // tags.exact faces carry exactly the tags
  face_partial_tags,  // none exactly: tags.partial share some exactly, tags.loose loosely
  // Edges. "Tagged" edges are the own tag candidates (tags.candidates); the sides are the faces
  // found for its first two face recipes.
  edge_one_tagged,          // tag stage: one edge carries its own tags
  edge_no_tags_no_faces,    // faces: no edge carries its own tags and it names no faces
  edge_faces_missing,       // faces: a face recipe found no face
  edge_face_has_no_edge,    // faces: the faces of its one face recipe have no edge
  edge_face_has_one_edge,   // faces: the face of its one face recipe has one edge
  edge_one_common,          // faces: the sides share exactly one edge
  edge_common_not_tagged,   // faces: the sides share exactly one edge, not among the tagged ones
  edge_sides_share_none,    // faces: no tagged edges, and the sides share no edge
  edge_tagged_not_between,  // faces: no tagged edge lies between the sides
  edge_one_tagged_between,  // faces: one tagged edge lies between the sides
  edge_few_vertices_found,  // vertices: fewer than two vertices found; the first candidate taken
  edge_one_bounded,         // vertices: one candidate runs between vertices found
  edge_first_pair,          // vertices: `bounded` candidates do; the first pair found decides
  edge_none_bounded,        // vertices: none does; all candidates stand
  // Vertices. "Tagged" vertices are the own tag candidates; the common vertices are `candidates`.
  vertex_one_tagged,           // tag stage: one vertex carries its own tags
  vertex_few_face_recipes,     // tag stage: it names fewer than two faces; the tagged ones stand
  vertex_faces_missing,        // faces: fewer than two face recipes found faces; the tagged stand
  vertex_no_vertex_on_faces,   // faces: the faces of its first face recipe have no vertex
  vertex_one_common,           // faces, vertices or last: one vertex is common to the faces found
  vertex_common_not_tagged,    // faces, vertices or last: that one is not among the tagged ones
  vertex_no_common,            // vertices: no vertex is common; the tagged ones stand
  vertex_same_place,           // uv order: one vertex stands where it stood
  vertex_same_place_first,     // uv order: several do; the first in address order is taken
  vertex_one_run_kept,         // uv order: the placements in `found` keep one rank and its run
  vertex_shifted_by_count,     // uv order: the placements in `found` shifted by the vertex count
  vertex_tagged_common,        // last: the common vertices that are tagged (`found`)
  vertex_nothing_tells_apart,  // last: all common vertices stand
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
  match_reason why_decided = match_reason::no_recipe;
  // Edges decided by the vertex stage: the candidates running between two vertices found.
  std::size_t bounded = 0;
  match_order order = match_order::none;
  std::vector<ENTITY*> found;  // the matcher's result, in its order
  match_verdict verdict = match_verdict::lost;
  std::string reason;  // reason_sentence(*this): one sentence, no final full stop
};

// Runs the matcher of the recipe's kind over `ctx` and explains what it did. A null recipe, or one
// of no known kind, gives a lost verdict with no stage. `reason` is filled, in the explanation and
// in each of its vertex recipes', by reason_sentence. Allocation failure passes out as
// std::bad_alloc.
TAGTRACK_EXPORT match_explanation explain_match(const MATCH_CONTEXT& ctx, const IRecipe* recipe);

// "resolved", "ambiguous", "lost"; and the stage's and order's words ("tags", "faces", "vertices",
// "uv order", "last", "none"; "model", "address", "none").
TAGTRACK_EXPORT const char* verdict_word(match_verdict verdict);
TAGTRACK_EXPORT const char* stage_word(match_stage stage);
TAGTRACK_EXPORT const char* order_word(match_order order);

// A short word for the reason that does not change from one release to the next, for outputs read
// by programs: the enumerator's name with spaces ("edge first pair").
TAGTRACK_EXPORT const char* reason_word(match_reason reason);

// The sentence for `why.why_decided`, in the model's words (the tags searched for as people write
// them, the counts the explanation records), with no final full stop.
TAGTRACK_EXPORT std::string reason_sentence(const match_explanation& why);

}  // namespace TPI_TAGGING_TRACKING
