// Whether a candidate vertex stands on a candidate face where a vertex recipe's stored uv order
// data put it, graded: level 1 the same place; 2 the vertex count changed but one rank and its
// tolerance run stayed; 3 both ranks moved by exactly the change in the vertex count (down only
// when the face lost vertices, up or down when it gained some); 4 no agreement. True for levels 1
// to 3; the level is always written. A stored record of no vertices (the vertex was not on the
// face) never agrees, nor does a face that does not hold the candidate vertex.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/recipes/uv_order_data.h>

namespace TPI_TAGGING_TRACKING {

// The grades of agreement, best first.
enum uv_agreement : int {
  uv_same_place = 1,
  uv_one_run_kept = 2,
  uv_shifted_by_count = 3,
  uv_no_agreement = 4,
};

bool compare_uv_order(const uv_order_data& stored, VERTEX* vertex, FACE* face, int& level);

}  // namespace TPI_TAGGING_TRACKING
