#include <tagtrack/tag_manager/copy_callback.h>

#include <tagtrack/tagging/internal/tag_events.h>

namespace TPI_TAGGING_TRACKING {

namespace {

TPK_COPY_ATTRIB_CB* g_slot = nullptr;  // not owned

// The registered callback's answer; yes when the slot is empty.
bool ask_registered_callback() {
  if (g_slot == nullptr) return true;
  bool allow = true;
  g_slot->copy_attrib_with_owner(nullptr, allow);
  return allow;
}

}  // namespace

TPK_COPY_ATTRIB_CB::TPK_COPY_ATTRIB_CB() = default;
TPK_COPY_ATTRIB_CB::~TPK_COPY_ATTRIB_CB() = default;

bool TPK_COPY_ATTRIB_CB::copy_attrib_with_owner(const ENTITY*, bool& allow) {
  allow = true;
  return true;
}

bool register_callback(TPK_COPY_ATTRIB_CB& cb) {
  g_slot = &cb;
  tag_events::set_copy_query(&ask_registered_callback);
  return true;
}

bool unregister_callback(TPK_COPY_ATTRIB_CB& cb) {
  const bool held = g_slot == &cb;
  g_slot = nullptr;
  return held;
}

}  // namespace TPI_TAGGING_TRACKING
