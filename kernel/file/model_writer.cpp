// Writing model files. The text is built in a buffer of its own and handed over only when every
// body was written, so a failed save leaves the caller's text as it was.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/attributes/attrib_api.h>
#include <tagtrack/kernel/file/model_file.h>
#include <tagtrack/kernel/geometry/outside.h>
#include <tagtrack/kernel/internal/model_text.h>
#include <tagtrack/kernel/internal/topology_editor.h>

namespace {

namespace text = tpk_detail::model_text;
using TPI_CUSTOM_ENTITY::attrib_def;
using TPI_CUSTOM_ENTITY::save_restore_def;
using tpk_detail::topology_editor;

// Appends tokens to a string. Every token is followed by one blank and end_line turns the last
// blank into a newline, so tokens are separated by exactly one blank or newline. Numbers are
// formatted in place, without streams or temporary strings.
class text_out {
 public:
  explicit text_out(std::string& text) : m_text(text), m_size(text.size()) {}

  void word(std::string_view w) {
    const std::size_t n = w.size();
    char* p = room(n + 1);
    std::memcpy(p, w.data(), n);
    p[n] = ' ';
    m_size += n + 1;
  }
  void letter(char c) {
    char* p = room(2);
    p[0] = c;
    p[1] = ' ';
    m_size += 2;
  }
  void count(std::uint64_t n) { integer_token(n); }
  void integer(std::int64_t n) { integer_token(n); }
  // As printf's "%.17g": enough digits that reading the text back gives the same bits.
  void number(double d) {
    constexpr std::size_t longest = 32;  // "-1.2345678901234567e-308" needs 24
    char* p = room(longest);
    const auto r = std::to_chars(p, p + longest, d, std::chars_format::general, 17);
    close_token(r.ptr);
  }
  // The byte count, a colon and the bytes as they are.
  void string(std::string_view s) {
    constexpr std::size_t longest = 24;
    char* p = room(longest + s.size() + 1);
    auto r = std::to_chars(p, p + longest, static_cast<std::uint64_t>(s.size()));
    *r.ptr++ = ':';
    r.ptr = std::copy(s.begin(), s.end(), r.ptr);
    close_token(r.ptr);
  }
  // Ends the current line; at least one token must have been written on it.
  void end_line() { m_text[m_size - 1] = '\n'; }
  void append(const std::string& other) {
    char* p = room(other.size());
    std::copy(other.begin(), other.end(), p);
    m_size += other.size();
  }
  // Cuts the buffer to what was written.
  void finish() { m_text.resize(m_size); }

 private:
  template <class Int>
  void integer_token(Int n) {
    constexpr std::size_t longest = 24;
    char* p = room(longest);
    close_token(std::to_chars(p, p + longest, n).ptr);
  }
  void close_token(char* end) {
    *end = ' ';
    m_size = static_cast<std::size_t>(end - m_text.data()) + 1;
  }
  // Room for `n` more bytes (plus the blank that closes a token) past what was written.
  char* room(std::size_t n) {
    if (n >= m_text.size() - m_size) grow(n);
    return m_text.data() + m_size;
  }
  void grow(std::size_t n) { m_text.resize(std::max(2 * m_text.size(), m_size + n + 4096)); }

  std::string& m_text;
  std::size_t m_size;
};

// A definition's items as its factory wrote them, kept until the factory has accepted the
// definition: a factory that refuses leaves nothing in the file.
struct saved_item {
  char type;
  std::int32_t i = 0;
  double d = 0.0;
  std::string s;
};

class buffering_save_context final : public TPI_CUSTOM_ENTITY::save_context {
 public:
  void write_int(std::int32_t value) const override {
    m_items.push_back({text::item_int, value, 0.0, {}});
  }
  void write_double(double value) const override {
    m_items.push_back({text::item_double, 0, value, {}});
  }
  void write_string(const char* value) const override {
    m_items.push_back({text::item_string, 0, 0.0, value != nullptr ? value : ""});
  }
  std::vector<saved_item>& items() const { return m_items; }

