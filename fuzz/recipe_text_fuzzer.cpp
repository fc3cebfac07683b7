// Recipe texts of any content: reading must end, stay in bounds, never leak, and give either no
// recipe or one that every other operation accepts; finding a text's first problem must end and
// place it inside the text, and a text without one is read within every bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<TT::recipe_text_fault> problem = TT::recipe_text_problem(text);
  if (problem && problem->offset > text.size()) __builtin_trap();
  TT::IRecipe* recipe = nullptr;
  try {
    if (!TT::restore_from_string(text.c_str(), recipe)) return 0;
  } catch (const std::length_error&) {
    if (recipe != nullptr) __builtin_trap();  // a refused read leaves the pointer alone
    if (!problem) __builtin_trap();           // a well-formed text keeps the bounds
    return 0;
  }
  std::unique_ptr<TT::IRecipe> owned(recipe);
  char* written = nullptr;
  TT::save_to_string(written, recipe);
  TT::IRecipe* again = nullptr;
  if (!TT::restore_from_string(written, again)) __builtin_trap();  // written text reads back
  std::unique_ptr<TT::IRecipe> owned_again(again);
  delete[] written;
  TPK::tpk_array<int> ids;
  TT::get_operation_ids_from_recipe(recipe, ids);
  TT::is_same_Recipe(recipe, again);
  TT::update_primary_id(recipe, "a", "b");
  TT::update_operation_id(recipe, 1, 2);
  return 0;
}
