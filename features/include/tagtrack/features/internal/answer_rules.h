// What the application makes of the matcher's answer for a reference. The matchers answer by fixed
// rules, and some of their answers name an entity that is not the one the reference named: the
// application turns those into lost or ambiguous, so that a reference is never silently moved to
// another entity:
// - an edge or vertex whose found faces leave several candidates while another face it names is
//   found no more is lost: every candidate lacks that face;
// - a piece of a split face (or an edge or vertex on one) found only without its secondary ids
//   stands only on the piece that still borders its witnesses (piece_witnesses.h);
// - an edge or vertex found while a face it names is gone, lying on a face it does not name, is
//   lost: the answer rests on a neighbour that took the gone face's place;
// - an answer the matcher took as the first of several by the entities' addresses, which differ
//   from one session to the next, is ambiguous among them, in the body's order.
// Not installed.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/features/internal/piece_witnesses.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/match_explanation.h>
#include <tagtrack/recipes/recipe.h>

namespace tagtrack {

struct settled_answer {
  std::vector<ENTITY*> entities;  // those that stand; empty: lost
  std::string reason;             // the matcher's reason, and what the rules made of it
};

// `witnesses` may be null (the reference names no pieces).
settled_answer settle_answer(const TPI_TAGGING_TRACKING::match_explanation& why,
                             const TPI_TAGGING_TRACKING::IRecipe& recipe, BODY* body,
                             const piece_witnesses* witnesses);

}  // namespace tagtrack
