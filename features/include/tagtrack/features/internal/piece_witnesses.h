// What tells a piece of a split face from the other pieces, kept with a reference so that the
// piece is not taken for another piece once it is gone.
//
// An operation that splits a face (a rib fused across a top) leaves pieces whose tags differ only
// by the secondary ids the tag manager gave them. When the split goes, the face matcher finds the
// remaining piece by its tags without their secondary ids, whichever piece the reference named.
// A reference therefore also keeps, for each face it names that is such a piece (the face itself,
// or face k of an edge's or vertex's recipe), its witnesses: the tags of the faces the piece
// borders that no other piece borders. A face found only without its secondary ids is that piece
// only if it still borders one of them. Not installed.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/match_explanation.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagging/tag_info.h>

namespace tagtrack {

// Per position of a face in the reference's recipe (0 for a face reference's own face; k for
// face recipe k of an edge or vertex), the witnesses of that face; only pieces with witnesses are
// listed.
using piece_witnesses = std::map<std::size_t, std::vector<TPI_TAGGING_TRACKING::tag_info>>;

// The faces an edge or vertex lies on, in kernel order; empty for any other entity.
std::vector<FACE*> faces_around(ENTITY* entity);
// The face recipes of an edge or vertex recipe; null for a face recipe.
const std::vector<TPI_TAGGING_TRACKING::FACE_RECIPE>* face_recipes_of(
    const TPI_TAGGING_TRACKING::IRecipe& recipe);

// The witnesses of the faces `recipe` (made from `entity` of `body`) names.
piece_witnesses witnesses_of(ENTITY* entity, const TPI_TAGGING_TRACKING::IRecipe& recipe,
                             BODY* body);

// What the witnesses say of a match: whether they changed it, the entities that stand, and why.
struct witness_verdict {
  bool changed = false;
  std::vector<ENTITY*> kept;  // when changed; empty: the piece named is gone
  std::string reason;         // when changed: to follow the matcher's reason
};
witness_verdict check_witnesses(const piece_witnesses& witnesses,
                                const TPI_TAGGING_TRACKING::match_explanation& why, BODY* body);

// The text a document keeps of a reference: its recipe text, preceded when it has witnesses by
// the word "witnesses", the number of faces that have them, and for each the face's position, the
// number of its witnesses and their tag texts, then a line break.
std::string reference_text(const std::string& recipe, const piece_witnesses& witnesses);
// Reads such a text back; false when it announces witnesses it does not hold.
bool read_reference_text(const std::string& text, std::string& recipe, piece_witnesses& witnesses);

}  // namespace tagtrack
