#include <tagtrack/features/feature_list.h>

#include <algorithm>
#include <set>

namespace tagtrack {

outcome check_feature_list(const std::vector<feature>& features) {
  if (features.empty()) return outcome::failure("there are no features");
  std::set<std::string> before;
  for (const feature& f : features) {
    if (f.id.empty()) return outcome::failure("a feature has no id");
    for (const std::string& used : inputs_of(f)) {
      if (before.count(used) == 0) {
        return outcome::failure("feature '" + f.id + "': uses '" + used +
                                "', which is no earlier feature");
      }
    }
    if (!before.insert(f.id).second) {
      return outcome::failure("feature '" + f.id + "': the id is used twice");
    }
    if (const outcome valid = check_parameters(f); !valid) return valid;
  }
  return outcome();
}

long find_feature(const std::vector<feature>& features, const std::string& id) {
  for (std::size_t i = 0; i < features.size(); ++i) {
    if (features[i].id == id) return static_cast<long>(i);
  }
  return -1;
}

outcome set_feature(std::vector<feature>& features, feature f) {
  const long at = find_feature(features, f.id);
  if (at < 0) return outcome::failure("there is no feature '" + f.id + "'");
  features[static_cast<std::size_t>(at)] = std::move(f);
  return outcome();
}

outcome insert_feature(std::vector<feature>& features, const std::string& before, feature f) {
  const long at = find_feature(features, before);
  if (at < 0) return outcome::failure("there is no feature '" + before + "' to insert before");
  features.insert(features.begin() + at, std::move(f));
  return outcome();
}

outcome remove_feature(std::vector<feature>& features, const std::string& id,
                       const std::map<std::string, std::string>& reference_after) {
  const long at = find_feature(features, id);
  if (at < 0) return outcome::failure("there is no feature '" + id + "' to remove");
  feature& removed = features[static_cast<std::size_t>(at)];
  if (passes_through_when_removed(removed)) {
    removed.parameters = pass_through{inputs_of(removed).at(0)};
    return outcome();
  }
  for (const feature& f : features) {
    const std::vector<std::string> used = inputs_of(f);
    if (std::find(used.begin(), used.end(), id) != used.end()) {
      const std::string user = f.id.empty() ? "a feature without an id" : "'" + f.id + "'";
      return outcome::failure("feature '" + id + "' is removed but " + user + " uses it");
    }
  }
  for (const auto& [name, after] : reference_after) {
    if (after == id) {
      return outcome::failure("feature '" + id + "' is removed but reference '" + name +
                              "' is taken after it");
    }
  }
  features.erase(features.begin() + at);
  return outcome();
}

}  // namespace tagtrack
