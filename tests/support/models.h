// Builders and checks for tests, in the kernel's vocabulary.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace test_support {

// Deletes a body when the test ends.
struct body_deleter {
  void operator()(BODY* body) const { TPI_MODEL::delete_body(body); }
};
using body_ptr = std::unique_ptr<BODY, body_deleter>;

// A fresh default history stream for one test; on destruction the previous default comes back
// and the stream, with everything its states hold, is deleted. Bodies of the stream must be gone
// by then (delete them or let their body_ptr end first).
class scratch_stream {
 public:
  scratch_stream();
  scratch_stream(const scratch_stream&) = delete;
  scratch_stream& operator=(const scratch_stream&) = delete;
  ~scratch_stream();
  HISTORY_STREAM* get() const { return m_stream; }
  HISTORY_STREAM* operator->() const { return m_stream; }

 private:
  HISTORY_STREAM* m_previous = nullptr;
  HISTORY_STREAM* m_stream = nullptr;
};

// Each builder fails the current test (and gives null) when the kernel refuses.
body_ptr block(double dx = 1, double dy = 1, double dz = 1);
body_ptr cylinder(double radius = 1, double height = 2);
body_ptr cone(double bottom = 2, double top = 1, double height = 3);
body_ptr sphere(double radius = 1);
body_ptr torus(double major = 3, double minor = 1);
body_ptr polyhedron(const std::vector<TPK::position>& points,
                    const std::vector<std::vector<int>>& faces);
// A flat grid sheet of nx by ny unit squares in the plane z = 0.
body_ptr grid_sheet(int nx, int ny);
// A flat disc of one face, one closed edge and one vertex.
body_ptr disc(double radius = 1);

// Attaches a custom attribute holding `def` to `owner`; fails the current test (and deletes the
// definition) when the kernel refuses, and deletes it when attaching throws.
ATTRIB_CUSTOM* attach(ENTITY* owner, TPI_CUSTOM_ENTITY::attrib_def* def);

// Splits `face` between its vertices at `a` and `b`, failing the current test when the kernel
// refuses; gives the new face, and the new edge in `cut` when asked.
FACE* split_between(FACE* face, const TPK::position& a, const TPK::position& b,
                    EDGE** cut = nullptr);

// What halve() made of a cylinder of radius 1 and height 2 (as cylinder(1, 2) builds it): its rims
// split at (-1, 0, 0) and (-1, 0, 2), and its side split along the ruling between those points.
struct halves {
  VERTEX* low = nullptr;
  VERTEX* high = nullptr;
  EDGE* ruling = nullptr;
  FACE* half = nullptr;  // the new face; the side keeps the other half
};
halves halve(BODY* cylinder);

// The edge between two points, either way round, or null.
EDGE* edge_between(BODY* body, const TPK::position& a, const TPK::position& b);

std::vector<FACE*> faces_of(ENTITY* entity);
// {vertices, edges, faces} of a body, as the queries list them.
std::vector<std::size_t> count_of(BODY* body);
std::vector<EDGE*> edges_of(ENTITY* entity);
std::vector<VERTEX*> vertices_of(ENTITY* entity);

// The vertex of `body` at `point`, or null.
VERTEX* vertex_at(BODY* body, const TPK::position& point);
// Index of each entity in the body's own list (faces, edges or vertices), for comparing the
// orders of two bodies built alike.
std::vector<std::size_t> indices_in(const BODY* body, const std::vector<FACE*>& faces);
std::vector<std::size_t> indices_in(const BODY* body, const std::vector<VERTEX*>& vertices);

// printf's formatting, into a string of up to 255 characters.
std::string strf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A description of the model in full, addresses included: two equal descriptions mean the same
// entity objects with the same links, geometry and attributes. `numbered`, the objects are numbered
// in order of first appearance instead: equal descriptions then mean models alike in every list
// and link, as an exact copy is.
std::string describe(const BODY* body, bool numbered = false);

// The fans at a vertex, each a list of the faces' indices in the body's face list.
std::vector<std::vector<std::size_t>> fans_at(VERTEX* vertex);

}  // namespace test_support

// Fails with the kernel's reason when a body breaks an invariant.
#define EXPECT_VALID(body)                                      \
  do {                                                          \
    const outcome check_result_ = TPI_CHECK::check_body(body);  \
    EXPECT_TRUE(check_result_.ok()) << check_result_.message(); \
  } while (0)
