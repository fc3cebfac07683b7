// Model files holding Open CASCADE shapes, of any content: restoring either fails cleanly or gives
// valid bodies that save again; nothing leaks and nothing already in memory changes.
//
// An embedded shape carries a check sum, and a shape text whose sum does not match is refused
// before Open CASCADE's reader sees it: mutations reach the model file's own records, the sum
// check and the indices into the shape, not that reader, which does not survive damaged text (it
// dereferences null geometry, and loops without end on a sub-shape list it cannot read). Run it
// with -use_cmp=0, as scripts/fuzz.sh does: libFuzzer otherwise copies the sum a text is compared
// with into its inputs and gets damaged texts past the check.
#include <cstddef>
#include <cstdint>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>

#include "model_file_property.h"

namespace TT = TPI_TAGGING_TRACKING;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    TPI_OCCT::register_model_file_geometry();
    return true;
  }();
  (void)registered;
  check_model_file(data, size);
  return 0;
}
