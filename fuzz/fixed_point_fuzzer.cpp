// What the library writes reads back into what writes the same text again: for recipe texts, tag
// texts and model files (the first byte picks which), a text read and written once is a fixed
// point of reading and writing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace {

// The recipe text of what `text` reads into, or empty when it reads into nothing.
std::string recipe_round(const std::string& text) {
  TT::IRecipe* read = nullptr;
  try {
    if (!TT::restore_from_string(text.c_str(), read)) return std::string();
  } catch (const std::length_error&) {
    return std::string();
  }
  std::unique_ptr<TT::IRecipe> recipe(read);
  if (!TT::survives_recipe_text(recipe.get())) __builtin_trap();  // read ids never hold blanks
  char* written = nullptr;
  TT::save_to_string(written, recipe.get());
  const std::unique_ptr<char[]> owned(written);
  return written;
}

std::string tag_round(const std::string& text, int version) {
  std::istringstream in(text);
  TT::tag_info tags;
  tags.read_text(in, version);
  std::ostringstream out;
  tags.write_text(out);
  return out.str();
}

// The model file of what `text` restores into, or empty when it does not restore.
std::string model_round(const std::string& text) {
  HISTORY_STREAM* previous = nullptr;
  HISTORY_STREAM* scratch = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(scratch, true);
  std::vector<BODY*> bodies;
  std::string saved;
  if (TPI_FILE::restore_bodies(text, bodies).ok()) {
    if (!TPI_FILE::save_bodies(bodies, saved).ok()) __builtin_trap();
    for (BODY* body : bodies) TPI_MODEL::delete_body(body);
  }
  TPI_HISTORY::set_default(previous);
  if (!TPI_HISTORY::delete_stream(scratch).ok()) __builtin_trap();
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    return true;
  }();
  (void)registered;
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      const std::string once = recipe_round(text);
      if (!once.empty() && recipe_round(once) != once) __builtin_trap();
      break;
    }
    case 1: {
      // The writer always writes the current layout, which reads back under any other version.
      const std::string once = tag_round(text, data[0] % 4 == 1 ? 1 : 3);
      if (tag_round(once, 3) != once) __builtin_trap();
      break;
    }
    default: {
      const std::string once = model_round(text);
      if (!once.empty() && model_round(once) != once) __builtin_trap();
      break;
    }
  }
  return 0;
}
