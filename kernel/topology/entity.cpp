#include "kernel/topology/entity.h"

namespace {
// Creation order of entities; gives the kernel an address-free order.
std::uint64_t g_next_serial = 1;
}  // namespace

ENTITY::ENTITY() : m_serial(g_next_serial++) {}
ENTITY::~ENTITY() = default;
