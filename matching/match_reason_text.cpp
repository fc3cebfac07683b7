// The sentences of the match reasons, all in one place: the matchers record only a match_reason
// and the counts, and explain_match puts the sentence in `reason`.
#include <string>

#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/match_explanation.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// "1 face", "3 faces".
std::string count_of(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "; 2 faces carry a primary id of these tags with other operation ids" (after `lead`), or nothing
// when the search recorded no such entity.
std::string other_operations(const tag_candidates_seen& seen, const char* one, const char* many,
                             const char* lead) {
  if (seen.primary_only == 0) return std::string();
  return lead + count_of(seen.primary_only, one, many) + " " +
         (seen.primary_only == 1 ? "carries" : "carry") +
         " a primary id of these tags with other operation ids";
}

// "no face of the model carries any of the tags A (face recipe 0), nor B (face recipe 2)" for the
// face recipes recorded as finding no face; empty when each found some.
std::string faces_missing(const match_explanation& why) {
  std::string missing;
  for (const face_recipe_seen& seen : why.faces) {
    if (!seen.faces.empty()) continue;
    missing += std::string(missing.empty() ? "" : ", nor ") + seen.tags.words + " (face recipe " +
               std::to_string(seen.position) + other_operations(seen.tags, "face", "faces", "; ") +
               ")";
  }
  return missing.empty() ? missing : "no face of the model carries any of the tags " + missing;
}

// ", so the 2 vertices its own tags found stand", or nothing when its own tags found none.
std::string tagged_stand(const match_explanation& why) {
  const std::size_t tagged = why.tags.candidates.size();
  if (tagged == 0) return std::string();
  return ", so the " + count_of(tagged, "vertex", "vertices") + " its own tags found stand";
}

}  // namespace

std::string reason_sentence(const match_explanation& why) {
  using r = match_reason;
  const tag_candidates_seen& tags = why.tags;
  const std::size_t tagged = tags.candidates.size();
  const std::size_t candidates = why.candidates.size();
  switch (why.why_decided) {
    case r::no_recipe:
      return "there is no recipe";
    case r::unknown_kind:
      return "the recipe is of no known kind";

    case r::face_no_tags:
      return "the face recipe holds no tags";
    case r::face_tags_missing:
      return "no face of the model carries any of the tags " + tags.words +
             other_operations(tags, "face", "faces", "; ");
    case r::face_exact_tags:
      return count_of(tags.exact, "face carries", "faces carry") + " exactly the tags " +
             tags.words;
    case r::face_partial_tags:
      return "no face carries exactly the tags " + tags.words + "; " +
             count_of(tags.partial, "face shares", "faces share") + " some of them exactly and " +
             count_of(tags.loose, "face", "faces") + " loosely";

    case r::edge_one_tagged:
      return "one edge carries its own tags " + tags.words;
    case r::edge_no_tags_no_faces:
      return "no edge carries its own tags and it names no faces";
    case r::edge_faces_missing:
      return faces_missing(why);
    case r::edge_face_has_no_edge:
      return "the faces found for its one face recipe have no edge";
    case r::edge_face_has_one_edge:
      return "the face found for its one face recipe has one edge";
    case r::edge_one_common:
      return "the faces found for its two sides share exactly one edge";
    case r::edge_common_not_tagged:
      return "the one edge the faces found for its two sides share is not among the " +
             count_of(tagged, "edge", "edges") + " its own tags found";
    case r::edge_sides_share_none:
      return "the faces found for its two sides share no edge";
    case r::edge_tagged_not_between:
      return count_of(tagged, "edge carries", "edges carry") +
             " its own tags, and none of them lies between the faces found for its sides";
    case r::edge_one_tagged_between:
      return "one edge between the faces found for its sides carries its own tags";
    case r::edge_few_vertices_found: {
      std::size_t vertices = 0;
      for (const match_explanation& v : why.vertex_recipes) vertices += v.found.size();
      return count_of(candidates, "edge fits", "edges fit") + " and its vertex recipes found " +
             count_of(vertices, "vertex", "vertices") + ", so the first of them is taken";
    }
    case r::edge_one_bounded:
      return "of " + count_of(candidates, "edge", "edges") +
             ", one runs between vertices its vertex recipes found";
    case r::edge_first_pair:
      return count_of(why.bounded, "edge", "edges") +
             " run between vertices its vertex recipes found, so the first pair found decides";
    case r::edge_none_bounded:
      return count_of(candidates, "edge fits", "edges fit") +
             " equally well: no two of the vertices its vertex recipes found bound one of them";

    case r::vertex_one_tagged:
      return "one vertex carries its own tags " + tags.words;
    case r::vertex_few_face_recipes:
      return count_of(tagged, "vertex carries", "vertices carry") +
             " its own tags and it names fewer than two faces";
    case r::vertex_faces_missing: {
      std::size_t finding = 0;
      for (const face_recipe_seen& seen : why.faces) finding += seen.faces.empty() ? 0 : 1;
      return "only " + std::to_string(finding) + " of its " + std::to_string(why.faces.size()) +
             " face recipes found faces (" + faces_missing(why) + ")" + tagged_stand(why);
    }
    case r::vertex_no_vertex_on_faces:
      return "the faces found for its first face recipe have no vertex";
    case r::vertex_one_common:
      return "one vertex is common to the faces found for its face recipes";
    case r::vertex_common_not_tagged:
      return "the one vertex common to the faces found for its face recipes is not among the " +
             count_of(tagged, "vertex", "vertices") + " its own tags found";
    case r::vertex_no_common:
      return "no vertex is common to the faces found for its face recipes" + tagged_stand(why);
    case r::vertex_same_place:
      return "one vertex stands on the faces found where it stood";
    case r::vertex_same_place_first:
      return count_of(vertices_in_same_place(why.uv), "vertex stands", "vertices stand") +
             " on the faces found where it stood, so the first is taken";
    case r::vertex_one_run_kept:
      return count_of(why.found.size(), "placement agrees", "placements agree") +
             " with the stored order in one rank and its run";
    case r::vertex_shifted_by_count:
      return count_of(why.found.size(), "placement agrees", "placements agree") +
             " with the stored order once shifted by the change in vertex count";
    case r::vertex_tagged_common:
      return "of the " + count_of(candidates, "vertex", "vertices") +
             " common to the faces found, " + std::to_string(why.found.size()) +
             " carry its own tags";
    case r::vertex_nothing_tells_apart:
      return count_of(candidates, "vertex is", "vertices are") +
             " common to the faces found and nothing tells them apart";
  }
  return "the reason is of no known kind";
}

