// The three matchers as functions of the entities they find, shared by the trackers' match (which
// hands the entities over as trackables), by the matchers that run another one inside (an edge's
// faces and vertices, a vertex's faces) and by explain_match. With `why` null they only match;
// otherwise they also record what each stage saw and decided, and give the same entities.
#pragma once

#include <cstddef>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/matching/match_explanation.h>
#include <tagtrack/recipes/recipe.h>

namespace TPI_TAGGING_TRACKING {

std::vector<FACE*> match_face(const MATCH_CONTEXT& ctx, const FACE_RECIPE& recipe,
                              match_explanation* why);
std::vector<EDGE*> match_edge(const MATCH_CONTEXT& ctx, const EDGE_RECIPE& recipe,
                              match_explanation* why);
std::vector<VERTEX*> match_vertex(const MATCH_CONTEXT& ctx, const VERTEX_RECIPE& recipe,
                                  match_explanation* why);

// The faces face matching finds for the face recipe at `position` of `recipes`; recorded in `why`
// as that face recipe's search and faces.
std::vector<FACE*> faces_found(const MATCH_CONTEXT& ctx, const std::vector<FACE_RECIPE>& recipes,
                               std::size_t position, match_explanation* why);

}  // namespace TPI_TAGGING_TRACKING
