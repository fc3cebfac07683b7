// Reading model files. Everything is made inside one operation scope, so an error anywhere, also
// in the last attribute or in the final validity check, undoes all of it. The reader trusts no
// number in the text: every count is weighed against the bytes left before anything is reserved
// for it, every index against what exists, every geometric number for finiteness. Building costs
// stay in proportion to the text however the entities are connected (long rings, vertices with
// many edges, faces with many loops); only many attributes on one entity cost more, as the kernel
// appends each one at the end of its owner's list.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/attributes/attrib_api.h>
#include <tagtrack/kernel/file/model_file.h>
#include <tagtrack/kernel/geometry/outside.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/model_text.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/topology/check.h>

namespace {

namespace text = tpk_detail::model_text;
using TPI_CUSTOM_ENTITY::attrib_def;
using TPI_CUSTOM_ENTITY::entity_def;
using TPI_CUSTOM_ENTITY::save_restore_def;
using tpk_detail::topology_editor;

struct text_pos {
  std::size_t line = 1;
  std::size_t column = 1;
};

bool is_separator(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// A token as it may be shown in a message: at most 24 bytes, unprintable bytes as '?'.
std::string shown(std::string_view token) {
  constexpr std::size_t longest = 24;
  std::string s;
  for (std::size_t i = 0; i < token.size() && i < longest; ++i) {
    const auto c = static_cast<unsigned char>(token[i]);
    s += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  if (token.size() > longest) s += "...";
  return s;
}

// A cursor over the text that reads tokens and keeps the line and column of each. The first error
// is kept with its position; the readers stop at it.
class text_in {
 public:
  explicit text_in(const std::string& text)
      : m_p(text.data()), m_end(text.data() + text.size()), m_line_start(text.data()) {}

  // Records the first error; always false, so that readers can `return fail(...)`.
  bool fail(text_pos at, std::string reason) {
    if (m_reason.empty()) {
      m_error_at = at;
      m_reason = std::move(reason);
    }
    return false;
  }
  // An error at the last token read.
  bool fail(std::string reason) { return fail(m_token_at, std::move(reason)); }
  std::string error(const char* who) const {
    return std::string(who) + std::to_string(m_error_at.line) + ":" +
           std::to_string(m_error_at.column) + ": " + m_reason;
  }

  // The position of the next token.
  text_pos next() {
    skip();
    return here();
  }
  bool at_end() {
    skip();
    return m_p == m_end;
  }
  std::size_t remaining() const { return static_cast<std::size_t>(m_end - m_p); }

  bool token(std::string_view& t, const char* what) {
    skip();
    m_token_at = here();
    if (m_p == m_end) return fail(std::string("unexpected end of text: expected ") + what);
    const char* begin = m_p;
    while (m_p < m_end && !is_separator(*m_p)) ++m_p;
    t = std::string_view(begin, static_cast<std::size_t>(m_p - begin));
    return true;
  }

  // Whether the next token is `w`; nothing is read.
  bool next_is(std::string_view w) {
    skip();
    const char* end = m_p;
    while (end < m_end && !is_separator(*end)) ++end;
    return std::string_view(m_p, static_cast<std::size_t>(end - m_p)) == w;
  }

  bool word(std::string_view expected) {
    std::string_view t;
    if (!token(t, ("'" + std::string(expected) + "'").c_str())) return false;
    if (t != expected) {
      return fail("expected '" + std::string(expected) + "', found '" + shown(t) + "'");
    }
    return true;
  }

  // A number of things, each taking at least `min_bytes` of the text after the count; a count
  // the rest of the text cannot hold is refused before anything is made or reserved for it.
  bool count(std::size_t min_bytes, const char* what, std::size_t& n) {
    std::uint64_t value = 0;
    if (!whole(what, value)) return false;
    if (value > remaining() / min_bytes) {
      return fail(std::string("count of ") + what + " " + std::to_string(value) +
                  " is more than the rest of the text can hold");
    }
    n = static_cast<std::size_t>(value);
    return true;
  }

  // A count with a fixed upper limit, checked first.
  bool count_up_to(std::size_t most, const char* what, std::size_t& n) {
    std::uint64_t value = 0;
    if (!whole(what, value)) return false;
    if (value > most) {
      return fail(std::to_string(value) + " " + what + " are more than the " +
                  std::to_string(most) + " allowed");
    }
    n = static_cast<std::size_t>(value);
    return true;
  }

  bool index(std::size_t limit, const char* what, std::size_t& i) {
    std::string_view t;
    if (!token(t, what)) return false;
    std::uint64_t value = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec == std::errc::invalid_argument || r.ptr != t.data() + t.size()) {
      return fail(std::string("expected ") + what + " (a whole number, 0 or more), found '" +
                  shown(t) + "'");
    }
    if (r.ec != std::errc() || value >= limit) {
      return fail(std::string(what) + " " + shown(t) + " is out of range (there are " +
                  std::to_string(limit) + ")");
    }
    i = static_cast<std::size_t>(value);
    return true;
  }

  bool flag(const char* what, bool& b) {
    std::string_view t;
    if (!token(t, what)) return false;
    if (t != "0" && t != "1") {
      return fail(std::string("expected ") + what + " (0 or 1), found '" + shown(t) + "'");
    }
    b = t == "1";
    return true;
  }

  bool int32(const char* what, std::int32_t& value) {
    std::string_view t;
    if (!token(t, what)) return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
      return fail(std::string(what) + " '" + shown(t) + "' is out of the 32-bit range");
    }
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) {
      return fail(std::string("expected ") + what + " (an integer), found '" + shown(t) + "'");
    }
    return true;
  }

