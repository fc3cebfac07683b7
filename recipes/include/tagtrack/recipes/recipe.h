// Recipes: the stored, model-independent description of one face, edge or vertex by its own tags
// and its neighbours' recipes. A recipe tree is at most three levels deep: an edge recipe holds
// face recipes and vertex recipes, a vertex recipe holds face recipes and uv order data keyed by
// face position, a face recipe holds tags only. Recipes are values: copies are deep, destruction
// takes the whole tree, and no recipe points into a model, so it outlives the model it was made
// from. Recipes handed to callers are single objects made with new on the general heap and are
// deleted through IRecipe.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <vector>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/recipes/uv_order_data.h>
#include <tagtrack/tagging/tag_info.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class ITracker;

// The version of the recipe text that recipes made in memory answer to: 1 had numeric primary ids,
// 2 character ones, 3 adds the uv order data of vertex recipes.
constexpr std::int32_t current_recipe_version = 3;

class TAGTRACK_EXPORT IRecipe {
 public:
  IRecipe() = default;
  IRecipe(const IRecipe&) = default;
  IRecipe& operator=(const IRecipe&) = default;
  virtual ~IRecipe();

  // A new tracker of the recipe's own kind, owned by the caller.
  virtual ITracker* create_tracker() = 0;
  // "irecipe", "face_recipe", "edge_recipe" or "vertex_recipe".
  virtual const char* type_name();
  // The operation ids of the recipe tree (see each class).
  virtual void get_operation_ids(TPK::tpk_array<int>& ids);
  // The recipe text in a new array (new[]) that the caller frees with delete[].
  virtual void to_string(char*& text);
  // Reads the recipe text into this recipe, which should be freshly made.
  virtual void from_string(const char* text);
  // Gives every tag of the tree whose primary id is `old_id` a copy of `new_id`.
  virtual void replace_primary_id(const TPK::tpk_array<char>& old_id,
                                  const TPK::tpk_array<char>& new_id) = 0;
  // Changes every operation id `old_id` of the tree to `new_id`.
  virtual void replace_operation_id(int old_id, int new_id) = 0;

  std::int32_t get_version() const { return m_version; }
  void set_version(std::int32_t version) { m_version = version; }

 protected:
  std::int32_t m_version = current_recipe_version;
};

class TAGTRACK_EXPORT FACE_RECIPE : public IRecipe {
 public:
  FACE_RECIPE() = default;
  explicit FACE_RECIPE(const tag_info& tags);
  FACE_RECIPE(const FACE_RECIPE&) = default;
  FACE_RECIPE& operator=(const FACE_RECIPE&) = default;
  ~FACE_RECIPE() override;

  ITracker* create_tracker() override;
  const char* type_name() override;
  // Sets `ids` to the operation ids of the face's tags, replacing what it held.
  void get_operation_ids(TPK::tpk_array<int>& ids) override;
  void to_string(char*& text) override;
  void from_string(const char* text) override;
  void replace_primary_id(const TPK::tpk_array<char>& old_id,
                          const TPK::tpk_array<char>& new_id) override;
  void replace_operation_id(int old_id, int new_id) override;
  // Appends the recipe text to `out`.
  virtual void write_to_stream(std::ostream& out);
  // Reads one recipe text from `in` into this recipe.
  virtual void read_from_stream(std::istream& in);

  // A copy of the face's tags.
  tag_info get_tags() const { return m_tags; }
  const tag_info& tags() const { return m_tags; }
  // The face-recipe ordering: by the tags, under the tag-list ordering.
  bool operator<(const FACE_RECIPE& other) const { return m_tags < other.m_tags; }

 private:
  friend struct recipe_text;
  friend struct recipe_grammar;
  tag_info m_tags;
};

class TAGTRACK_EXPORT VERTEX_RECIPE : public IRecipe {
 public:
  using uv_orders = std::map<std::int32_t, uv_order_data>;

  VERTEX_RECIPE() = default;
  VERTEX_RECIPE(const tag_info& tags, const std::vector<FACE_RECIPE>& face_recipes,
                const uv_orders& uv);
  VERTEX_RECIPE(const VERTEX_RECIPE&) = default;
  VERTEX_RECIPE& operator=(const VERTEX_RECIPE&) = default;
  ~VERTEX_RECIPE() override;

  ITracker* create_tracker() override;
  const char* type_name() override;
  // Appends the operation ids of the vertex's tags, then of each face recipe in order.
  void get_operation_ids(TPK::tpk_array<int>& ids) override;
  void to_string(char*& text) override;
  void from_string(const char* text) override;
  void replace_primary_id(const TPK::tpk_array<char>& old_id,
                          const TPK::tpk_array<char>& new_id) override;
  void replace_operation_id(int old_id, int new_id) override;
  virtual void write_to_stream(std::ostream& out);
  virtual void read_from_stream(std::istream& in);

  const tag_info* get_tags() const { return &m_tags; }
  const std::vector<FACE_RECIPE>* get_face_recipes() const { return &m_face_recipes; }
  const uv_orders* get_uv_orders() const { return &m_uv_orders; }

 private:
  friend struct recipe_text;
  friend struct recipe_grammar;
  tag_info m_tags;
  std::vector<FACE_RECIPE> m_face_recipes;
  uv_orders m_uv_orders;
};

class TAGTRACK_EXPORT EDGE_RECIPE : public IRecipe {
 public:
  EDGE_RECIPE() = default;
  EDGE_RECIPE(const tag_info& tags, const std::vector<FACE_RECIPE>& face_recipes,
              const std::vector<VERTEX_RECIPE>& vertex_recipes);
  EDGE_RECIPE(const EDGE_RECIPE&) = default;
  EDGE_RECIPE& operator=(const EDGE_RECIPE&) = default;
  ~EDGE_RECIPE() override;

  ITracker* create_tracker() override;
  const char* type_name() override;
  // Appends the operation ids of the edge's tags, then of each face recipe, then of each vertex
  // recipe, in order.
  void get_operation_ids(TPK::tpk_array<int>& ids) override;
  void to_string(char*& text) override;
  void from_string(const char* text) override;
  void replace_primary_id(const TPK::tpk_array<char>& old_id,
                          const TPK::tpk_array<char>& new_id) override;
  void replace_operation_id(int old_id, int new_id) override;

  const tag_info* get_tags() const { return &m_tags; }
  const std::vector<FACE_RECIPE>* get_face_recipes() const { return &m_face_recipes; }
  const std::vector<VERTEX_RECIPE>* get_vertex_recipes() const { return &m_vertex_recipes; }

 private:
  friend struct recipe_text;
  friend struct recipe_grammar;
  tag_info m_tags;
  std::vector<FACE_RECIPE> m_face_recipes;
  std::vector<VERTEX_RECIPE> m_vertex_recipes;
};

}  // namespace TPI_TAGGING_TRACKING
