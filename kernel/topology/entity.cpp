#include <tagtrack/kernel/topology/entity.h>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/topology/topology.h>

namespace {
// Creation order of entities; gives the kernel an address-free order.
std::uint64_t g_next_serial = 1;
}  // namespace

ENTITY::ENTITY() : m_serial(g_next_serial++) {}
ENTITY::~ENTITY() = default;

namespace TPK {

ENTITY* as_entity(BODY* body) {
  return body;
}
ENTITY* as_entity(FACE* face) {
  return face;
}
ENTITY* as_entity(EDGE* edge) {
  return edge;
}
ENTITY* as_entity(VERTEX* vertex) {
  return vertex;
}
ENTITY* as_entity(ATTRIB_CUSTOM* attrib) {
  return attrib;
}

}  // namespace TPK