  // Any double, also NaN and infinities ("nan", "-inf", ...).
  bool number(const char* what, double& value) {
    std::string_view t;
    return number(what, value, t);
  }

  bool finite(const char* what, double& value) {
    std::string_view t;
    if (!number(what, value, t)) return false;
    if (!std::isfinite(value)) {
      return fail(std::string("expected ") + what + " (a finite number), found '" + shown(t) + "'");
    }
    return true;
  }

  // A byte count, a colon and that many bytes, which may be anything.
  bool string(const char* what, std::string_view& s) {
    skip();
    m_token_at = here();
    if (m_p == m_end) return fail(std::string("unexpected end of text: expected ") + what);
    const char* digits = m_p;
    const char* colon = digits;
    while (colon < m_end && *colon >= '0' && *colon <= '9') ++colon;
    if (colon == digits || colon == m_end || *colon != ':') {
      const char* token_end = digits;
      while (token_end < m_end && !is_separator(*token_end)) ++token_end;
      return fail(std::string("expected ") + what + " (byte count:bytes), found '" +
                  shown(std::string_view(digits, static_cast<std::size_t>(token_end - digits))) +
                  "'");
    }
    std::uint64_t length = 0;
    const auto r = std::from_chars(digits, colon, length);
    const auto left = static_cast<std::uint64_t>(m_end - (colon + 1));
    if (r.ec != std::errc() || length > left) {
      return fail(std::string(what) + " of " + std::string(digits, colon) +
                  " bytes runs past the end of the text");
    }
    const char* bytes = colon + 1;
    s = std::string_view(bytes, static_cast<std::size_t>(length));
    for (const char* c = bytes; c < bytes + length; ++c) {
      if (*c == '\n') {
        ++m_line;
        m_line_start = c + 1;
      }
    }
    m_p = bytes + length;
    if (m_p < m_end && !is_separator(*m_p)) {
      return fail(here(), std::string(what) + " goes on past its byte count");
    }
    return true;
  }

 private:
  void skip() {
    while (m_p < m_end && is_separator(*m_p)) {
      if (*m_p == '\n') {
        ++m_line;
        m_line_start = m_p + 1;
      }
      ++m_p;
    }
  }
  bool whole(const char* what, std::uint64_t& value) {
    std::string_view t;
    if (!token(t, what)) return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
      return fail(std::string("count of ") + what + " '" + shown(t) + "' is too large");
    }
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) {
      return fail(std::string("expected a count of ") + what +
                  " (a whole number, 0 or more), found '" + shown(t) + "'");
    }
    return true;
  }
  text_pos here() const { return {m_line, static_cast<std::size_t>(m_p - m_line_start) + 1}; }
  bool number(const char* what, double& value, std::string_view& t) {
    if (!token(t, what)) return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
      return fail(std::string(what) + " '" + shown(t) + "' is out of the range of a double");
    }
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) {
      return fail(std::string("expected ") + what + " (a number), found '" + shown(t) + "'");
    }
    return true;
  }

  const char* m_p;
  const char* m_end;
  const char* m_line_start;
  std::size_t m_line = 1;
  text_pos m_token_at;
  text_pos m_error_at;
  std::string m_reason;
};

