// Model files of any content: restoring either fails cleanly or gives valid bodies that save
// again; nothing leaks and nothing already in memory changes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    return true;
  }();
  (void)registered;
  HISTORY_STREAM* previous = nullptr;
  HISTORY_STREAM* scratch = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(scratch, true);
  const auto before = TPK::get_heap_counts().live_blocks;
  std::vector<BODY*> bodies;
  const outcome restored =
      TPI_FILE::restore_bodies(std::string(reinterpret_cast<const char*>(data), size), bodies);
  if (!restored.ok()) {
    if (!bodies.empty() || TPK::get_heap_counts().live_blocks != before) __builtin_trap();
  } else {
    std::string text;
    if (!TPI_FILE::save_bodies(bodies, text).ok()) __builtin_trap();
    for (BODY* body : bodies) TPI_MODEL::delete_body(body);
  }
  TPI_HISTORY::set_default(previous);
  scratch->clear();
  if (!TPI_HISTORY::delete_stream(scratch).ok()) __builtin_trap();
  return 0;
}
