#include "recipe_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/scenario_runner/whole_file.h>
#include <tagtrack/tagging_tracking.h>

#include "match_report.h"

namespace TT = TPI_TAGGING_TRACKING;
using nlohmann::json;

namespace tagtrack_tool {

namespace {

[[noreturn]] void refuse(const std::string& what) {
  throw CLI::RuntimeError("tagtrack: " + what, 1);
}

// The whole of a file, or of standard input for "" or "-"; one trailing line break removed.
std::string read_input(const std::string& path) {
  std::string text;
  if (path.empty() || path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    if (const outcome read = tagtrack::scenarios::read_whole_file(path, text); !read) {
      refuse(read.message());
    }
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

std::string shown_name(const std::string& path) {
  return path.empty() || path == "-" ? std::string("standard input") : "'" + path + "'";
}

TT::recipe_ptr read_or_refuse(const std::string& path) {
  const std::string text = read_input(path);
  TT::recipe_ptr recipe = TT::read_recipe(text);
  if (recipe == nullptr) refuse(shown_name(path) + " is not a recipe text");
  return recipe;
}

std::string primary_of(const TT::tag_data& tag) {
  return std::string(tag.m_primary_id.begin(), tag.m_primary_id.end());
}

json tags_json(const TT::tag_info& tags) {
  json out = json::array();
  for (const TT::tag_data& t : tags) {
    json ops = json::array();
    for (int op : t.m_operation_ids) ops.push_back(op);
    out.push_back(
        {{"primary", primary_of(t)}, {"secondary", t.m_secondary_id}, {"operations", ops}});
  }
  return out;
}

std::string tags_text(const TT::tag_info& tags) {
  if (tags.size() == 0) return "(no tags)";
  std::string out;
  for (const TT::tag_data& t : tags) {
    if (!out.empty()) out += ", ";
    out += primary_of(t) + " (secondary " + std::to_string(t.m_secondary_id) + ", operations";
    if (t.m_operation_ids.size() == 0) out += " none";
    for (int op : t.m_operation_ids) out += " " + std::to_string(op);
    out += ")";
  }
  return out;
}

json vertex_json(const TT::VERTEX_RECIPE& v) {
  json faces = json::array();
  for (const TT::FACE_RECIPE& f : *v.get_face_recipes()) faces.push_back(tags_json(f.tags()));
  json uv = json::array();
  for (const auto& [position, data] : *v.get_uv_orders()) {
    uv.push_back({{"face", position},
                  {"vertices", data.m_num_vertices},
                  {"u_rank", data.m_u_rank},
                  {"u_first", data.m_u_first},
                  {"u_last", data.m_u_last},
                  {"v_rank", data.m_v_rank},
                  {"v_first", data.m_v_first},
                  {"v_last", data.m_v_last}});
  }
  return {{"type", "vertex"}, {"tags", tags_json(*v.get_tags())}, {"faces", faces}, {"uv", uv}};
}

json recipe_json(TT::IRecipe* recipe) {
  json out;
  if (auto* face = dynamic_cast<TT::FACE_RECIPE*>(recipe)) {
    out = {{"type", "face"}, {"tags", tags_json(face->tags())}};
  } else if (auto* vertex = dynamic_cast<TT::VERTEX_RECIPE*>(recipe)) {
    out = vertex_json(*vertex);
  } else if (auto* edge = dynamic_cast<TT::EDGE_RECIPE*>(recipe)) {
    json faces = json::array(), vertices = json::array();
    for (const TT::FACE_RECIPE& f : *edge->get_face_recipes()) faces.push_back(tags_json(f.tags()));
    for (const TT::VERTEX_RECIPE& v : *edge->get_vertex_recipes())
      vertices.push_back(vertex_json(v));
    out = {{"type", "edge"},
           {"tags", tags_json(*edge->get_tags())},
           {"faces", faces},
           {"vertices", vertices}};
  }
  out["version"] = recipe->get_version();
  return out;
}

// The line of `text` that holds `offset`, cut to a window round it, and a caret under the offset:
// two lines, each indented by two blanks. Tabs show as blanks and other control bytes as '?', so
// that the caret stays under its character.
std::string marked_place(const std::string& text, std::size_t offset) {
  const std::size_t line_start = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;
  const std::size_t line_end = std::min(text.find('\n', offset), text.size());
  const std::size_t window = 36;
  const std::size_t from = offset - line_start > window ? offset - window : line_start;
  const std::size_t to = line_end - offset > window ? offset + window : line_end;
  std::string shown = from > line_start ? "..." : "";
  const std::size_t caret = shown.size() + (offset - from);
  for (std::size_t i = from; i < to; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    shown += c == '\t' ? ' ' : (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
  }
  if (to < line_end) shown += "...";
  return "  " + shown + "\n  " + std::string(caret, ' ') + "^\n";
}

void print_vertex(const TT::VERTEX_RECIPE& v, const std::string& indent) {
  std::printf("%stags: %s\n", indent.c_str(), tags_text(*v.get_tags()).c_str());
  int k = 0;
  for (const TT::FACE_RECIPE& f : *v.get_face_recipes()) {
    std::printf("%sface %d around it: %s\n", indent.c_str(), ++k, tags_text(f.tags()).c_str());
  }
  for (const auto& [position, d] : *v.get_uv_orders()) {
    std::printf("%son face %d: %d of %d by u (ties %d to %d), %d of %d by v (ties %d to %d)\n",
                indent.c_str(), position + 1, d.m_u_rank, d.m_num_vertices, d.m_u_first, d.m_u_last,
                d.m_v_rank, d.m_num_vertices, d.m_v_first, d.m_v_last);
  }
}

void print_tree(TT::IRecipe* recipe, const std::string& indent) {
  const char* in = indent.c_str();
  const std::string type = recipe->type_name();
  std::printf("%s%s recipe, version %d\n", in, type.substr(0, type.find('_')).c_str(),
              recipe->get_version());
  if (auto* face = dynamic_cast<TT::FACE_RECIPE*>(recipe)) {
    std::printf("%s  the face's tags: %s\n", in, tags_text(face->tags()).c_str());
  } else if (auto* vertex = dynamic_cast<TT::VERTEX_RECIPE*>(recipe)) {
    print_vertex(*vertex, indent + "  ");
  } else if (auto* edge = dynamic_cast<TT::EDGE_RECIPE*>(recipe)) {
    std::printf("%s  tags: %s\n", in, tags_text(*edge->get_tags()).c_str());
    int k = 0;
    for (const TT::FACE_RECIPE& f : *edge->get_face_recipes()) {
      std::printf("%s  face %d along it: %s\n", in, ++k, tags_text(f.tags()).c_str());
    }
    k = 0;
    for (const TT::VERTEX_RECIPE& v : *edge->get_vertex_recipes()) {
      std::printf("%s  vertex %d (an end):\n", in, ++k);
      print_vertex(v, indent + "    ");
    }
  }
}

}  // namespace

void print_recipe_tree(TPI_TAGGING_TRACKING::IRecipe* recipe, const std::string& indent) {
  print_tree(recipe, indent);
}

void add_recipe(CLI::App& app) {
  CLI::App* recipe = app.add_subcommand("recipe", "Read, check and compare recipe texts");
  recipe->require_subcommand(1);

  CLI::App* show =
      recipe->add_subcommand("show", "A recipe text as a tree: tags, faces, vertices, uv order");
  auto show_file = std::make_shared<std::string>();
  auto show_json = std::make_shared<bool>(false);
  show->add_option("FILE", *show_file, "the recipe text (standard input when left out or -)");
  show->add_flag("--json", *show_json, "print the tree as JSON");
  show->callback([show_file, show_json] {
    const std::string text = read_input(*show_file);
    TT::recipe_ptr r = TT::read_recipe(text);
    if (r == nullptr) refuse(shown_name(*show_file) + " is not a recipe text");
    // A damaged text may still read, up to where it goes wrong: the tree is then what was read
    // before that point, and the reader is told so.
    if (const std::optional<TT::recipe_text_fault> problem = TT::recipe_text_problem(text)) {
      std::fprintf(stderr,
                   "tagtrack: %s is not a well-formed recipe text (line %zu, column %zu: %s); "
                   "shown is what reads before that point\n",
                   shown_name(*show_file).c_str(), problem->line, problem->column,
                   problem->reason.c_str());
    }
    if (*show_json) {
      std::printf("%s\n", recipe_json(r.get()).dump(2).c_str());
    } else {
      print_tree(r.get(), "");
    }
  });

  CLI::App* check = recipe->add_subcommand(
      "check",
      "Whether a recipe text is well formed (or where it goes wrong) and writes back unchanged");
  auto check_file = std::make_shared<std::string>();
  auto check_json = std::make_shared<bool>(false);
  check->add_option("FILE", *check_file, "the recipe text (standard input when left out or -)");
  check->add_flag("--json", *check_json, "print the verdict as JSON");
  check->callback([check_file, check_json] {
    const std::string text = read_input(*check_file);
    if (const std::optional<TT::recipe_text_fault> problem = TT::recipe_text_problem(text)) {
      if (*check_json) {
        const json out = {{"well_formed", false},
                          {"offset", problem->offset},
                          {"line", problem->line},
                          {"column", problem->column},
                          {"reason", problem->reason}};
        std::printf("%s\n", out.dump(2).c_str());
      } else {
        std::printf("not a well-formed recipe text: line %zu, column %zu: %s\n%s", problem->line,
                    problem->column, problem->reason.c_str(),
                    marked_place(text, problem->offset).c_str());
      }
      throw CLI::RuntimeError("", 1);
    }
    TT::recipe_ptr r = TT::read_recipe(text);
    std::string reason;
    const bool survives = TT::survives_recipe_text(r.get(), &reason);
    const std::string again = TT::recipe_text(r.get());
    if (*check_json) {
      json out = {{"well_formed", true},
                  {"reads_back_the_same", survives},
                  {"writes_back_unchanged", survives && again == text}};
      if (!survives) out["reason"] = reason;
      if (survives && again != text) out["written"] = again;
      std::printf("%s\n", out.dump(2).c_str());
    } else if (!survives) {
      std::printf("well formed, but it does not write back unchanged: %s\n", reason.c_str());
    } else if (again != text) {
      std::printf("well formed; it writes back in another form (the same recipe):\n%s\n",
                  again.c_str());
    } else {
      std::printf("well formed, and it writes back unchanged\n");
    }
    if (!survives) throw CLI::RuntimeError("", 1);
  });

  CLI::App* same = recipe->add_subcommand(
      "same", "Whether the recipe texts in two files name the same thing, and where they differ");
  auto a = std::make_shared<std::string>(), b = std::make_shared<std::string>();
  same->add_option("FILE_A", *a, "the file of the first recipe text (- for standard input)")
      ->required();
  same->add_option("FILE_B", *b, "the file of the second recipe text")->required();
  same->callback([a, b] {
    TT::recipe_ptr first = read_or_refuse(*a), second = read_or_refuse(*b);
    const bool equal = TT::is_same_Recipe(first.get(), second.get());
    std::printf("%s\n", equal ? "the same recipe" : "different recipes");
    if (!equal) {
      // Where they differ: the first place their trees disagree.
      const json x = recipe_json(first.get()), y = recipe_json(second.get());
      const json patch = json::diff(x, y);
      for (const json& change : patch) {
        std::printf("  %s at %s\n", change.value("op", "").c_str(),
                    change.value("path", "").c_str());
      }
      throw CLI::RuntimeError("", 1);
    }
  });
}

namespace {

std::string point_text(const TPK::position& p) {
  char text[96];
  std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x, p.y, p.z);
  return text;
}

std::string entity_tags(ENTITY* e) {
  const TT::tag_info* tags = TT::tags_on(e);
  return tags == nullptr ? std::string("(no tags)") : tags_text(*tags);
}

// A point of the entity: a vertex's, the middle of an edge, the middle of a face's first edge.
TPK::position point_on(ENTITY* e) {
  if (auto* v = dynamic_cast<VERTEX*>(e)) return v->point();
  if (auto* edge = dynamic_cast<EDGE*>(e)) {
    return edge->geometry()->eval(0.5 * (edge->t_start() + edge->t_end()));
  }
  auto* face = static_cast<FACE*>(e);
  TPK::tpk_array<EDGE*> edges;
  TPI_QUERY::get_edges(TPK::as_entity(face), edges);
  if (edges.size() == 0) return {};
  EDGE* first = edges[0];
  return first->geometry()->eval(0.5 * (first->t_start() + first->t_end()));
}

// A model file's bodies, restored on a history stream of their own that goes with them: the
// command never rolls back, so nothing of the model outlives it.
class loaded_model {
 public:
  loaded_model() {
    TPI_HISTORY::get_default(m_previous, false);
    TPI_HISTORY::get_default(m_stream, true);
  }
  loaded_model(const loaded_model&) = delete;
  loaded_model& operator=(const loaded_model&) = delete;
  // Deleting a body allocates, and a destructor must not throw: when memory has run out here too,
  // what is left goes with the process. Callers release() first, where running out is reported.
  ~loaded_model() {
    try {
      release();
    } catch (const std::bad_alloc&) {
    }
  }

  // Deletes the bodies and their stream, and makes the previous stream the default again; a call
  // that runs out of memory leaves what it did not delete for the next call. Deleted bodies stay
  // readable until their stream goes, so the list is emptied before the stream is deleted.
  void release() {
    for (BODY* b : bodies) {
      if (b->alive()) TPI_MODEL::delete_body(b);
    }
    bodies.clear();
    if (m_stream == nullptr) return;
    TPI_HISTORY::set_default(m_previous);
    TPI_HISTORY::delete_stream(m_stream);
    m_stream = nullptr;
  }

  std::vector<BODY*> bodies;

 private:
  HISTORY_STREAM* m_previous = nullptr;
  HISTORY_STREAM* m_stream = nullptr;
};

void load_model(const std::string& path, loaded_model& model) {
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
  TPI_OCCT::register_model_file_geometry();
  const std::string text = read_input(path);
  if (text.empty()) refuse(shown_name(path) + " is empty");
  const outcome read = TPI_FILE::restore_bodies(text, model.bodies);
  if (!read.ok()) {
    // The kernel names its function first; the reader of a message wants the file and the place.
    std::string why = read.message();
    const std::string own = "restore_bodies: ";
    if (why.compare(0, own.size(), own) == 0) why.erase(0, own.size());
    refuse(shown_name(path) + " is not a model file that reads: " + why);
  }
}

json entity_json(ENTITY* e, const char* kind, std::size_t index) {
  const TT::tag_info* tags = TT::tags_on(e);
  const TPK::position p = point_on(e);
  return {{"kind", kind},
          {"index", index},
          {"tags", tags == nullptr ? json::array() : tags_json(*tags)},
          {"point", {p.x, p.y, p.z}}};
}

// An entity found in the model: its kind, body and number in the body (as `model show` numbers
// them), tags and a point.
json entity_json(ENTITY* e, const std::vector<BODY*>& bodies) {
  const auto number = [](auto& items, ENTITY* entity) -> std::ptrdiff_t {
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (TPK::as_entity(items[i]) == entity) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  };
  for (std::size_t b = 0; b < bodies.size(); ++b) {
    for (const char* kind : {"face", "edge", "vertex"}) {
      const std::ptrdiff_t i = kind[0] == 'f'   ? number(bodies[b]->faces(), e)
                               : kind[0] == 'e' ? number(bodies[b]->edges(), e)
                                                : number(bodies[b]->vertices(), e);
      if (i < 0) continue;
      json out = entity_json(e, kind, static_cast<std::size_t>(i));
      out["body"] = b;
      return out;
    }
  }
  return entity_json(e, e->type_name(), 0);
}

}  // namespace

void add_model(CLI::App& app) {
  CLI::App* model = app.add_subcommand("model", "Look into model files");
  model->require_subcommand(1);
  CLI::App* show = model->add_subcommand(
      "show", "The bodies of a model file: faces, edges and vertices with their tags and a point");
  auto file = std::make_shared<std::string>();
  auto as_json = std::make_shared<bool>(false);
  show->add_option("FILE", *file, "a model file (standard input when left out or -)");
  show->add_flag("--json", *as_json, "print the bodies as JSON");
  show->callback([file, as_json] {
    loaded_model m;
    load_model(*file, m);
    json out = json::array();
    for (std::size_t b = 0; b < m.bodies.size(); ++b) {
      BODY* body = m.bodies[b];
      json entities = json::array();
      if (!*as_json) {
        std::printf("body %zu: %zu faces, %zu edges, %zu vertices\n", b, body->faces().size(),
                    body->edges().size(), body->vertices().size());
      }
      const auto list = [&](auto& items, const char* kind) {
        for (std::size_t i = 0; i < items.size(); ++i) {
          ENTITY* e = TPK::as_entity(items[i]);
          if (*as_json) {
            entities.push_back(entity_json(e, kind, i));
          } else {
            std::printf("  %s %zu at %s: %s\n", kind, i, point_text(point_on(e)).c_str(),
                        entity_tags(e).c_str());
          }
        }
      };
      list(body->faces(), "face");
      list(body->edges(), "edge");
      list(body->vertices(), "vertex");
      if (*as_json) out.push_back({{"body", b}, {"entities", entities}});
    }
    if (*as_json) std::printf("%s\n", json{{"bodies", out}}.dump(2).c_str());
    m.release();
  });
}

void add_match(CLI::App& app) {
  CLI::App* match = app.add_subcommand(
      "match", "Resolve a recipe against a model file: the entities found, with their tags");
  auto file = std::make_shared<std::string>(), recipe = std::make_shared<std::string>();
  auto explain = std::make_shared<bool>(false), as_json = std::make_shared<bool>(false);
  match->add_option("FILE", *file, "the model file")->required();
  match->add_option("RECIPE", *recipe, "the recipe text's file (- for standard input)")->required();
  match->add_flag("--explain", *explain, "say what each stage of the matcher saw and decided");
  match->add_flag("--json", *as_json, "print the result (and the explanation) as JSON");
  match->callback([file, recipe, explain, as_json] {
    loaded_model m;
    load_model(*file, m);
    TT::recipe_ptr r = read_or_refuse(*recipe);
    const auto words = [](ENTITY* e) {
      return std::string(e->type_name()) + " at " + point_text(point_on(e)) + ": " + entity_tags(e);
    };
    const auto object = [&m](ENTITY* e) { return entity_json(e, m.bodies); };
    if (*explain) {
      const TT::match_explanation why =
          TT::explain_match(TT::MATCH_CONTEXT(nullptr, m.bodies, TT::compare_loose), r.get());
      if (*as_json) {
        std::printf("%s\n", explanation_json(why, object).dump(2).c_str());
      } else {
        std::printf("%s", explanation_text(why, words).c_str());
      }
      m.release();
      return;
    }
    const TT::match_results found = TT::find_matches(r.get(), m.bodies);
    std::vector<ENTITY*> entities;
    for (FACE* f : found.faces()) entities.push_back(TPK::as_entity(f));
    for (EDGE* e : found.edges()) entities.push_back(TPK::as_entity(e));
    for (VERTEX* v : found.vertices()) entities.push_back(TPK::as_entity(v));
    std::vector<ENTITY*> distinct = entities;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    const char* verdict = distinct.empty()       ? "lost: nothing in the model fits the recipe"
                          : distinct.size() == 1 ? "resolved: one entity"
                                                 : "ambiguous: several entities fit equally well";
    if (*as_json) {
      json list = json::array();
      for (ENTITY* e : entities) list.push_back(object(e));
      const std::string word(verdict, std::strchr(verdict, ':'));
      std::printf("%s\n", json{{"verdict", word}, {"found", list}}.dump(2).c_str());
    } else {
      std::printf("%s\n", verdict);
      for (ENTITY* e : entities) std::printf("  %s\n", words(e).c_str());
    }
    m.release();
  });
}

}  // namespace tagtrack_tool