// An item of an attribute record, read before the factory is called.
struct record_item {
  char type;
  std::int32_t i = 0;
  double d = 0.0;
  std::string_view s;
  text_pos at;
};

const char* item_type_name(char type) {
  switch (type) {
    case text::item_int:
      return "an integer";
    case text::item_double:
      return "a double";
    default:
      return "a string";
  }
}

// Serves a record's items to its factory. Reads never fail from the factory's side: past the end
// or on a type mismatch they give 0, 0.0 or "" (a mismatched item still counts as read); the first
// such misuse is kept for the reader to report once the factory has returned.
class record_reader final : public TPI_CUSTOM_ENTITY::restore_context {
 public:
  record_reader(ENTITY* attrib, std::int32_t version, const std::vector<record_item>& items,
                text_pos at)
      : m_attrib(attrib), m_version(version), m_items(items), m_at(at) {}

  ENTITY* entity() const override { return m_attrib; }
  std::int32_t entity_def_version() const override { return m_version; }
  std::int32_t read_int() const override {
    const record_item* item = take(text::item_int);
    return item != nullptr ? item->i : 0;
  }
  double read_double() const override {
    const record_item* item = take(text::item_double);
    return item != nullptr ? item->d : 0.0;
  }
  std::string read_string() const override {
    const record_item* item = take(text::item_string);
    return item != nullptr ? std::string(item->s) : std::string();
  }

  void refuse(const std::string& reason) const override {
    note(m_at, "refuses the record: " + reason);
  }

  bool misread() const { return !m_problem.empty(); }
  text_pos misread_at() const { return m_problem_at; }
  const std::string& misread_reason() const { return m_problem; }
  std::size_t read_count() const { return m_next; }

 private:
  const record_item* take(char type) const {
    if (m_next >= m_items.size()) {
      note(m_at, "read past the end of the record (" + std::to_string(m_items.size()) + " items)");
      return nullptr;
    }
    const record_item& item = m_items[m_next++];
    if (item.type != type) {
      note(item.at, std::string("read item ") + std::to_string(m_next) + " as " +
                        item_type_name(type) + ", but it is " + item_type_name(item.type));
      return nullptr;
    }
    return &item;
  }
  void note(text_pos at, std::string problem) const {
    if (!m_problem.empty()) return;
    m_problem_at = at;
    m_problem = std::move(problem);
  }

  ENTITY* m_attrib;
  std::int32_t m_version;
  const std::vector<record_item>& m_items;
  text_pos m_at;
  mutable std::size_t m_next = 0;
  mutable text_pos m_problem_at;
  mutable std::string m_problem;
};

// Reads one body section and builds the body.
class body_reader {
 public:
  body_reader(text_in& in, std::size_t number) : m_in(in), m_number(number) {}

  bool read(BODY*& made) {
    const text_pos start = m_in.next();
    if (!m_in.word(text::word_body)) return false;
    m_body = topology_editor::new_body();
    if (m_in.next_is(text::word_sources) && !read_sources()) return false;
    if (!read_vertices() || !read_edges() || !read_faces() || !read_rings() ||
        !read_vertex_edges() || !read_attributes()) {
      return false;
    }
    const outcome valid = TPI_CHECK::check_body(m_body);
    if (!valid.ok()) {
      return m_in.fail(start,
                       "body " + std::to_string(m_number) + " is not valid: " + valid.message());
    }
    made = m_body;
    return true;
  }

 private:
  bool read_sources() {
    std::size_t n = 0;
    if (!m_in.word(text::word_sources) || !m_in.count(4, "sources", n)) return false;
    for (std::size_t i = 0; i < n; ++i) {
      std::string_view name, saved;
      if (!m_in.token(name, "a geometry family") || !m_in.string("a source", saved)) return false;
      TPK::geometry_family* family = TPK::find_geometry_family(std::string(name).c_str());
      if (family == nullptr) return m_in.fail("unknown geometry family '" + shown(name) + "'");
      std::string why;
      auto source = family->read_source(std::string(saved), why);
      if (source == nullptr) {
        return m_in.fail("malformed " + std::string(name) + " source: " + why);
      }
      m_sources.push_back(std::move(source));
    }
    return true;
  }

