// Scenario files of any content: reading either refuses with one line naming the file, or gives a
// scenario whose every step's changes apply again to the features they were checked against.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scenario_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string path = "fuzz.json";
  tagtrack_tool::scenario s;
  std::string error;
  if (!tagtrack_tool::read_scenario_text(text, path, s, error)) {
    if (error.compare(0, path.size() + 2, path + ": ") != 0) __builtin_trap();
    return 0;
  }
  if (!error.empty() || s.file != path) __builtin_trap();
  nlohmann::json features = s.features;
  for (const tagtrack_tool::scenario_step& step : s.edits) {
    if (!tagtrack_tool::apply_changes(s, step.changes, features, error)) __builtin_trap();
  }
  return 0;
}
