// The process-wide callback slot, read by the tag attribute.
#pragma once

#include "tag_manager/copy_callback.h"

namespace TPI_TAGGING_TRACKING {

// The registered callback, or null.
TPK_COPY_ATTRIB_CB* registered_copy_callback();

}  // namespace TPI_TAGGING_TRACKING
