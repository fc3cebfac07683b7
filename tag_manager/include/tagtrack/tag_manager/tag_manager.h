// The tag manager watches, while it is active, for attributes that end up with equal tags: the
// tag attribute records in it every attribute that a split or copy duplicated, an edit changed,
// or a roll brought back, under a copy of its tag list.
#pragma once

#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// Empties the tag manager's registry, then switches it on or off. Switching on always starts from
// an empty registry; switching off discards what was recorded.
TAGTRACK_EXPORT void activateTagManager(bool on);

// Gives every recorded attribute whose whole tag list equals another recorded attribute's a fresh
// secondary id on its first tag: the next value of the C library's rand(), which the system never
// seeds. Each attribute of such a group gets its own value, the first included; other tags and
// attributes recorded alone are left as they are. Groups are taken in the order of their tag
// lists and the attributes of a group in the order the kernel created them, never by address: an
// application that seeds rand() the same way before each regeneration gets the same secondary ids
// on the same pieces. Each change is handed to the kernel while the
// history stream of the attribute's owner is the default, so it can be rolled back there.
// Afterwards the registry is empty and the manager inactive.
TAGTRACK_EXPORT void manageDupicateTags();

}  // namespace TPI_TAGGING_TRACKING
