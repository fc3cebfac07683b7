#include <tagtrack/tag_manager/tag_manager_scope.h>

#include <cstdlib>

#include <tagtrack/tag_manager/tag_manager.h>

namespace TPI_TAGGING_TRACKING {

tag_manager_scope::tag_manager_scope(unsigned feature_number) {
  std::srand(feature_number);
  activateTagManager(true);
}

tag_manager_scope::~tag_manager_scope() {
  activateTagManager(false);
}

void tag_manager_scope::resolve_duplicates() {
  manageDupicateTags();
}

}  // namespace TPI_TAGGING_TRACKING
