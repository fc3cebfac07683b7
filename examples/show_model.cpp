// Builds a small model with the reference kernel and prints its topology: every face with its
// surface, edges and vertices, and the faces around each vertex in fan order.
#include <cstdio>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace {

std::size_t index_of(const TPK::kernel_vector<FACE*>& list, const FACE* face) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == face) return i;
  }
  return list.size();
}

void print_body(const char* name, BODY* body) {
  std::printf("%s: %zu faces, %zu edges, %zu vertices, %s\n", name, body->faces().size(),
              body->edges().size(), body->vertices().size(),
              TPI_CHECK::check_body(body).ok() ? "valid" : "INVALID");
  for (std::size_t f = 0; f < body->faces().size(); ++f) {
    FACE* face = body->faces()[f];
    TPK::tpk_array<EDGE*> edges;
    TPK::tpk_array<VERTEX*> vertices;
    TPI_QUERY::get_edges(face, edges);
    TPI_QUERY::get_vertices(face, vertices);
    std::printf("  face %zu on a %s: %zu edges, %zu vertices\n", f, face->geometry()->type_name(),
                edges.size(), vertices.size());
  }
  for (VERTEX* vertex : body->vertices()) {
    TPK::position p;
    TPI_QUERY::get_point(vertex, p);
    std::printf("  vertex (%g, %g, %g): faces around it", p.x, p.y, p.z);
    TPI_ORDERED_FACES_ON_VERTEX fans(vertex);
    fans.compute();
    for (std::uint64_t i = 0; i < fans.get_num_fans(); ++i) {
      fan_type type;
      TPK::tpk_array<FACE*> fan;
      fans.get_fan(i, type, fan);
      std::printf(" [%s:", type == fan_type_closed ? "closed" : "open");
      for (FACE* face : fan) std::printf(" %zu", index_of(body->faces(), face));
      std::printf("]");
    }
    std::printf("\n");
  }
}

}  // namespace

int main() {
  BODY* block = nullptr;
  BODY* cylinder = nullptr;
  if (!TPI_BUILD::make_block(2, 1, 1, block) || !TPI_BUILD::make_cylinder(0.5, 2, cylinder)) {
    std::fprintf(stderr, "the kernel refused to build the demo models\n");
    return 1;
  }
  print_body("block 2 x 1 x 1", block);
  print_body("cylinder r 0.5, h 2", cylinder);
  TPI_MODEL::delete_body(block);
  TPI_MODEL::delete_body(cylinder);
  return 0;
}
