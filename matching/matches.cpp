#include <tagtrack/matching/matches.h>

#include <tagtrack/matching/match_context.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

namespace {

template <class Entity, class Trackable, class Read>
Entity* entity_of(const ITrackable* trackable, Read read) {
  const auto* typed = dynamic_cast<const Trackable*>(trackable);
  return typed != nullptr ? const_cast<Entity*>((typed->*read)()) : nullptr;
}

template <class Entity, Entity* (*Of)(const ITrackable*)>
std::vector<Entity*> all_of(const std::vector<ITrackable*>& found) {
  std::vector<Entity*> entities;
  for (const ITrackable* t : found) {
    if (Entity* e = Of(t)) entities.push_back(e);
  }
  return entities;
}

}  // namespace

FACE* face_of(const ITrackable* trackable) {
  return entity_of<FACE, FACE_TRACKABLE>(trackable, &FACE_TRACKABLE::GetFacePtr);
}

EDGE* edge_of(const ITrackable* trackable) {
  return entity_of<EDGE, EDGE_TRACKABLE>(trackable, &EDGE_TRACKABLE::GetEdgePtr);
}

VERTEX* vertex_of(const ITrackable* trackable) {
  return entity_of<VERTEX, VERTEX_TRACKABLE>(trackable, &VERTEX_TRACKABLE::GetVertexPtr);
}

match_results::match_results(match_results&& other) noexcept : m_found(std::move(other.m_found)) {
  other.m_found.clear();
}

match_results& match_results::operator=(match_results&& other) noexcept {
  if (this != &other) {
    destroy();
    m_found = std::move(other.m_found);
    other.m_found.clear();
  }
  return *this;
}

match_results::~match_results() {
  destroy();
}

void match_results::destroy() noexcept {
  for (ITrackable* t : m_found) delete t;
  m_found.clear();
}

std::vector<FACE*> match_results::faces() const {
  return all_of<FACE, face_of>(m_found);
}

std::vector<EDGE*> match_results::edges() const {
  return all_of<EDGE, edge_of>(m_found);
}

std::vector<VERTEX*> match_results::vertices() const {
  return all_of<VERTEX, vertex_of>(m_found);
}

match_results find_matches(const IRecipe* recipe, const std::vector<BODY*>& bodies) {
  match_results results;
  if (recipe == nullptr) return results;
  const std::unique_ptr<ITracker> tracker(const_cast<IRecipe*>(recipe)->create_tracker());
  if (tracker) tracker->match(MATCH_CONTEXT(nullptr, bodies, compare_loose), recipe, results.out());
  return results;
}

}  // namespace TPI_TAGGING_TRACKING
