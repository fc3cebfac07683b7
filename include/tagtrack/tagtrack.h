// tagtrack's front door: one include gives what an application needs, and short names for the
// library's namespaces.
//   tagtrack::naming   tags, recipes, trackers and matchers (TPI_TAGGING_TRACKING), with the
//                      modelling-kernel boundary they sit on
//   tagtrack::occt     bodies backed by Open CASCADE shapes and its algorithms carried over to
//                      them (TPI_OCCT), when the library was built with Open CASCADE
//   tagtrack::         features, the feature history and its references, the tagging scheme
// The reference kernel's construction, operations and model files are in
// <tagtrack/kernel/kernel.h>.
#pragma once

#include <tagtrack/tagging_tracking.h>

namespace tagtrack {
namespace naming = ::TPI_TAGGING_TRACKING;
}  // namespace tagtrack

#if __has_include(<tagtrack/features/feature_history.h>)
#include <tagtrack/features/entity_pick.h>
#include <tagtrack/features/feature.h>
#include <tagtrack/features/feature_history.h>
#include <tagtrack/features/tagging_scheme.h>
#include <tagtrack/occt/operations.h>
#include <tagtrack/occt/part_files.h>
#include <tagtrack/occt/shape_bodies.h>

namespace tagtrack {
namespace occt = ::TPI_OCCT;
}  // namespace tagtrack
#endif
