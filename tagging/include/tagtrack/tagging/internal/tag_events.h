// What the tag attribute tells the layer above it while the kernel changes tagged entities. The
// tag attribute is below the tag manager, so it cannot name it: it reports through this seam, and
// the tag manager installs itself here when it is switched on or given a copy callback. With
// nothing installed, every report is dropped and every copy is allowed.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>

namespace TPI_TAGGING_TRACKING {
class tag_info;
}

namespace TPI_TAGGING_TRACKING::tag_events {

// Hears of tag attributes whose tags were duplicated or brought back (recorded), of those about to
// leave the model or to have their definition swapped by a roll (forgotten), and of those whose
// tags an edit is about to change to `tags` (retagged; null for no list). retagged either succeeds
// or throws with the listener's state as it was. Not owned; installed for the process.
class listener {
 public:
  virtual void recorded(ATTRIB_CUSTOM* attrib) = 0;
  virtual void forgotten(ATTRIB_CUSTOM* attrib) = 0;
  virtual void retagged(ATTRIB_CUSTOM* attrib, const tag_info* tags) = 0;

 protected:
  ~listener() = default;
};

// Answers whether tag attributes may be copied with their owners.
using copy_query = bool (*)();

void set_listener(listener* target);
void set_copy_query(copy_query query);

void recorded(ATTRIB_CUSTOM* attrib);
void forgotten(ATTRIB_CUSTOM* attrib);
void retagged(ATTRIB_CUSTOM* attrib, const tag_info* tags);
bool copy_allowed();

}  // namespace TPI_TAGGING_TRACKING::tag_events