 private:
  mutable std::vector<saved_item> m_items;
};

struct saved_record {
  std::string factory;
  std::int32_t version;
  std::vector<saved_item> items;
};

// The registered factories, taken once per save.
struct factory_list {
  std::vector<std::string> names;
  std::vector<save_restore_def*> factories;

  factory_list() {
    const std::size_t n = TPI_CUSTOM_ENTITY::registered_save_restore_defs(nullptr, nullptr, 0);
    std::vector<const char*> found_names(n);
    factories.resize(n);
    TPI_CUSTOM_ENTITY::registered_save_restore_defs(found_names.data(), factories.data(), n);
    names.assign(found_names.begin(), found_names.end());
  }
};

bool try_factory(save_restore_def* factory, attrib_def* def, const buffering_save_context& ctx) {
  ctx.items().clear();
  if (factory->save(ctx, def)) return true;
  ctx.items().clear();
  return false;
}

// Writes one body. Indices in the text are positions in the body's lists; loops and coedges are
// numbered in the order the faces list them.
class body_writer {
 public:
  body_writer(const BODY* body, std::size_t number, const factory_list& factories, text_out& out,
              outcome& warnings)
      : m_body(body), m_number(number), m_factories(factories), m_out(out), m_warnings(warnings) {}

  outcome write() {
    m_out.word(text::word_body);
    m_out.end_line();
    if (outcome r = write_sources(); !r.ok()) return r;
    if (outcome r = write_vertices(); !r.ok()) return r;
    if (outcome r = write_edges(); !r.ok()) return r;
    if (outcome r = write_faces(); !r.ok()) return r;
    if (outcome r = write_rings(); !r.ok()) return r;
    if (outcome r = write_vertex_edges(); !r.ok()) return r;
    write_attributes();
    return outcome();
  }

 private:
  outcome fail(const std::string& reason) const {
    return outcome::failure("save_bodies: body " + std::to_string(m_number) + ": " + reason);
  }

  template <class E>
  static bool listed(const TPK::kernel_vector<E*>& list, const E* e) {
    if (e == nullptr) return false;
    const std::size_t i = topology_editor::index_of(e);
    return i < list.size() && list[i] == e;
  }

  outcome write_vertices() {
    m_out.word(text::word_vertices);
    m_out.count(m_body->vertices().size());
    m_out.end_line();
    for (const VERTEX* v : m_body->vertices()) {
      m_out.number(v->point().x);
      m_out.number(v->point().y);
      m_out.number(v->point().z);
      m_out.end_line();
    }
    return outcome();
  }

  // The distinct sources of the body's outside geometry, edges first, then faces, each the first
  // time it is met; a body without outside geometry writes no section.
  outcome write_sources() {
    const auto note = [&](const std::shared_ptr<const TPK::geometry_source>& source) {
      if (source == nullptr) return;
      if (std::find(m_sources.begin(), m_sources.end(), source.get()) == m_sources.end()) {
        m_sources.push_back(source.get());
      }
    };
    for (const EDGE* e : m_body->edges()) {
      if (const auto* c = dynamic_cast<const TPK::outside_curve*>(e->geometry())) note(c->source());
    }
    for (const FACE* f : m_body->faces()) {
      if (const auto* s = dynamic_cast<const TPK::outside_surface*>(f->geometry())) {
        note(s->source());
      }
    }
    if (m_sources.empty()) return outcome();
    m_out.word(text::word_sources);
    m_out.count(m_sources.size());
    m_out.end_line();
    std::string saved;
    for (const TPK::geometry_source* source : m_sources) {
      if (!source->save(saved)) {
        return fail(std::string("a source of ") + source->family() + " geometry cannot be written");
      }
      m_out.word(source->family());
      m_out.string(saved);
      m_out.end_line();
    }
    return outcome();
  }

  // An outside surface or curve: its family, its source's index (the count of sources for none)
  // and its own text.
  template <class Outside>
  outcome write_outside(const Outside* g) {
    std::string saved;
    if (!g->save(saved))
      return fail(std::string("a ") + g->type_name() + " geometry cannot be written");
    const auto at = std::find(m_sources.begin(), m_sources.end(), g->source().get());
    m_out.word(g->type_name());
    m_out.count(g->source() == nullptr ? m_sources.size()
                                       : static_cast<std::size_t>(at - m_sources.begin()));
    m_out.string(saved);
    return outcome();
  }

