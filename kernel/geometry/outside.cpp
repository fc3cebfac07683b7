#include <tagtrack/kernel/geometry/outside.h>

#include <cctype>
#include <map>
#include <string>

#include <tagtrack/kernel/internal/model_text.h>

namespace TPK {

geometry_source::~geometry_source() = default;
geometry_family::~geometry_family() = default;

namespace {

// Ordered by name, so that nothing depends on the order of registration.
std::map<std::string, geometry_family*>& families() {
  static std::map<std::string, geometry_family*> registered;
  return registered;
}

bool valid_family_name(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c) {
    if (std::isspace(static_cast<unsigned char>(*c)) || *c == '"') return false;
  }
  surface_kind s{};
  curve_kind c{};
  return !tpk_detail::model_text::surface_kind_named(name, s) &&
         !tpk_detail::model_text::curve_kind_named(name, c);
}

}  // namespace

bool register_geometry_family(const char* name, geometry_family* family) {
  if (!valid_family_name(name)) return false;
  if (family == nullptr) {
    families().erase(name);
  } else {
    families()[name] = family;
  }
  return true;
}

geometry_family* find_geometry_family(const char* name) {
  if (name == nullptr) return nullptr;
  const auto found = families().find(name);
  return found == families().end() ? nullptr : found->second;
}

}  // namespace TPK
