#include <tagtrack/scenario_runner/selfcheck.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include <nlohmann/json.hpp>

#include <tagtrack/features/seams_and_poles.h>
#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/part_files.h>
#include <tagtrack/tagging_tracking.h>

#include <tagtrack/scenario_runner/runner.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack::scenarios {

namespace {

using clock_type = std::chrono::steady_clock;

double microseconds_since(clock_type::time_point start) {
  return std::chrono::duration<double, std::micro>(clock_type::now() - start).count();
}

// The file's name without folders and extension, white space made '_': a primary id's stem that
// recipe texts carry unchanged.
std::string id_stem(const std::string& path) {
  std::string stem = std::filesystem::path(path).stem().string();
  for (char& c : stem) {
    if (std::isspace(static_cast<unsigned char>(c))) c = '_';
  }
  return stem.empty() ? std::string("part") : stem;
}

bool is_seam(const EDGE* edge) {
  const COEDGE* c = edge->coedge();
  return c != nullptr && c->partner() != nullptr && c->partner() != c &&
         c->partner()->loop()->face() == c->loop()->face();
}

// Whether one face is on every side of the vertex (a sphere's pole, a cone's apex).
bool has_one_face(const VERTEX* vertex) {
  const FACE* only = nullptr;
  for (const EDGE* edge : vertex->edges()) {
    const COEDGE* first = edge->coedge();
    const COEDGE* c = first;
    do {
      if (only != nullptr && c->loop()->face() != only) return false;
      only = c->loop()->face();
      c = c->partner();
    } while (c != nullptr && c != first);
  }
  return only != nullptr;
}

// The entities of a kind of every body, bodies in order.
template <class E>
std::vector<E*> all_of(const std::vector<BODY*>& bodies,
                       const TPK::kernel_vector<E*>& (BODY::*list)() const) {
  std::vector<E*> all;
  for (BODY* body : bodies) {
    for (E* e : (body->*list)()) all.push_back(e);
  }
  return all;
}

struct timings {
  std::vector<double> track, match;
};

// Remembers each entity, then resolves its recipe in the restored model, where `twin` is the
// entity at the same place.
std::string what_is(const FACE* face) {
  return std::string("face on a ") + face->geometry()->type_name();
}
std::string what_is(const EDGE* edge) {
  const TPK::position a = edge->start()->point(), b = edge->end()->point();
  char where[128];
  std::snprintf(where, sizeof where, " from (%g, %g, %g) to (%g, %g, %g)", a.x, a.y, a.z, b.x, b.y,
                b.z);
  const bool degenerate =
      edge->closed() &&
      TPK::same_point(edge->geometry()->eval(0.5 * (edge->t_start() + edge->t_end())), a);
  return std::string(degenerate ? "degenerate edge" : is_seam(edge) ? "seam edge" : "edge") + where;
}
std::string what_is(const VERTEX* vertex) {
  const TPK::position p = vertex->point();
  char where[96];
  std::snprintf(where, sizeof where, "vertex at (%g, %g, %g)", p.x, p.y, p.z);
  return where;
}

template <class E, class Trackable>
verdict_counts check_kind(const std::vector<E*>& originals, const std::vector<E*>& twins,
                          const std::vector<BODY*>& restored, TT::tag_index& index, timings& times,
                          std::vector<std::string>& details,
                          std::vector<char>* right_out = nullptr) {
  verdict_counts counts;
  TT::MATCH_CONTEXT context(nullptr, restored, TT::compare_loose);
  context.use_tag_index(&index);
  for (std::size_t i = 0; i < originals.size(); ++i) {
    const clock_type::time_point tracked = clock_type::now();
    TT::recipe_ptr made = TT::make_recipe(Trackable(originals[i]));
    times.track.push_back(microseconds_since(tracked));
    const std::string text = made == nullptr ? std::string() : TT::recipe_text(made.get());
    TT::recipe_ptr recipe = text.empty() ? nullptr : TT::read_recipe(text);
    std::vector<ENTITY*> found;
    if (recipe != nullptr) {
      const clock_type::time_point matched = clock_type::now();
      TT::match_results results;
      std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
      if (tracker != nullptr) tracker->match(context, recipe.get(), results.out());
      times.match.push_back(microseconds_since(matched));
      for (FACE* f : results.faces()) found.push_back(TPK::as_entity(f));
      for (EDGE* e : results.edges()) found.push_back(TPK::as_entity(e));
      for (VERTEX* v : results.vertices()) found.push_back(TPK::as_entity(v));
    }
    ENTITY* twin = TPK::as_entity(twins[i]);
    const bool among = std::find(found.begin(), found.end(), twin) != found.end();
    const char* verdict = found.empty()       ? "lost"
                          : !among            ? "wrong"
                          : found.size() == 1 ? "right"
                                              : "ambiguous";
    if (found.empty()) {
      ++counts.lost;
    } else if (!among) {
      ++counts.wrong;
    } else if (found.size() == 1) {
      ++counts.right;
    } else {
      ++counts.ambiguous;
    }
    if (!(among && found.size() == 1)) {
      details.push_back(what_is(originals[i]) + ": " + verdict + " (" +
                        std::to_string(found.size()) + " found); recipe " + text);
    }
    if (right_out != nullptr) right_out->push_back(among && found.size() == 1);
  }
  return counts;
}

}  // namespace

