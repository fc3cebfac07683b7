#include <tagtrack/tagging/internal/tag_events.h>

namespace TPI_TAGGING_TRACKING::tag_events {

namespace {
// Process-wide, constant-initialised, used from one thread at a time.
listener* g_listener = nullptr;
copy_query g_copy_query = nullptr;
}  // namespace

void set_listener(listener* target) {
  g_listener = target;
}

void set_copy_query(copy_query query) {
  g_copy_query = query;
}

void recorded(ATTRIB_CUSTOM* attrib) {
  if (g_listener != nullptr) g_listener->recorded(attrib);
}

void forgotten(ATTRIB_CUSTOM* attrib) {
  if (g_listener != nullptr) g_listener->forgotten(attrib);
}

void retagged(ATTRIB_CUSTOM* attrib, const tag_info* tags) {
  if (g_listener != nullptr) g_listener->retagged(attrib, tags);
}

bool copy_allowed() {
  return g_copy_query == nullptr || g_copy_query();
}

}  // namespace TPI_TAGGING_TRACKING::tag_events
