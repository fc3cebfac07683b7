// The regeneration of one feature with the tag manager around it, as one object: constructing it
// seeds the C library's generator with the feature's number and switches the tag manager on;
// resolve_duplicates() gives the duplicated tags the operation left fresh secondary ids; leaving
// the scope switches the manager off, discarding what an operation that failed left recorded.
//
// Seeding with the feature's own number is what makes regeneration repeatable: every run of the
// same history gives the same pieces the same secondary ids, whatever ran before.
//
//   TPI_TAGGING_TRACKING::tag_manager_scope scope(feature_number);
//   const outcome done = TPI_MODEL::split_face(...);   // any operation that may duplicate tags
//   if (done.ok()) scope.resolve_duplicates();
#pragma once

#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT tag_manager_scope {
 public:
  explicit tag_manager_scope(unsigned feature_number);
  ~tag_manager_scope();
  tag_manager_scope(const tag_manager_scope&) = delete;
  tag_manager_scope& operator=(const tag_manager_scope&) = delete;

  // Renumbers the duplicates recorded so far (manageDupicateTags); the manager is off afterwards.
  void resolve_duplicates();
};

}  // namespace TPI_TAGGING_TRACKING