  outcome write_geometry(const curve* g) {
    if (const auto* outside = dynamic_cast<const TPK::outside_curve*>(g)) {
      return write_outside(outside);
    }
    write_numbers(g);
    return outcome();
  }

  outcome write_geometry(const surface* g) {
    if (const auto* outside = dynamic_cast<const TPK::outside_surface*>(g)) {
      return write_outside(outside);
    }
    write_numbers(g);
    return outcome();
  }

  template <class Geometry>
  void write_numbers(const Geometry* g) {
    m_out.word(g->type_name());
    const std::size_t n = g->data_size();
    m_numbers.resize(n);
    g->get_data(m_numbers.data());
    m_out.count(n);
    for (double d : m_numbers) m_out.number(d);
  }

  outcome write_edges() {
    const auto& edges = m_body->edges();
    m_out.word(text::word_edges);
    m_out.count(edges.size());
    m_out.end_line();
    for (std::size_t i = 0; i < edges.size(); ++i) {
      const EDGE* e = edges[i];
      if (!listed(m_body->vertices(), e->start()) || !listed(m_body->vertices(), e->end())) {
        return fail("edge " + std::to_string(i) + " has a vertex outside the body");
      }
      if (e->geometry() == nullptr) return fail("edge " + std::to_string(i) + " has no curve");
      m_out.count(topology_editor::index_of(e->start()));
      m_out.count(topology_editor::index_of(e->end()));
      m_out.number(e->t_start());
      m_out.number(e->t_end());
      if (outcome r = write_geometry(e->geometry()); !r.ok()) return r;
      m_out.end_line();
    }
    return outcome();
  }

  // Faces in the body's list order, each with its loops in order and every loop's coedges from
  // its first: with the lists, this fixes where the fans around a vertex start.
  outcome write_faces() {
    const auto& edges = m_body->edges();
    const auto& faces = m_body->faces();
    m_out.word(text::word_faces);
    m_out.count(faces.size());
    m_out.end_line();
    std::vector<std::size_t> uses(edges.size(), 0);
    // A loop is a cycle; the bound only keeps a broken one from running forever.
    const std::size_t limit = 4 * (edges.size() + 1);
    for (std::size_t i = 0; i < faces.size(); ++i) {
      const FACE* f = faces[i];
      if (f->geometry() == nullptr) return fail("face " + std::to_string(i) + " has no surface");
      m_out.count(f->reversed() ? 1 : 0);
      if (outcome r = write_geometry(f->geometry()); !r.ok()) return r;
      m_out.count(f->loops().size());
      m_out.end_line();
      for (const LOOP* l : f->loops()) {
        m_loops.push_back(l);
        const std::size_t first = m_coedges.size();
        for (const COEDGE* c = l->first(); c != nullptr;) {
          if (!listed(edges, c->edge())) {
            return fail("a coedge of face " + std::to_string(i) + " lies on no edge of the body");
          }
          if (m_coedges.size() - first > limit) {
            return fail("a loop of face " + std::to_string(i) + " does not close");
          }
          m_coedges.push_back(c);
          ++uses[topology_editor::index_of(c->edge())];
          c = c->next();
          if (c == l->first()) break;
        }
        m_out.count(m_coedges.size() - first);
        for (std::size_t k = first; k < m_coedges.size(); ++k) {
          m_out.count(topology_editor::index_of(m_coedges[k]->edge()));
          m_out.count(m_coedges[k]->reversed() ? 1 : 0);
        }
        m_out.end_line();
      }
    }
    // Each edge's coedges with their numbers, in the order the faces list them:
    // m_edge_coedges[m_edge_start[e] .. m_edge_start[e + 1]).
    m_edge_start.assign(edges.size() + 1, 0);
    for (std::size_t e = 0; e < edges.size(); ++e) m_edge_start[e + 1] = m_edge_start[e] + uses[e];
    m_edge_coedges.resize(m_coedges.size());
    std::fill(uses.begin(), uses.end(), 0);
    for (std::size_t c = 0; c < m_coedges.size(); ++c) {
      const std::size_t e = topology_editor::index_of(m_coedges[c]->edge());
      m_edge_coedges[m_edge_start[e] + uses[e]++] = c;
    }
    return outcome();
  }

