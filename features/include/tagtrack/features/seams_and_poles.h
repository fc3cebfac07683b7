// Names of the edges and vertices that one face alone is around. Their recipes cannot tell them
// apart by the faces they name: a seam's names its one face twice, so no edge lies between two
// faces found; a pole's names it once, which leaves every vertex of the face. They are named by
// their face instead, and found by those names.
#pragma once

#include <tagtrack/features/features_export.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/outcome.h>

namespace tagtrack {

// Gives each seam of `body` (an edge with its one face on both sides) and each vertex that one
// face alone is around (a sphere's pole, a cone's apex) tags made from that face's: every tag of
// the face, its primary id followed by ".seam" for a seam across the surface's u period (where
// Open CASCADE puts the seam of a periodic face) or ".seam.v" across its v period, and by ".pole"
// for a vertex (".pole1", ".pole2", ... in the order of their surface parameters, v first, when
// one face closes on several). Secondary and operation ids are the face's, so that the names
// follow the face through every edit that keeps its tags, and they are made anew whenever the
// face's tags changed (a copy's seams and poles are the copy's). A lone pole's name is the one a
// revolve gives it. The seams and poles of untagged faces are left as they are. Fails with the
// kernel's reason when an attribute cannot be attached or changed.
TAGTRACK_FEATURES_EXPORT outcome name_seams_and_poles(BODY* body);

}  // namespace tagtrack
