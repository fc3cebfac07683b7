#include "support/models.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>

namespace test_support {

namespace {

// Runs a builder; a refusal fails the current test and gives null.
template <class Make>
body_ptr built(Make make) {
  BODY* body = nullptr;
  const outcome result = make(body);
  EXPECT_TRUE(result.ok()) << result.message();
  return body_ptr(result.ok() ? body : nullptr);
}

template <class T>
std::vector<T> to_vector(const TPK::tpk_array<T>& array) {
  return std::vector<T>(array.begin(), array.end());
}

template <class T>
std::vector<std::size_t> positions(const TPK::kernel_vector<T*>& list, const std::vector<T*>& of) {
  std::vector<std::size_t> result;
  for (T* item : of) {
    result.push_back(
        static_cast<std::size_t>(std::find(list.begin(), list.end(), item) - list.begin()));
  }
  return result;
}

}  // namespace

scratch_stream::scratch_stream() {
  TPI_HISTORY::get_default(m_previous, false);
  TPI_HISTORY::get_default(m_stream, true);
}

scratch_stream::~scratch_stream() {
  TPI_HISTORY::set_default(m_previous);
  m_stream->clear();
  const outcome deleted = TPI_HISTORY::delete_stream(m_stream);
  EXPECT_TRUE(deleted.ok()) << deleted.message();
}

body_ptr block(double dx, double dy, double dz) {
  return built([&](BODY*& b) { return TPI_BUILD::make_block(dx, dy, dz, b); });
}

body_ptr cylinder(double radius, double height) {
  return built([&](BODY*& b) { return TPI_BUILD::make_cylinder(radius, height, b); });
}

body_ptr cone(double bottom, double top, double height) {
  return built([&](BODY*& b) { return TPI_BUILD::make_cone(bottom, top, height, b); });
}

body_ptr sphere(double radius) {
  return built([&](BODY*& b) { return TPI_BUILD::make_sphere(radius, b); });
}

body_ptr torus(double major, double minor) {
  return built([&](BODY*& b) { return TPI_BUILD::make_torus(major, minor, b); });
}

body_ptr polyhedron(const std::vector<TPK::position>& points,
                    const std::vector<std::vector<int>>& faces) {
  return built([&](BODY*& b) { return TPI_BUILD::make_polyhedron(points, faces, b); });
}

body_ptr grid_sheet(int nx, int ny) {
  std::vector<TPK::position> points;
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) points.push_back({double(i), double(j), 0});
  }
  std::vector<std::vector<int>> faces;
  const int row = nx + 1;
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int p = j * row + i;
      faces.push_back({p, p + 1, p + row + 1, p + row});
    }
  }
  return polyhedron(points, faces);
}

body_ptr disc(double radius) {
  return built([&](BODY*& b) { return TPI_BUILD::make_disc(radius, b); });
}

ATTRIB_CUSTOM* attach(ENTITY* owner, TPI_CUSTOM_ENTITY::attrib_def* def) {
  // The definition stays the caller's until the kernel takes it, also when attaching throws.
  std::unique_ptr<TPI_CUSTOM_ENTITY::attrib_def> owned(def);
  ATTRIB_CUSTOM* attrib = nullptr;
  const outcome r = TPI_CUSTOM_ENTITY::add_attrib(owner, def, attrib);
  EXPECT_TRUE(r.ok()) << r.message();
  if (r.ok()) owned.release();
  return attrib;
}

FACE* split_between(FACE* face, const TPK::position& a, const TPK::position& b, EDGE** cut) {
  EDGE* edge = nullptr;
  FACE* piece = nullptr;
  const outcome r = TPI_MODEL::split_face(face, vertex_at(face->body(), a),
                                          vertex_at(face->body(), b), edge, piece);
  EXPECT_TRUE(r.ok()) << r.message();
  if (cut != nullptr) *cut = edge;
  return piece;
}

halves halve(BODY* cylinder) {
  halves h;
  EDGE* unused = nullptr;
  EXPECT_TRUE(TPI_MODEL::split_edge(cylinder->edges()[0], {-1, 0, 0}, h.low, unused).ok());
  EXPECT_TRUE(TPI_MODEL::split_edge(cylinder->edges()[1], {-1, 0, 2}, h.high, unused).ok());
  EXPECT_TRUE(TPI_MODEL::split_face(cylinder->faces()[2], h.low, h.high, h.ruling, h.half).ok());
  return h;
}

