// Random tagged models and recipes of their entities, for differential tests of the matchers.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/models.h"

namespace test_support {

// A random tagged model: blocks and a cylinder, most faces and some edges and vertices tagged from
// a small pool (so that lists
// repeat and overlap in part), some split with the tag manager on and renumbered, a body copied;
// sometimes the same body listed twice.
class random_model {
 public:
  explicit random_model(unsigned seed);

  // A recipe of a random face, edge or vertex; sometimes with its own tags replaced.
  std::unique_ptr<TPI_TAGGING_TRACKING::IRecipe> random_recipe();

  std::vector<BODY*> bodies;

 private:
  std::size_t pick(std::size_t n) { return m_random() % n; }
  std::string random_tags();
  std::string random_text_tags();
  void split_some_face();

  std::mt19937 m_random;
  std::vector<body_ptr> m_owned;
};

}  // namespace test_support