  // Outside geometry after its family's name: a source index (the count of sources for none)
  // and the geometry's text, read by the family.
  template <class Geometry, class Read>
  bool read_outside(std::string_view name, const char* what, Read read, Geometry*& made) {
    TPK::geometry_family* family = TPK::find_geometry_family(std::string(name).c_str());
    if (family == nullptr)
      return m_in.fail("unknown " + std::string(what) + " kind '" + shown(name) + "'");
    std::size_t source = 0;
    std::string_view saved;
    if (!m_in.index(m_sources.size() + 1, "a source index", source) ||
        !m_in.string("outside geometry", saved)) {
      return false;
    }
    std::string why;
    made = read(*family, source < m_sources.size() ? m_sources[source] : nullptr,
                std::string(saved), why);
    if (made == nullptr) {
      return m_in.fail("malformed " + std::string(name) + " " + what + ": " + why);
    }
    return true;
  }

  bool read_vertices() {
    std::size_t n = 0;
    if (!m_in.word(text::word_vertices) || !m_in.count(6, "vertices", n)) return false;
    m_degree.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
      TPK::position p;
      if (!m_in.finite("a vertex coordinate", p.x) || !m_in.finite("a vertex coordinate", p.y) ||
          !m_in.finite("a vertex coordinate", p.z)) {
        return false;
      }
      topology_editor::new_vertex(m_body, p);
    }
    return true;
  }

  // The numbers after a curve or surface kind: a count, then that many finite numbers.
  bool read_numbers(const char* counted, const char* what, std::size_t& n) {
    if (!m_in.count_up_to(text::max_geometry_numbers, counted, n)) return false;
    for (std::size_t i = 0; i < n; ++i) {
      if (!m_in.finite(what, m_numbers[i])) return false;
    }
    return true;
  }

  // Vertex edge lists are emptied as edges are made and set whole from the vertex-edges section,
  // so that making an edge costs the same whatever the vertex's degree.
  void forget_edges(VERTEX* v) {
    if (!v->edges().empty()) topology_editor::set_edges(v, TPK::kernel_vector<EDGE*>());
  }

  bool read_edges() {
    std::size_t n = 0;
    if (!m_in.word(text::word_edges) || !m_in.count(12, "edges", n)) return false;
    const auto& vertices = m_body->vertices();
    m_uses.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t start = 0, end = 0;
      double t_start = 0.0, t_end = 0.0;
      if (!m_in.index(vertices.size(), "a vertex index", start) ||
          !m_in.index(vertices.size(), "a vertex index", end) ||
          !m_in.finite("an edge parameter", t_start) || !m_in.finite("an edge parameter", t_end)) {
        return false;
      }
      if (!(t_start < t_end)) return m_in.fail("the edge's t_end is not above its t_start");
      std::string_view kind_name;
      curve_kind kind{};
      if (!m_in.token(kind_name, "a curve kind")) return false;
      curve* geometry = nullptr;
      if (!text::curve_kind_named(kind_name, kind)) {
        const auto read = [](TPK::geometry_family& family, const auto& source,
                             const std::string& saved,
                             std::string& why) { return family.read_curve(source, saved, why); };
        if (!read_outside(kind_name, "curve", read, geometry)) return false;
      } else {
        std::size_t count = 0;
        if (!read_numbers("curve numbers", "a curve number", count)) return false;
        geometry = TPK::make_curve(kind, m_numbers, count);
        if (geometry == nullptr) {
          return m_in.fail("the numbers do not describe a valid " + std::string(kind_name) +
                           " curve");
        }
      }
      VERTEX* v0 = vertices[start];
      VERTEX* v1 = vertices[end];
      topology_editor::new_edge(m_body, geometry, v0, v1, t_start, t_end);
      forget_edges(v0);
      forget_edges(v1);
      ++m_degree[start];
      if (end != start) ++m_degree[end];
    }
    return true;
  }

  // A new coedge at the end of `loop`.
  COEDGE* make_coedge(LOOP* loop, EDGE* edge, bool reversed) {
    COEDGE* coedge = topology_editor::append_coedge(loop, edge, reversed);
    // Rings are set whole from the edge-rings section; meanwhile each edge starts at its newest
    // coedge, alone, so that adding the next one does not walk the ring.
    topology_editor::set_partner(coedge, nullptr);
    topology_editor::set_coedge(edge, coedge);
    return coedge;
  }

  // Faces, loops and coedges are made in the order of the file, which is the order of the saved
  // body's lists and loops.
  bool read_faces() {
    std::size_t n = 0;
    if (!m_in.word(text::word_faces) || !m_in.count(10, "faces", n)) return false;
    for (std::size_t i = 0; i < n; ++i) {
      bool reversed = false;
      std::string_view kind_name;
      surface_kind kind{};
      if (!m_in.flag("a face's reversed flag", reversed) ||
          !m_in.token(kind_name, "a surface kind")) {
        return false;
      }
      surface* geometry = nullptr;
      if (!text::surface_kind_named(kind_name, kind)) {
        const auto read = [](TPK::geometry_family& family, const auto& source,
                             const std::string& saved,
                             std::string& why) { return family.read_surface(source, saved, why); };
        if (!read_outside(kind_name, "surface", read, geometry)) return false;
      } else {
        std::size_t count = 0;
        if (!read_numbers("surface numbers", "a surface number", count)) return false;
        geometry = TPK::make_surface(kind, m_numbers, count);
        if (geometry == nullptr) {
          return m_in.fail("the numbers do not describe a valid " + std::string(kind_name) +
                           " surface");
        }
      }
      FACE* face = topology_editor::new_face(m_body, geometry, reversed);
      m_faces.push_back(face);
      if (!read_loops(face)) return false;
    }
    return true;
  }

  // A face's loops, each listing its coedges from its first.
  bool read_loops(FACE* face) {
    const auto& edges = m_body->edges();
    std::size_t loops = 0;
    if (!m_in.count(6, "loops", loops)) return false;
    // Making a loop copies the face's loop list; with the list kept empty meanwhile and set whole
    // at the end, a face with many loops costs no more than many faces with one.
    TPK::kernel_vector<LOOP*> made_loops(loops);
    for (std::size_t l = 0; l < loops; ++l) {
      made_loops[l] = topology_editor::new_loop(face);
      if (loops > 1) topology_editor::set_loops(face, TPK::kernel_vector<LOOP*>());
      m_loops.push_back(made_loops[l]);
    }
    if (loops > 1) topology_editor::set_loops(face, made_loops);
    for (LOOP* loop : made_loops) {
      std::size_t coedges = 0;
      if (!m_in.count(4, "coedges", coedges)) return false;
      if (coedges == 0) return m_in.fail("a loop needs at least one coedge");
      for (std::size_t c = 0; c < coedges; ++c) {
        std::size_t edge = 0;
        bool reversed = false;
        if (!m_in.index(edges.size(), "an edge index", edge) ||
            !m_in.flag("a coedge's reversed flag", reversed)) {
          return false;
        }
        m_coedges.push_back(make_coedge(loop, edges[edge], reversed));
        m_coedge_edge.push_back(edge);
        ++m_uses[edge];
      }
    }
    return true;
  }

  bool read_rings() {
    if (!m_in.word(text::word_rings)) return false;
    const auto& edges = m_body->edges();
    std::vector<bool> seen(m_coedges.size(), false);
    std::vector<COEDGE*> ring;
    for (std::size_t e = 0; e < edges.size(); ++e) {
      std::size_t k = 0;
      if (!m_in.count(2, "ring coedges", k)) return false;
      if (k != m_uses[e]) {
        return m_in.fail("the ring of edge " + std::to_string(e) + " lists " + std::to_string(k) +
                         " coedges, but the faces use the edge " + std::to_string(m_uses[e]) +
                         " times");
      }
      ring.clear();
      for (std::size_t j = 0; j < k; ++j) {
        std::size_t c = 0;
        if (!m_in.index(m_coedges.size(), "a coedge index", c)) return false;
        if (m_coedge_edge[c] != e) {
          return m_in.fail("coedge " + std::to_string(c) + " in the ring of edge " +
                           std::to_string(e) + " belongs to edge " +
                           std::to_string(m_coedge_edge[c]));
        }
        if (seen[c]) return m_in.fail("coedge " + std::to_string(c) + " is listed twice");
        seen[c] = true;
        ring.push_back(m_coedges[c]);
      }
      if (k == 0) continue;
      topology_editor::set_coedge(edges[e], ring.front());
      for (std::size_t j = 0; j < k; ++j) {
        topology_editor::set_partner(ring[j], k == 1 ? nullptr : ring[(j + 1) % k]);
      }
    }
    return true;
  }

  bool read_vertex_edges() {
    if (!m_in.word(text::word_vertex_edges)) return false;
    const auto& vertices = m_body->vertices();
    const auto& edges = m_body->edges();
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::size_t> listed_at(edges.size(), none);
    TPK::kernel_vector<EDGE*> list;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      std::size_t k = 0;
      if (!m_in.count(2, "vertex edges", k)) return false;
      if (k != m_degree[v]) {
        return m_in.fail("vertex " + std::to_string(v) + " lists " + std::to_string(k) +
                         " edges, but " + std::to_string(m_degree[v]) + " edges meet it");
      }
      list.clear();
      for (std::size_t j = 0; j < k; ++j) {
        std::size_t e = 0;
        if (!m_in.index(edges.size(), "an edge index", e)) return false;
        if (edges[e]->start() != vertices[v] && edges[e]->end() != vertices[v]) {
          return m_in.fail("edge " + std::to_string(e) + " does not meet vertex " +
                           std::to_string(v));
        }
        if (listed_at[e] == v) {
          return m_in.fail("vertex " + std::to_string(v) + " lists edge " + std::to_string(e) +
                           " twice");
        }
        listed_at[e] = v;
        list.push_back(edges[e]);
      }
      if (k != 0) topology_editor::set_edges(vertices[v], list);
    }
    return true;
  }

  bool read_attributes() {
    std::size_t groups = 0;
    if (!m_in.word(text::word_attributes) || !m_in.count(6, "attribute groups", groups)) {
      return false;
    }
    for (std::size_t g = 0; g < groups; ++g) {
      ENTITY* owner = nullptr;
      if (!read_owner(owner)) return false;
      std::size_t n = 0;
      if (!m_in.count(8, "attributes", n)) return false;
      for (std::size_t a = 0; a < n; ++a) {
        if (!read_record(owner)) return false;
      }
    }
    return true;
  }

  bool read_owner(ENTITY*& owner) {
    std::string_view kind;
    if (!m_in.token(kind, "an attribute owner")) return false;
    std::size_t i = 0;
    if (kind == text::owner_body) {
      owner = m_body;
    } else if (kind == text::owner_face) {
      if (!m_in.index(m_faces.size(), "a face index", i)) return false;
      owner = m_faces[i];
    } else if (kind == text::owner_loop) {
      if (!m_in.index(m_loops.size(), "a loop index", i)) return false;
      owner = m_loops[i];
    } else if (kind == text::owner_coedge) {
      if (!m_in.index(m_coedges.size(), "a coedge index", i)) return false;
      owner = m_coedges[i];
    } else if (kind == text::owner_edge) {
      if (!m_in.index(m_body->edges().size(), "an edge index", i)) return false;
      owner = m_body->edges()[i];
    } else if (kind == text::owner_vertex) {
      if (!m_in.index(m_body->vertices().size(), "a vertex index", i)) return false;
      owner = m_body->vertices()[i];
    } else {
      return m_in.fail(
          "expected an attribute owner (body, face, loop, coedge, edge or vertex), "
          "found '" +
          shown(kind) + "'");
    }
    return true;
  }

  bool read_items(std::size_t n) {
    m_items.clear();
    m_items.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      record_item item{};
      std::string_view type;
      item.at = m_in.next();
      if (!m_in.token(type, "an item type")) return false;
      item.type = type.size() == 1 ? type[0] : '\0';
      bool read = false;
      switch (item.type) {
        case text::item_int:
          read = m_in.int32("an integer item", item.i);
          break;
        case text::item_double:
          read = m_in.number("a double item", item.d);
          break;
        case text::item_string:
          read = m_in.string("a string item", item.s);
          break;
        default:
          return m_in.fail("expected an item type (i, d or s), found '" + shown(type) + "'");
      }
      if (!read) return false;
      m_items.push_back(item);
    }
    return true;
  }

  bool read_record(ENTITY* owner) {
    const text_pos at = m_in.next();
    std::string_view name;
    std::int32_t version = 0;
    std::size_t n = 0;
    if (!m_in.string("a factory name", name) || !m_in.int32("a definition version", version) ||
        !m_in.count(4, "record items", n) || !read_items(n)) {
      return false;
    }
    const std::string factory_name(name);
    save_restore_def* factory = factory_name.find('\0') == std::string::npos
                                    ? TPI_CUSTOM_ENTITY::find_save_restore_def(factory_name.c_str())
                                    : nullptr;
    if (factory == nullptr) {
      return m_in.fail(at, "no save/restore factory is registered as '" + shown(name) + "'");
    }
    ATTRIB_CUSTOM* attrib = topology_editor::new_custom_attrib(owner);
    const record_reader ctx(attrib, version, m_items, at);
    entity_def* made = nullptr;
    const bool restored = factory->restore(ctx, made);
    if (restored && made != nullptr) {
      auto* def = dynamic_cast<attrib_def*>(made);
      if (def == nullptr) {
        made->destroy();
        delete made;
        return m_in.fail(at, "factory '" + shown(name) +
                                 "' made a definition that is not an attribute definition");
      }
      // Installed before anything else can fail: undoing the operation frees it with the
      // attribute.
      topology_editor::install_def(attrib, def);
    }
    const std::string who = "factory '" + shown(name) + "' ";
    if (ctx.misread()) return m_in.fail(ctx.misread_at(), who + ctx.misread_reason());
    if (!restored) return m_in.fail(at, who + "could not restore the record");
    if (made == nullptr) return m_in.fail(at, who + "restored no definition");
    if (ctx.read_count() < m_items.size()) {
      return m_in.fail(m_items[ctx.read_count()].at,
                       who + "left " + std::to_string(m_items.size() - ctx.read_count()) + " of " +
                           std::to_string(m_items.size()) + " items unread");
    }
    return true;
  }

  text_in& m_in;
  std::size_t m_number;
  BODY* m_body = nullptr;
  double m_numbers[text::max_geometry_numbers] = {};
  std::vector<std::size_t> m_degree;  // edges meeting each vertex
  std::vector<std::shared_ptr<const TPK::geometry_source>> m_sources;
  std::vector<std::size_t> m_uses;         // coedges of each edge
  std::vector<FACE*> m_faces;              // in the order of the file
  std::vector<LOOP*> m_loops;              // in the order the faces list them
  std::vector<COEDGE*> m_coedges;          // likewise
  std::vector<std::size_t> m_coedge_edge;  // the edge of each coedge
  std::vector<record_item> m_items;
};

