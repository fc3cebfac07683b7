// History streams. Every body belongs to the stream that was the default when it was made. The
// kernel owns its streams; one stream exists from the start and is the default until another is
// made the default.
#pragma once

#include "kernel/heap.h"
#include "kernel/kernel_export.h"
#include "kernel/outcome.h"

class ENTITY;

class TPK_KERNEL_EXPORT HISTORY_STREAM : public TPK::TPK_heap {
 public:
  HISTORY_STREAM(const HISTORY_STREAM&) = delete;
  HISTORY_STREAM& operator=(const HISTORY_STREAM&) = delete;
  ~HISTORY_STREAM();

 private:
  friend struct tpk_history_access;
  HISTORY_STREAM() = default;
};

namespace TPI_HISTORY {

// The stream of the body that `entity` belongs to (an attribute's owner's body); fails, leaving
// `stream` untouched, for an entity without a body.
TPK_KERNEL_EXPORT outcome get_history_from_entity(ENTITY* entity, HISTORY_STREAM*& stream);
// With `create_new` false, gives the current default stream. With true, makes a new stream, makes
// it the default and gives it.
TPK_KERNEL_EXPORT outcome get_default(HISTORY_STREAM*& stream, bool create_new);
// Makes `stream` the default; fails for a null stream or one the kernel does not know.
TPK_KERNEL_EXPORT outcome set_default(HISTORY_STREAM* stream);

}  // namespace TPI_HISTORY