outcome run_selfcheck(const std::string& path, selfcheck_report& report) {
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
  // A stream of its own, freed with everything in it at the end.
  HISTORY_STREAM* previous = nullptr;
  TPI_HISTORY::get_default(previous, false);
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(stream, true);
  struct stream_guard {
    HISTORY_STREAM* previous;
    HISTORY_STREAM* stream;
    std::vector<BODY*> bodies;
    ~stream_guard() {
      for (BODY* body : bodies) {
        if (body->alive()) TPI_MODEL::delete_body(body);
      }
      TPI_HISTORY::set_default(previous);
      TPI_HISTORY::delete_stream(stream);
    }
  } guard{previous, stream, {}};

  std::vector<BODY*> bodies;
  if (outcome read = TPI_OCCT::read_part_file(path.c_str(), bodies); !read.ok()) {
    return read;
  }
  guard.bodies = bodies;
  const std::string stem = id_stem(path);
  for (std::size_t b = 0; b < bodies.size(); ++b) {
    const auto& faces = bodies[b]->faces();
    for (std::size_t f = 0; f < faces.size(); ++f) {
      TT::tag_entity(TPK::as_entity(faces[f]),
                     stem + ".b" + std::to_string(b) + ".f" + std::to_string(f), 1);
    }
    // Seams and poles are named by their faces, as the features' tagging scheme names them.
    if (outcome named = name_seams_and_poles(bodies[b]); !named.ok()) return named;
  }

  std::string file;
  std::vector<BODY*> restored;
  if (outcome saved = TPI_FILE::save_bodies(bodies, file); !saved.ok()) {
    return saved;
  }
  if (outcome read = TPI_FILE::restore_bodies(file, restored); !read.ok()) {
    return read;
  }
  guard.bodies.insert(guard.bodies.end(), restored.begin(), restored.end());

  TT::tag_index index(restored);
  timings times;
  report.file = path;
  report.bodies = bodies.size();
  report.faces = check_kind<FACE, TT::FACE_TRACKABLE>(all_of(bodies, &BODY::faces),
                                                      all_of(restored, &BODY::faces), restored,
                                                      index, times, report.details);
  std::vector<char> edge_right;
  const std::vector<EDGE*> edges = all_of(bodies, &BODY::edges);
  report.edges = check_kind<EDGE, TT::EDGE_TRACKABLE>(
      edges, all_of(restored, &BODY::edges), restored, index, times, report.details, &edge_right);
  for (std::size_t i = 0; i < edges.size(); ++i) {
    if (!edge_right[i] && is_seam(edges[i])) ++report.seams_not_right;
  }
  std::vector<char> vertex_right;
  const std::vector<VERTEX*> vertices = all_of(bodies, &BODY::vertices);
  report.vertices = check_kind<VERTEX, TT::VERTEX_TRACKABLE>(
      vertices, all_of(restored, &BODY::vertices), restored, index, times, report.details,
      &vertex_right);
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    if (!vertex_right[i] && has_one_face(vertices[i])) ++report.seams_not_right;
  }
  report.track_us_median = median(times.track);
  report.match_us_median = median(times.match);
  return outcome();
}

std::string selfcheck_text(const selfcheck_report& r, bool details) {
  std::string out =
      "tagtrack selfcheck: " + r.file + " (" + std::to_string(r.bodies) + " bodies)\n\n";
  char line[512];
  std::snprintf(line, sizeof line, "  %-9s %7s %10s %6s %6s\n", "", "right", "ambiguous", "wrong",
                "lost");
  out += line;
  const auto row = [&](const char* kind, const verdict_counts& c) {
    std::snprintf(line, sizeof line, "  %-9s %7d %10d %6d %6d\n", kind, c.right, c.ambiguous,
                  c.wrong, c.lost);
    out += line;
  };
  row("faces", r.faces);
  row("edges", r.edges);
  row("vertices", r.vertices);
  if (r.seams_not_right > 0) {
    std::snprintf(line, sizeof line,
                  "\n  %d of the edges and vertices not right have one face on every side: "
                  "seams and\n  poles of periodic faces. Their neighbourhood does not tell them "
                  "apart, and the\n  matchers report them lost rather than guess.\n",
                  r.seams_not_right);
    out += line;
  }
  std::snprintf(line, sizeof line, "\n  median time per track %.1f us, per match %.1f us\n",
                r.track_us_median, r.match_us_median);
  out += line;
  if (details) {
    out += "\n  not right:\n";
    for (const std::string& d : r.details) out += "  - " + d + "\n";
  }
  return out;
}

std::string selfcheck_json(const selfcheck_report& r) {
  const auto counts = [](const verdict_counts& c) {
    return nlohmann::json{
        {"right", c.right}, {"ambiguous", c.ambiguous}, {"wrong", c.wrong}, {"lost", c.lost}};
  };
  const nlohmann::json out = {{"file", r.file},
                              {"faces", counts(r.faces)},
                              {"edges", counts(r.edges)},
                              {"vertices", counts(r.vertices)},
                              {"track_us_median", r.track_us_median},
                              {"match_us_median", r.match_us_median}};
  return out.dump(2) + "\n";
}

}  // namespace tagtrack::scenarios
