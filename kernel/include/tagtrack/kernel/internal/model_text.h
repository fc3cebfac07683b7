// Words and limits of the model file text, shared by its writer and its reader. The layout is
// described in docs/model_files.md.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include <tagtrack/kernel/geometry/curve.h>
#include <tagtrack/kernel/geometry/surface.h>

namespace tpk_detail {
namespace model_text {

// The first two tokens of every model file.
constexpr std::string_view magic = "tagtrack-model";
constexpr int format_version = 1;

// Section words, in the order they appear.
constexpr std::string_view word_bodies = "bodies";
constexpr std::string_view word_body = "body";
constexpr std::string_view word_sources = "sources";  // optional: outside geometry's sources
constexpr std::string_view word_vertices = "vertices";
constexpr std::string_view word_edges = "edges";
constexpr std::string_view word_faces = "faces";
constexpr std::string_view word_rings = "edge-rings";
constexpr std::string_view word_vertex_edges = "vertex-edges";
constexpr std::string_view word_attributes = "attributes";

// Owners of attribute groups. The body has no index; the others are followed by their index in
// the body's section of that kind (loops and coedges numbered in the order the faces list them).
constexpr std::string_view owner_body = "body";
constexpr std::string_view owner_face = "face";
constexpr std::string_view owner_loop = "loop";
constexpr std::string_view owner_coedge = "coedge";
constexpr std::string_view owner_edge = "edge";
constexpr std::string_view owner_vertex = "vertex";

// Item types of an attribute record.
constexpr char item_int = 'i';
constexpr char item_double = 'd';
constexpr char item_string = 's';

// No kind of curve or surface is described by more numbers than this; a larger count in a file is
// refused before anything is read for it.
constexpr std::size_t max_geometry_numbers = 64;

// The kinds' names are their type_name()s.
constexpr surface_kind surface_kinds[] = {surface_kind::plane, surface_kind::cylinder,
                                          surface_kind::cone, surface_kind::sphere,
                                          surface_kind::torus};
constexpr const char* surface_names[] = {"plane", "cylinder", "cone", "sphere", "torus"};
constexpr curve_kind curve_kinds[] = {curve_kind::straight, curve_kind::circle};
constexpr const char* curve_names[] = {"straight", "circle"};

inline bool surface_kind_named(std::string_view name, surface_kind& kind) {
  for (std::size_t i = 0; i < std::size(surface_kinds); ++i) {
    if (name == surface_names[i]) {
      kind = surface_kinds[i];
      return true;
    }
  }
  return false;
}

inline bool curve_kind_named(std::string_view name, curve_kind& kind) {
  for (std::size_t i = 0; i < std::size(curve_kinds); ++i) {
    if (name == curve_names[i]) {
      kind = curve_kinds[i];
      return true;
    }
  }
  return false;
}

}  // namespace model_text
}  // namespace tpk_detail
