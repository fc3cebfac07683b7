#include "support/random_model.h"

#include <cstdlib>

#include "support/recipes.h"
#include "support/tags.h"

namespace test_support {

using namespace TPI_TAGGING_TRACKING;

random_model::random_model(unsigned seed) : m_random(seed) {
  std::srand(seed);
  m_owned.push_back(block(2, 1, 1));
  m_owned.push_back(block(1, 1, 2));
  m_owned.push_back(cylinder(1, 2));
  for (const body_ptr& b : m_owned) {
    for (FACE* f : b->faces()) {
      if (pick(6) != 0) set_tags(f, random_tags());
    }
    for (EDGE* e : b->edges()) {
      if (pick(4) == 0) set_tags(e, random_tags());
    }
    for (VERTEX* v : b->vertices()) {
      if (pick(4) == 0) set_tags(v, random_tags());
    }
  }
  activateTagManager(true);
  for (int i = 0; i < 4; ++i) split_some_face();
  if (pick(2) == 0) manageDupicateTags();
  BODY* copy = nullptr;
  if (pick(2) == 0 && TPI_MODEL::copy_body(m_owned[0].get(), copy).ok()) {
    m_owned.emplace_back(copy);
  }
  activateTagManager(false);
  for (const body_ptr& b : m_owned) bodies.push_back(b.get());
  if (pick(3) == 0) bodies.push_back(bodies[pick(bodies.size())]);  // the same body twice
}

std::unique_ptr<IRecipe> random_model::random_recipe() {
  BODY* b = bodies[pick(bodies.size())];
  std::unique_ptr<IRecipe> recipe;
  switch (pick(3)) {
    case 0:
      recipe = recipe_of(FACE_TRACKABLE(b->faces()[pick(b->faces().size())]));
      break;
    case 1:
      recipe = recipe_of(EDGE_TRACKABLE(b->edges()[pick(b->edges().size())]));
      break;
    default:
      recipe = recipe_of(VERTEX_TRACKABLE(b->vertices()[pick(b->vertices().size())]));
      break;
  }
  if (recipe && pick(4) == 0) {
    const std::unique_ptr<IRecipe> other(read_recipe("F 3" + random_text_tags()));
    if (auto* face = dynamic_cast<FACE_RECIPE*>(recipe.get()))
      *face = *static_cast<FACE_RECIPE*>(other.get());
  }
  return recipe;
}

std::string random_model::random_tags() {
  static const char* pool[] = {"A", "B", "A/3", "C[1]", "A[2]", "B/1[1,2]"};
  std::string tags;
  for (std::size_t n = 1 + pick(2); n > 0; --n)
    tags += std::string(tags.empty() ? "" : " ") + pool[pick(6)];
  return tags;
}

std::string random_model::random_text_tags() {
  std::string text = " " + std::to_string(1 + pick(2));
  for (const char* t : {"  1 A 0 0", "  1 B 1 2 1 2", "  1 A 3 0"}) {
    if (pick(2) == 0) text += t;
  }
  return text + "  1 C 0 1 1";
}

void random_model::split_some_face() {
  BODY* b = m_owned[pick(2)].get();
  FACE* f = b->faces()[pick(b->faces().size())];
  const std::vector<VERTEX*> v = vertices_of(f);
  if (v.size() < 4) return;
  const std::size_t i = pick(v.size());
  EDGE* e = nullptr;
  FACE* piece = nullptr;
  TPI_MODEL::split_face(f, v[i], v[(i + 2) % v.size()], e, piece);
}

}  // namespace test_support
