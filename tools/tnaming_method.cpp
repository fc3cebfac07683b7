#include "naming_methods.h"

namespace tagtrack_tool {

std::unique_ptr<naming_method> make_tnaming_method() {
  return nullptr;
}

}  // namespace tagtrack_tool
