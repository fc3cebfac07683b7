#include "kernel/history/history.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "kernel/topology/entity.h"
#include "kernel/topology/topology.h"

struct tpk_history_access {
  static HISTORY_STREAM* make() { return new HISTORY_STREAM(); }
};

namespace {

// The kernel's streams, in order of creation; they live until the library unloads.
struct stream_registry {
  std::vector<std::unique_ptr<HISTORY_STREAM>> streams;
  HISTORY_STREAM* current = nullptr;

  HISTORY_STREAM* make_default() {
    streams.emplace_back(tpk_history_access::make());
    current = streams.back().get();
    return current;
  }
  bool knows(const HISTORY_STREAM* stream) const {
    return std::any_of(streams.begin(), streams.end(),
                       [stream](const auto& s) { return s.get() == stream; });
  }
};

stream_registry& registry() {
  static stream_registry instance;
  return instance;
}

}  // namespace

HISTORY_STREAM::~HISTORY_STREAM() = default;

namespace TPI_HISTORY {

outcome get_history_from_entity(ENTITY* entity, HISTORY_STREAM*& stream) {
  BODY* body = entity != nullptr ? entity->body() : nullptr;
  if (body == nullptr) return outcome::failure("get_history_from_entity: the entity has no body");
  stream = body->history();
  return outcome();
}

outcome get_default(HISTORY_STREAM*& stream, bool create_new) {
  stream_registry& r = registry();
  stream = create_new || r.current == nullptr ? r.make_default() : r.current;
  return outcome();
}

outcome set_default(HISTORY_STREAM* stream) {
  stream_registry& r = registry();
  if (stream == nullptr || !r.knows(stream)) {
    return outcome::failure("set_default: not a history stream of this kernel");
  }
  r.current = stream;
  return outcome();
}

}  // namespace TPI_HISTORY
