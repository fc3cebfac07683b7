// What every model-file fuzzer holds of a file of any content: restoring it either fails cleanly
// (no bodies, the kernel heap as before) or gives bodies that save again; the default history
// stream is left as it was and the scratch stream used for the restore is freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>

inline void check_model_file(const std::uint8_t* data, std::size_t size) {
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
}
