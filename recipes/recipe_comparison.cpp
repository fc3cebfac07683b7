#include <tagtrack/recipes/recipe_comparison.h>

#include <algorithm>
#include <vector>

namespace TPI_TAGGING_TRACKING {

namespace {

// Every tag of `b` finds an equal tag in `a`, and as many as either list holds.
bool same_tags(const tag_info& a, const tag_info& b) {
  int matched = 0;
  a.count_matches(b, compare_exact, matched);
  return matched >= 0 && static_cast<std::size_t>(matched) == a.size() &&
         static_cast<std::size_t>(matched) == b.size();
}

bool same_faces(const FACE_RECIPE& a, const FACE_RECIPE& b) {
  return same_tags(a.tags(), b.tags());
}

bool same_vertices(const VERTEX_RECIPE& a, const VERTEX_RECIPE& b) {
  const std::vector<FACE_RECIPE>& fa = *a.get_face_recipes();
  const std::vector<FACE_RECIPE>& fb = *b.get_face_recipes();
  if (!same_tags(*a.get_tags(), *b.get_tags()) || fa.size() != fb.size()) return false;
  for (std::size_t i = 0; i < fa.size(); ++i) {
    if (!same_faces(fa[i], fb[i])) return false;
  }
  return true;
}

// Equal in everything they hold, so that either stands for the other on both sides of a
// comparison.
bool identical(const FACE_RECIPE& a, const FACE_RECIPE& b) {
  return a.tags() == b.tags();
}

bool identical(const VERTEX_RECIPE& a, const VERTEX_RECIPE& b) {
  const std::vector<FACE_RECIPE>& fa = *a.get_face_recipes();
  const std::vector<FACE_RECIPE>& fb = *b.get_face_recipes();
  if (!(*a.get_tags() == *b.get_tags()) || fa.size() != fb.size() ||
      *a.get_uv_orders() != *b.get_uv_orders()) {
    return false;
  }
  for (std::size_t i = 0; i < fa.size(); ++i) {
    if (!identical(fa[i], fb[i])) return false;
  }
  return true;
}

// Each recipe of `a` agrees with some recipe of `b` (not one to one, in any order). A recipe
// identical to the one before it in its list gives the same answers, so runs of identical recipes
// (the default recipes of a text that announced more than it held) are compared once.
template <class Recipe, class Same>
bool each_found(const std::vector<Recipe>& a, const std::vector<Recipe>& b, Same same) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i > 0 && identical(a[i], a[i - 1])) continue;
    bool found = false;
    for (std::size_t j = 0; j < b.size() && !found; ++j) {
      if (j > 0 && identical(b[j], b[j - 1])) continue;
      found = same(a[i], b[j]);
    }
    if (!found) return false;
  }
  return true;
}

bool same_edges(const EDGE_RECIPE& a, const EDGE_RECIPE& b) {
  return same_tags(*a.get_tags(), *b.get_tags()) &&
         each_found(*a.get_face_recipes(), *b.get_face_recipes(), same_faces) &&
         each_found(*a.get_vertex_recipes(), *b.get_vertex_recipes(), same_vertices);
}

}  // namespace

bool is_same_Recipe(const IRecipe* a, const IRecipe* b) {
  if (const auto* fa = dynamic_cast<const FACE_RECIPE*>(a)) {
    const auto* fb = dynamic_cast<const FACE_RECIPE*>(b);
    return fb != nullptr && same_faces(*fa, *fb);
  }
  if (dynamic_cast<const FACE_RECIPE*>(b) != nullptr) return false;
  if (const auto* ea = dynamic_cast<const EDGE_RECIPE*>(a)) {
    const auto* eb = dynamic_cast<const EDGE_RECIPE*>(b);
    return eb != nullptr && same_edges(*ea, *eb);
  }
  if (dynamic_cast<const EDGE_RECIPE*>(b) != nullptr) return false;
  const auto* va = dynamic_cast<const VERTEX_RECIPE*>(a);
  const auto* vb = dynamic_cast<const VERTEX_RECIPE*>(b);
  return va != nullptr && vb != nullptr && same_vertices(*va, *vb);
}

}  // namespace TPI_TAGGING_TRACKING
