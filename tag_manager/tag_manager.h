// The tag manager watches, while it is active, for attributes that end up with equal tags: the
// tag attribute records in it every attribute that a split or copy duplicated, an edit changed,
// or a roll brought back, under a copy of its tag list.
#pragma once

#include "tagtrack_export.h"

namespace TPI_TAGGING_TRACKING {

// Empties the tag manager's registry, then switches it on or off. Switching on always starts from
// an empty registry; switching off discards what was recorded.
TAGTRACK_EXPORT void activateTagManager(bool on);

}  // namespace TPI_TAGGING_TRACKING