const char* reason_word(match_reason reason) {
  using r = match_reason;
  switch (reason) {
    case r::no_recipe:
      return "no recipe";
    case r::unknown_kind:
      return "unknown kind";
    case r::face_no_tags:
      return "face no tags";
    case r::face_tags_missing:
      return "face tags missing";
    case r::face_exact_tags:
      return "face exact tags";
    case r::face_partial_tags:
      return "face partial tags";
    case r::edge_one_tagged:
      return "edge one tagged";
    case r::edge_no_tags_no_faces:
      return "edge no tags no faces";
    case r::edge_faces_missing:
      return "edge faces missing";
    case r::edge_face_has_no_edge:
      return "edge face has no edge";
    case r::edge_face_has_one_edge:
      return "edge face has one edge";
    case r::edge_one_common:
      return "edge one common";
    case r::edge_common_not_tagged:
      return "edge common not tagged";
    case r::edge_sides_share_none:
      return "edge sides share none";
    case r::edge_tagged_not_between:
      return "edge tagged not between";
    case r::edge_one_tagged_between:
      return "edge one tagged between";
    case r::edge_few_vertices_found:
      return "edge few vertices found";
    case r::edge_one_bounded:
      return "edge one bounded";
    case r::edge_first_pair:
      return "edge first pair";
    case r::edge_none_bounded:
      return "edge none bounded";
    case r::vertex_one_tagged:
      return "vertex one tagged";
    case r::vertex_few_face_recipes:
      return "vertex few face recipes";
    case r::vertex_faces_missing:
      return "vertex faces missing";
    case r::vertex_no_vertex_on_faces:
      return "vertex no vertex on faces";
    case r::vertex_one_common:
      return "vertex one common";
    case r::vertex_common_not_tagged:
      return "vertex common not tagged";
    case r::vertex_no_common:
      return "vertex no common";
    case r::vertex_same_place:
      return "vertex same place";
    case r::vertex_same_place_first:
      return "vertex same place first";
    case r::vertex_one_run_kept:
      return "vertex one run kept";
    case r::vertex_shifted_by_count:
      return "vertex shifted by count";
    case r::vertex_tagged_common:
      return "vertex tagged common";
    case r::vertex_nothing_tells_apart:
      break;
  }
  return "vertex nothing tells apart";
}

}  // namespace TPI_TAGGING_TRACKING