  // Each ring from EDGE::coedge() along the partners, as coedge numbers. A ring must hold every
  // coedge of its edge exactly once, since that is what the reader rebuilds.
  outcome write_rings() {
    const auto& edges = m_body->edges();
    m_out.word(text::word_rings);
    m_out.end_line();
    std::vector<std::size_t> ring;
    for (std::size_t e = 0; e < edges.size(); ++e) {
      const std::size_t* begin = m_edge_coedges.data() + m_edge_start[e];
      const std::size_t* end = m_edge_coedges.data() + m_edge_start[e + 1];
      const std::size_t expected = static_cast<std::size_t>(end - begin);
      ring.clear();
      const COEDGE* first = edges[e]->coedge();
      for (const COEDGE* c = first; c != nullptr && ring.size() <= expected;) {
        const std::size_t* at =
            std::find_if(begin, end, [&](std::size_t number) { return m_coedges[number] == c; });
        if (at == end) break;
        ring.push_back(*at);
        c = c->partner();
        if (c == first) break;
      }
      // Every member comes from the edge's own coedges, so the right size without repeats is
      // all of them.
      bool repeats = false;
      for (std::size_t j = 1; j < ring.size() && !repeats; ++j) {
        repeats = std::find(ring.begin(), ring.begin() + j, ring[j]) != ring.begin() + j;
      }
      if (ring.size() != expected || repeats) {
        return fail("the partner ring of edge " + std::to_string(e) +
                    " does not hold exactly the coedges that use it");
      }
      m_out.count(ring.size());
      for (std::size_t c : ring) m_out.count(c);
      m_out.end_line();
    }
    return outcome();
  }

  outcome write_vertex_edges() {
    const auto& vertices = m_body->vertices();
    m_out.word(text::word_vertex_edges);
    m_out.end_line();
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      m_out.count(vertices[v]->edges().size());
      for (const EDGE* e : vertices[v]->edges()) {
        if (!listed(m_body->edges(), e)) {
          return fail("vertex " + std::to_string(v) + " lists an edge outside the body");
        }
        m_out.count(topology_editor::index_of(e));
      }
      m_out.end_line();
    }
    return outcome();
  }

  // The records of an entity's custom attributes, in attachment order; those no factory writes
  // are left out with a warning.
  void collect_records(const ENTITY* owner, std::string_view kind, std::size_t index) {
    m_records.clear();
    for (ATTRIB* a = owner->first_attrib(); a != nullptr; a = a->next()) {
      ATTRIB_CUSTOM* custom = a->as_custom();
      if (custom == nullptr || !custom->alive() || custom->def() == nullptr) continue;
      attrib_def* def = custom->def();
      const char* type = def->type_name();
      if (!def->savable()) {
        warn(kind, index, type, "its definition is not savable");
        continue;
      }
      const std::string* name = nullptr;
      save_restore_def* named = TPI_CUSTOM_ENTITY::find_save_restore_def(type);
      if (named != nullptr && try_factory(named, def, m_ctx)) {
        m_named = type;
        name = &m_named;
      } else {
        for (std::size_t f = 0; f < m_factories.factories.size() && name == nullptr; ++f) {
          save_restore_def* factory = m_factories.factories[f];
          if (factory != named && try_factory(factory, def, m_ctx)) name = &m_factories.names[f];
        }
      }
      if (name == nullptr) {
        warn(kind, index, type, "no save/restore factory accepts it");
        continue;
      }
      m_records.push_back({*name, def->version(), std::move(m_ctx.items())});
      m_ctx.items().clear();
    }
    if (m_records.empty()) return;
    text_out& group = m_group_out;
    group.word(kind);
    if (kind != text::owner_body) group.count(index);
    group.count(m_records.size());
    group.end_line();
    for (const saved_record& r : m_records) {
      group.string(r.factory);
      group.integer(r.version);
      group.count(r.items.size());
      for (const saved_item& item : r.items) {
        group.letter(item.type);
        if (item.type == text::item_int) {
          group.integer(item.i);
        } else if (item.type == text::item_double) {
          group.number(item.d);
        } else {
          group.string(item.s);
        }
      }
      group.end_line();
    }
    ++m_group_count;
  }