bool read_model(text_in& in, std::vector<BODY*>& made) {
  std::string_view magic;
  if (!in.token(magic, "'tagtrack-model'")) return false;
  if (magic != text::magic) {
    return in.fail("not a model file: expected 'tagtrack-model', found '" + shown(magic) + "'");
  }
  std::int32_t version = 0;
  if (!in.int32("the format version", version)) return false;
  if (version != text::format_version) {
    return in.fail("model file version " + std::to_string(version) +
                   " is not supported (this kernel reads version " +
                   std::to_string(text::format_version) + ")");
  }
  std::size_t n = 0;
  if (!in.word(text::word_bodies) || !in.count(8, "bodies", n)) return false;
  made.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    BODY* body = nullptr;
    body_reader reader(in, i);
    if (!reader.read(body)) return false;
    made.push_back(body);
  }
  if (!in.at_end()) return in.fail(in.next(), "unexpected text after the last body");
  return true;
}

outcome restore_text(const std::string& text, std::vector<BODY*>& bodies, const char* who) {
  text_in in(text);
  TPK::operation_scope scope;
  std::vector<BODY*> made;
  if (!read_model(in, made)) return outcome::failure(in.error(who));
  bodies.reserve(bodies.size() + made.size());
  scope.commit();
  bodies.insert(bodies.end(), made.begin(), made.end());
  return outcome();
}

}  // namespace

namespace TPI_FILE {

outcome restore_bodies(const std::string& text, std::vector<BODY*>& bodies) {
  return restore_text(text, bodies, "restore_bodies: ");
}

outcome restore_bodies_from_file(const char* path, std::vector<BODY*>& bodies) {
  if (path == nullptr) return outcome::failure("restore_bodies_from_file: no path");
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
  if (file == nullptr) {
    return outcome::failure(std::string("restore_bodies_from_file: cannot open '") + path + "'");
  }
  std::string text;
  char chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
  if (std::ferror(file.get()) != 0) {
    return outcome::failure(std::string("restore_bodies_from_file: cannot read '") + path + "'");
  }
  file.reset();
  const std::string who = std::string("restore_bodies_from_file: ") + path + ":";
  return restore_text(text, bodies, who.c_str());
}

}  // namespace TPI_FILE
