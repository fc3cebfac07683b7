// What every model-file fuzzer holds of a file of any content: restoring it either fails cleanly
// (no bodies, the kernel heap as before) or gives bodies that save again, within a second per
// megabyte of text (a second for any file up to a megabyte); the default history stream is left
// as it was and the scratch stream used for the restore is freed. A file that restores is then
// made to lie about itself (crafted_lies), and each lie must be refused in the same way.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>

namespace model_file_lies {

// The check sum an embedded Open CASCADE shape carries before its text: FNV-1a as 16 hex digits.
inline std::string check_sum(const std::string& shape) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 17; i < shape.size(); ++i) {
    hash ^= static_cast<unsigned char>(shape[i]);
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

// `text` with the first `find` after `from` replaced by `with`, the embedded shape holding it (if
// any) given its new byte count and a matching check sum; empty when there is no such `find`.
inline std::string replaced(const std::string& text, std::size_t from, const std::string& find,
                            const std::string& with) {
  const std::size_t at = text.find(find, from);
  if (at == std::string::npos) return std::string();
  std::string lie = text;
  lie.replace(at, find.size(), with);
  const std::size_t word = text.rfind("occt-shape ", at);
  const std::size_t colon = word == std::string::npos ? word : text.find(':', word);
  if (colon == std::string::npos) return lie;
  const std::string digits = text.substr(word + 11, colon - word - 11);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return lie;  // an edge's or face's reference to a shape, not the shape
  }
  const std::size_t length = std::stoul(digits);
  if (at >= colon + 1 + length) return lie;
  std::string shape = lie.substr(colon + 1, length + with.size() - find.size());
  shape.replace(0, 16, check_sum(shape));
  return lie.replace(word, colon + 1 + length + with.size() - find.size() - word,
                     "occt-shape " + std::to_string(shape.size()) + ":" + shape);
}

}  // namespace model_file_lies

// Lies told by a model file that restores, each kept consistent otherwise (byte counts, check
// sums): a table count of an embedded shape made huge (Curves 1200000000), a number made NaN or
// infinite (a vertex of the kernel's own, a shape's surface or location), a shape's last list of
// sub-shapes cut short, and a tag record whose primary id's length disagrees with its string
// (i 3 s 8:BLOCK.f0, i -8).
inline std::vector<std::string> crafted_lies(const std::string& text) {
  using model_file_lies::replaced;
  std::vector<std::string> lies;
  const auto add = [&](std::string lie) {
    if (!lie.empty()) lies.push_back(std::move(lie));
  };
  for (const char* table : {"\nCurves ", "\nSurfaces ", "\nTShapes ", "\nCurve2ds "}) {
    const std::size_t at = text.find(table);
    if (at != std::string::npos) {
      const std::size_t end = text.find('\n', at + 1);
      add(replaced(text, at, text.substr(at, end - at), table + std::string("1200000000")));
    }
  }
  const std::size_t vertices = text.find("\nvertices ");
  if (vertices != std::string::npos)
    add(replaced(text, text.find('\n', vertices + 1), "\n", "\nnan "));
  const std::size_t surfaces = text.find("\nSurfaces ");
  if (surfaces != std::string::npos) {
    add(replaced(text, text.find('\n', surfaces + 1), "\n1 ", "\n1 inf "));
  }
  add(replaced(text, 0, "\nLocations 0", "\nLocations 1\n1 1 0 0 0 0 1 0 0 0 0 1 -nan"));
  add(replaced(text, 0, " *\n\n+1 0", " "));  // the last list of sub-shapes cut short
  // A tag record's first tag: its base part's string, the count of tags, then " i 2 s 2:F0".
  std::size_t at = text.find("generic_tag_attrib_def ");
  at = at == std::string::npos ? at : text.find(" s ", text.find(" s ", at) + 3);
  const std::size_t colon = at == std::string::npos ? at : text.find(':', at);
  const std::size_t item = at == std::string::npos ? at : text.rfind(" i ", at);
  if (colon != std::string::npos && item != std::string::npos && colon - at < 12) {
    const std::string length = text.substr(at + 3, colon - at - 3);
    const std::string said = text.substr(item, colon + 1 - item);
    if (said == " i " + length + " s " + length + ":") {
      add(replaced(text, item, said,
                   " i " + std::to_string(std::stol(length) + 1) + " s " + length + ":"));
      add(replaced(text, item, said, " i -8 s " + length + ":"));
    }
  }
  return lies;
}

// Restores `text`: false when it is refused, which must leave nothing behind.
inline bool restores(const std::string& text) {
  HISTORY_STREAM* previous = nullptr;
  HISTORY_STREAM* scratch = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(scratch, true);
  const auto before = TPK::get_heap_counts().live_blocks;
  const auto start = std::chrono::steady_clock::now();
  std::vector<BODY*> bodies;
  const outcome restored = TPI_FILE::restore_bodies(text, bodies);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (took.count() > std::max<double>(1.0, static_cast<double>(text.size()) / 1e6)) {
    __builtin_trap();
  }
  if (!restored.ok()) {
    if (!bodies.empty() || TPK::get_heap_counts().live_blocks != before) __builtin_trap();
  } else {
    std::string again;
    if (!TPI_FILE::save_bodies(bodies, again).ok()) __builtin_trap();
    for (BODY* body : bodies) TPI_MODEL::delete_body(body);
  }
  TPI_HISTORY::set_default(previous);
  scratch->clear();
  if (!TPI_HISTORY::delete_stream(scratch).ok()) __builtin_trap();
  return restored.ok();
}

inline void check_model_file(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!restores(text)) return;
  for (const std::string& lie : crafted_lies(text)) {
    if (restores(lie)) __builtin_trap();
  }
}
