// The tag index gives the matchers exactly what the linear search gives: every result vector,
// element by element, over random models and recipes; and never a stale answer.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

// What a matcher gives for `recipe`: the entities in its order, repeats included.
std::vector<const ENTITY*> matched(const MATCH_CONTEXT& ctx, IRecipe& recipe) {
  std::vector<ITrackable*> results;
  std::unique_ptr<ITracker>(recipe.create_tracker())->match(ctx, &recipe, results);
  return take_entities(results);
}

// A random tagged model: blocks and a cylinder, faces tagged from a small pool (so that lists
// repeat and overlap in part), some split with the tag manager on and renumbered, some merged back,
// a body copied.
class random_model {
 public:
  explicit random_model(unsigned seed) : m_random(seed) {
    std::srand(seed);
    m_owned.push_back(block(2, 1, 1));
    m_owned.push_back(block(1, 1, 2));
    m_owned.push_back(cylinder(1, 2));
    for (const body_ptr& b : m_owned) {
      for (FACE* f : b->faces()) {
        if (pick(6) != 0) set_tags(f, random_tags());
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

  // A recipe of a random face, edge or vertex; sometimes with its own tags replaced.
  std::unique_ptr<IRecipe> random_recipe() {
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

  std::vector<BODY*> bodies;

 private:
  std::size_t pick(std::size_t n) { return m_random() % n; }

  std::string random_tags() {
    static const char* pool[] = {"A", "B", "A/3", "C[1]", "A[2]", "B/1[1,2]"};
    std::string tags;
    for (std::size_t n = 1 + pick(2); n > 0; --n)
      tags += std::string(tags.empty() ? "" : " ") + pool[pick(6)];
    return tags;
  }

  std::string random_text_tags() {
    std::string text = " " + std::to_string(1 + pick(2));
    for (const char* t : {"  1 A 0 0", "  1 B 1 2 1 2", "  1 A 3 0"}) {
      if (pick(2) == 0) text += t;
    }
    return text + "  1 C 0 1 1";
  }

  void split_some_face() {
    BODY* b = m_owned[pick(2)].get();
    FACE* f = b->faces()[pick(b->faces().size())];
    const std::vector<VERTEX*> v = vertices_of(f);
    if (v.size() < 4) return;
    const std::size_t i = pick(v.size());
    EDGE* e = nullptr;
    FACE* piece = nullptr;
    TPI_MODEL::split_face(f, v[i], v[(i + 2) % v.size()], e, piece);
  }

  std::mt19937 m_random;
  std::vector<body_ptr> m_owned;
};

TEST(TagIndex, MatchersGiveWhatTheLinearSearchGives) {
  tag_state_guard guard;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    scratch_stream stream;
    random_model model(seed);
    tag_index index(model.bodies);
    MATCH_CONTEXT linear(nullptr, model.bodies, compare_loose);
    MATCH_CONTEXT indexed(nullptr, model.bodies, compare_loose);
    indexed.use_tag_index(&index);
    for (int r = 0; r < 10; ++r) {
      const std::unique_ptr<IRecipe> recipe = model.random_recipe();
      if (!recipe) continue;
      ASSERT_EQ(matched(indexed, *recipe), matched(linear, *recipe))
          << "seed " << seed << ": " << text_of(recipe.get());
    }
  }
}

// After the model changes, the index answers for the model as it is now.
TEST(TagIndex, NeverAnswersForAModelThatChanged) {
  tag_state_guard guard;
  scratch_stream stream;
  body_ptr b = block();
  for (FACE* f : b->faces()) tag(f, "F");
  stream->note_state();
  tag_index index({b.get()});
  MATCH_CONTEXT indexed(nullptr, {b.get()}, compare_loose);
  indexed.use_tag_index(&index);
  const FACE_RECIPE recipe(tags_from("F"));
  FACE_RECIPE same = recipe;
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  EXPECT_TRUE(index.current());
  set_tags(b->faces()[0], "G");
  EXPECT_FALSE(index.current());
  EXPECT_EQ(matched(indexed, same).size(), 5u);
  stream->roll_back(1);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  // An index over other bodies is not used.
  body_ptr other = block();
  tag_index elsewhere({other.get()});
  indexed.use_tag_index(&elsewhere);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
}

}  // namespace
