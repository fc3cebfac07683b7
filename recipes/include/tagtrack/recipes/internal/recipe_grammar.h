// The grammar of the recipe text, walked over any item source (text_items.h): the reader
// (recipe_text.cpp) and the check that finds a text's first problem (recipe_text_problem.cpp) are
// the same walk over different sources, so they cannot disagree on what a text holds.
//
// A recipe is its type word, its version and its tag list (tag_grammar.h, in the layout the
// version selects). An edge recipe then holds a counted list of face recipes and one of vertex
// recipes; a vertex recipe a counted list of face recipes and, from version 3 on, a counted list
// of uv order entries, each a key and seven numbers. A nested recipe's type word is skipped
// whatever it holds: its place decides its kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include <tagtrack/recipes/recipe.h>
#include <tagtrack/recipes/recipe_text.h>
#include <tagtrack/tagging/internal/tag_grammar.h>
#include <tagtrack/tagging/internal/text_items.h>

namespace TPI_TAGGING_TRACKING {

// Each body reads into a fresh recipe: every item that fails leaves its field at the default (a
// version at 0), and once one fails the rest of the walk still makes the nested recipes and tags
// whose counts were read, empty. merge() then stores a fresh recipe into the caller's.
struct recipe_grammar {
  // A whole recipe of any kind: its type word, then its body.
  template <class Items, class Recipe>
  static void read(Items& in, Recipe& recipe) {
    in.word({text_item::type_word});
    body(in, recipe);
  }

  // The items after the type word.
  template <class Items>
  static void body(Items& in, FACE_RECIPE& face) {
    face.m_version = 0;
    in.int32({text_item::version}, face.m_version);
    tag_grammar::list(in, face.m_tags, face.m_version);
  }

  // The version read decides the tag layout and whether uv entries follow; the recipe itself keeps
  // the version it was made with.
  template <class Items>
  static void body(Items& in, VERTEX_RECIPE& vertex) {
    std::int32_t version = 0;
    in.int32({text_item::version}, version);
    tag_grammar::list(in, vertex.m_tags, version);
    nested(in, text_item::faces_around_vertex, text_place::face_around_vertex,
           vertex.m_face_recipes);
    if (version > 2) uv_orders(in, vertex.m_uv_orders);
  }

  template <class Items>
  static void body(Items& in, EDGE_RECIPE& edge) {
    edge.m_version = 0;
    in.int32({text_item::version}, edge.m_version);
    tag_grammar::list(in, edge.m_tags, edge.m_version);
    nested(in, text_item::faces_along_edge, text_place::face_along_edge, edge.m_face_recipes);
    nested(in, text_item::vertices_of_edge, text_place::vertex_of_edge, edge.m_vertex_recipes);
  }

  // Stores a recipe read fresh into `target`: tags and (for faces and edges) the version replace
  // the target's, nested recipes are appended to the target's, and uv entries replace the target's
  // entries of the same key.
  static void merge(FACE_RECIPE& target, FACE_RECIPE& read) {
    target.m_version = read.m_version;
    target.m_tags = std::move(read.m_tags);
  }
  static void merge(VERTEX_RECIPE& target, VERTEX_RECIPE& read) {
    target.m_tags = std::move(read.m_tags);
    append(target.m_face_recipes, read.m_face_recipes);
    if (target.m_uv_orders.empty()) {
      target.m_uv_orders.swap(read.m_uv_orders);
    } else {
      for (const auto& [key, data] : read.m_uv_orders) target.m_uv_orders[key] = data;
    }
  }
  static void merge(EDGE_RECIPE& target, EDGE_RECIPE& read) {
    target.m_version = read.m_version;
    target.m_tags = std::move(read.m_tags);
    append(target.m_face_recipes, read.m_face_recipes);
    append(target.m_vertex_recipes, read.m_vertex_recipes);
  }

 private:
  template <class T>
  static void append(std::vector<T>& target, std::vector<T>& items) {
    if (target.empty())
      target.swap(items);
    else
      target.insert(target.end(), items.begin(), items.end());
  }

  // A count and that many nested recipes, each read into a fresh recipe. A count of 0 or below
  // means none; above max_nested_recipes the source refuses the list, so that a damaged count
  // cannot ask for unbounded work and memory.
  template <class Items, class Recipe>
  static void nested(Items& in, text_item what, text_place where, std::vector<Recipe>& recipes) {
    std::int32_t count = 0;
    in.int32({what}, count);
    if (count <= 0) return;
    if (static_cast<std::size_t>(count) > max_nested_recipes) {
      in.refuse(text_refusal::too_many_nested, {what}, count);
      return;
    }
    recipes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      [[maybe_unused]] const auto here = in.enter(where, i + 1, count);
      read(in, recipes.emplace_back());
    }
  }

  // A count and that many entries; a later key replaces an earlier one. Once the text has ended or
  // failed, every remaining entry would read as key 0 with all fields 0, so that entry is stored
  // once and reading stops: the work follows the text, not the count.
  template <class Items>
  static void uv_orders(Items& in, VERTEX_RECIPE::uv_orders& uv) {
    std::int32_t count = 0;
    in.int32({text_item::uv_order_count}, count);
    for (std::int32_t i = 0; i < count; ++i) {
      if (!in.good()) {
        uv[0] = uv_order_data();
        return;
      }
      [[maybe_unused]] const auto here = in.enter(text_place::uv_order_entry, i + 1, count);
      std::int32_t key = 0;
      in.int32({text_item::uv_order_key}, key);
      uv_order_data data;
      in.int32({text_item::uv_order_vertices}, data.m_num_vertices);
      in.int32({text_item::uv_order_u_rank}, data.m_u_rank);
      in.int32({text_item::uv_order_u_first}, data.m_u_first);
      in.int32({text_item::uv_order_u_last}, data.m_u_last);
      in.int32({text_item::uv_order_v_rank}, data.m_v_rank);
      in.int32({text_item::uv_order_v_first}, data.m_v_first);
      in.int32({text_item::uv_order_v_last}, data.m_v_last);
      uv[key] = data;
    }
  }
};

}  // namespace TPI_TAGGING_TRACKING
