#include "tag_manager/copy_callback.h"

#include "tag_manager/internal/copy_callback_slot.h"

namespace TPI_TAGGING_TRACKING {

namespace {
TPK_COPY_ATTRIB_CB* g_slot = nullptr;  // not owned
}

TPK_COPY_ATTRIB_CB::TPK_COPY_ATTRIB_CB() = default;
TPK_COPY_ATTRIB_CB::~TPK_COPY_ATTRIB_CB() = default;

bool TPK_COPY_ATTRIB_CB::copy_attrib_with_owner(const ENTITY*, bool& allow) {
  allow = true;
  return true;
}

bool register_callback(TPK_COPY_ATTRIB_CB& cb) {
  g_slot = &cb;
  return true;
}

bool unregister_callback(TPK_COPY_ATTRIB_CB& cb) {
  const bool held = g_slot == &cb;
  g_slot = nullptr;
  return held;
}

TPK_COPY_ATTRIB_CB* registered_copy_callback() {
  return g_slot;
}

}  // namespace TPI_TAGGING_TRACKING
