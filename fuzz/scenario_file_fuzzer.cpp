// Scenario files of any content: reading either refuses with one line naming the file, or gives a
// scenario whose every step's changes apply again to the features they were checked against.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include <tagtrack/features/feature_list.h>
#include <tagtrack/scenario_runner/scenario_file.h>

namespace ts = tagtrack::scenarios;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string path = "fuzz.json";
  ts::scenario s;
  const outcome read = ts::read_scenario_text(text, path, s);
  if (!read) {
    if (read.message().compare(0, path.size() + 2, path + ": ") != 0) __builtin_trap();
    return 0;
  }
  if (s.file != path) __builtin_trap();
  std::map<std::string, std::string> after;
  for (const ts::scenario_reference& r : s.references) after[r.name] = r.after;
  std::vector<tagtrack::feature> features = s.features;
  for (const ts::scenario_step& step : s.edits) {
    for (const ts::change& c : step.changes) {
      const outcome applied = c.what == ts::change::kind::set
                                  ? tagtrack::set_feature(features, c.value)
                              : c.what == ts::change::kind::insert
                                  ? tagtrack::insert_feature(features, c.before, c.value)
                                  : tagtrack::remove_feature(features, c.id, after);
      if (!applied) __builtin_trap();
    }
    if (!tagtrack::check_feature_list(features)) __builtin_trap();
  }
  return 0;
}