EDGE* edge_between(BODY* body, const TPK::position& a, const TPK::position& b) {
  for (EDGE* e : body->edges()) {
    const TPK::position s = e->start()->point(), t = e->end()->point();
    if ((TPK::same_point(s, a) && TPK::same_point(t, b)) ||
        (TPK::same_point(s, b) && TPK::same_point(t, a))) {
      return e;
    }
  }
  return nullptr;
}

std::vector<FACE*> faces_of(ENTITY* entity) {
  TPK::tpk_array<FACE*> found;
  TPI_QUERY::get_faces(entity, found);
  return to_vector(found);
}

std::vector<std::size_t> count_of(BODY* body) {
  return {vertices_of(body).size(), edges_of(body).size(), faces_of(body).size()};
}

std::vector<EDGE*> edges_of(ENTITY* entity) {
  TPK::tpk_array<EDGE*> found;
  TPI_QUERY::get_edges(entity, found);
  return to_vector(found);
}

std::vector<VERTEX*> vertices_of(ENTITY* entity) {
  TPK::tpk_array<VERTEX*> found;
  TPI_QUERY::get_vertices(entity, found);
  return to_vector(found);
}

VERTEX* vertex_at(BODY* body, const TPK::position& point) {
  for (VERTEX* v : body->vertices()) {
    if (TPK::same_point(v->point(), point)) return v;
  }
  return nullptr;
}

std::vector<std::size_t> indices_in(const BODY* body, const std::vector<FACE*>& faces) {
  return positions(body->faces(), faces);
}

std::vector<std::size_t> indices_in(const BODY* body, const std::vector<VERTEX*>& vertices) {
  return positions(body->vertices(), vertices);
}

std::string strf(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string describe(const BODY* body, bool numbered) {
  std::string out;
  std::map<const void*, std::size_t> numbers;  // in order of first appearance
  const auto id = [&](const void* p) {
    if (!numbered || p == nullptr) return strf("%p", p);
    return "#" + std::to_string(numbers.emplace(p, numbers.size()).first->second);
  };
  const auto attribs = [&](const ENTITY* e) {
    for (ATTRIB* a = e->first_attrib(); a != nullptr; a = a->next()) {
      auto* custom = dynamic_cast<ATTRIB_CUSTOM*>(a);
      out += " a" + id(a) + ":" + (custom && custom->def() ? custom->def()->type_name() : "-");
    }
  };
  const auto geometry = [&](const auto* geometry) {
    double data[16];
    geometry->get_data(data);
    for (std::size_t i = 0; i < geometry->data_size(); ++i) out += strf(" %.17g", data[i]);
  };
  for (const FACE* f : body->faces()) {
    out += "F" + id(f) + strf(" %d %s", f->reversed(), f->geometry()->type_name());
    geometry(f->geometry());
    attribs(f);
    for (const LOOP* l : f->loops()) {
      out += "\n L" + id(l);
      const COEDGE* c = l->first();
      do {
        out += " C" + id(c) + "(E" + id(c->edge()) + strf(" %d p", c->reversed()) +
               id(c->partner()) + ")";
        c = c->next();
      } while (c != l->first());
    }
    out += "\n";
  }
  for (const EDGE* e : body->edges()) {
    out += "E" + id(e) + " V" + id(e->start()) + " V" + id(e->end()) +
           strf(" %.17g %.17g c", e->t_start(), e->t_end()) + id(e->coedge());
    geometry(e->geometry());
    attribs(e);
    out += "\n";
  }
  for (const VERTEX* v : body->vertices()) {
    out += "V" + id(v) + strf(" %.17g %.17g %.17g:", v->point().x, v->point().y, v->point().z);
    for (const EDGE* e : v->edges()) out += " E" + id(e);
    attribs(v);
    out += "\n";
  }
  attribs(body);
  return out;
}

std::vector<std::vector<std::size_t>> fans_at(VERTEX* vertex) {
  TPI_ORDERED_FACES_ON_VERTEX ordered(vertex);
  EXPECT_TRUE(ordered.compute().ok());
  std::vector<std::vector<std::size_t>> result;
  for (std::uint64_t i = 0; i < ordered.get_num_fans(); ++i) {
    fan_type type;
    TPK::tpk_array<FACE*> fan;
    EXPECT_TRUE(ordered.get_fan(i, type, fan).ok());
    result.push_back(indices_in(vertex->body(), to_vector(fan)));
  }
  return result;
}

}  // namespace test_support
