// Model files of any content: restoring either fails cleanly or gives valid bodies that save
// again; nothing leaks and nothing already in memory changes.
#include <cstddef>
#include <cstdint>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

#include "model_file_property.h"

namespace TT = TPI_TAGGING_TRACKING;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    return true;
  }();
  (void)registered;
  check_model_file(data, size);
  return 0;
}
