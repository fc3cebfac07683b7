// Tag texts of any content, in both layouts: reading ends, stays in bounds and never leaks.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int version = data[0] % 4;  // 0 to 3: the legacy layout is 1
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  TT::tag_info tags;
  tags.read_text(in, version);
  std::ostringstream out;
  tags.write_text(out);
  int count = 0;
  tags.count_matches(tags, 7, count);
  return 0;
}