  void warn(std::string_view kind, std::size_t index, const char* type, const char* why) {
    std::string where = "body " + std::to_string(m_number);
    if (kind != text::owner_body) where += ", " + std::string(kind) + " " + std::to_string(index);
    m_warnings.add_warning("save_bodies: " + where + ": attribute '" + type + "' left out: " + why);
  }

  void write_attributes() {
    collect_records(m_body, text::owner_body, 0);
    const auto& faces = m_body->faces();
    for (std::size_t i = 0; i < faces.size(); ++i) collect_records(faces[i], text::owner_face, i);
    for (std::size_t i = 0; i < m_loops.size(); ++i) {
      collect_records(m_loops[i], text::owner_loop, i);
    }
    for (std::size_t i = 0; i < m_coedges.size(); ++i) {
      collect_records(m_coedges[i], text::owner_coedge, i);
    }
    const auto& edges = m_body->edges();
    for (std::size_t i = 0; i < edges.size(); ++i) collect_records(edges[i], text::owner_edge, i);
    const auto& vertices = m_body->vertices();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      collect_records(vertices[i], text::owner_vertex, i);
    }
    m_group_out.finish();
    m_out.word(text::word_attributes);
    m_out.count(m_group_count);
    m_out.end_line();
    m_out.append(m_groups);
  }

  const BODY* m_body;
  std::size_t m_number;
  const factory_list& m_factories;
  text_out& m_out;
  outcome& m_warnings;
  std::vector<double> m_numbers;
  std::vector<const TPK::geometry_source*> m_sources;
  std::vector<const LOOP*> m_loops;
  std::vector<const COEDGE*> m_coedges;
  std::vector<std::size_t> m_edge_start;
  std::vector<std::size_t> m_edge_coedges;
  buffering_save_context m_ctx;
  std::vector<saved_record> m_records;
  std::string m_named;
  std::string m_groups;  // the attribute groups, written after their count
  text_out m_group_out{m_groups};
  std::size_t m_group_count = 0;
};

}  // namespace

namespace TPI_FILE {

outcome save_bodies(const std::vector<BODY*>& bodies, std::string& text) {
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    if (bodies[i] == nullptr) {
      return outcome::failure("save_bodies: body " + std::to_string(i) + " is null");
    }
    if (!bodies[i]->alive()) {
      return outcome::failure("save_bodies: body " + std::to_string(i) + " was deleted");
    }
  }
  const factory_list factories;
  outcome result;
  std::string made;
  text_out out(made);
  out.word(text::magic);
  out.count(text::format_version);
  out.end_line();
  out.word(text::word_bodies);
  out.count(bodies.size());
  out.end_line();
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    body_writer writer(bodies[i], i, factories, out, result);
    if (outcome r = writer.write(); !r.ok()) return r;
  }
  out.finish();
  text.swap(made);
  return result;
}

outcome save_bodies_to_file(const std::vector<BODY*>& bodies, const char* path) {
  if (path == nullptr) return outcome::failure("save_bodies_to_file: no path");
  std::string text;
  outcome result = save_bodies(bodies, text);
  if (!result.ok()) return result;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "wb"), &std::fclose);
  if (file == nullptr) {
    return outcome::failure(std::string("save_bodies_to_file: cannot open '") + path +
                            "' for writing");
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  if (!written || std::fclose(file.release()) != 0) {
    return outcome::failure(std::string("save_bodies_to_file: cannot write '") + path + "'");
  }
  return result;
}

}  // namespace TPI_FILE
