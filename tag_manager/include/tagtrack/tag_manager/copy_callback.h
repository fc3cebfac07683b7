// The caller's say on whether tag attributes may be copied. The kernel asks a tag attribute's
// definition copyable() before it copies the attribute with its owner; the definition asks the
// registered callback, and without one the answer is yes.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT TPK_COPY_ATTRIB_CB {
 public:
  TPK_COPY_ATTRIB_CB();
  virtual ~TPK_COPY_ATTRIB_CB();
  // Sets `allow` to whether the attribute may be copied. The owner passed is always null. This
  // class allows copying and gives true; the result itself is not used.
  virtual bool copy_attrib_with_owner(const ENTITY* owner, bool& allow);
};

// Makes `cb` the registered callback, replacing any other; the caller keeps it alive while it is
// registered. Always true.
TAGTRACK_EXPORT bool register_callback(TPK_COPY_ATTRIB_CB& cb);
// Empties the callback slot; true when it held `cb`.
TAGTRACK_EXPORT bool unregister_callback(TPK_COPY_ATTRIB_CB& cb);

}  // namespace TPI_TAGGING_TRACKING
