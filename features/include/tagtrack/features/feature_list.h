// An ordered list of features and the edits an application makes to it. The edits change the
// list only where they succeed; the list as a whole is checked by check_feature_list, after a
// group of edits (an insert may be followed by the change that makes a later feature use it).
#pragma once

#include <map>
#include <string>
#include <vector>

#include <tagtrack/features/feature.h>
#include <tagtrack/features/features_export.h>
#include <tagtrack/kernel/outcome.h>

namespace tagtrack {

// Fails, naming the feature, for an empty list, an empty or repeated id, a feature that uses one
// that does not come before it, or parameters that make no feature (check_parameters).
TAGTRACK_FEATURES_EXPORT outcome check_feature_list(const std::vector<feature>& features);

// The position of the feature with that id, or -1.
TAGTRACK_FEATURES_EXPORT long find_feature(const std::vector<feature>& features,
                                           const std::string& id);

// Replaces the feature with `f`'s id by `f`.
TAGTRACK_FEATURES_EXPORT outcome set_feature(std::vector<feature>& features, feature f);

// Places `f` right before feature `before`, after any placed there earlier.
TAGTRACK_FEATURES_EXPORT outcome insert_feature(std::vector<feature>& features,
                                                const std::string& before, feature f);

// Removes feature `id`. A removed fillet, chamfer, unification, shell, draft or move leaves its
// target's result under its own id (a pass_through), so that what used it still finds a result;
// removing any other feature that a later feature uses, or that a reference is taken after
// (`reference_after`: reference name to feature id), fails.
TAGTRACK_FEATURES_EXPORT outcome
remove_feature(std::vector<feature>& features, const std::string& id,
               const std::map<std::string, std::string>& reference_after);

}  // namespace tagtrack
