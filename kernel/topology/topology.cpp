#include <tagtrack/kernel/topology/topology.h>

#include <tagtrack/kernel/attributes/attrib.h>

// Destructors free what the entity alone owns; other entities are freed one by one by the history.
BODY::~BODY() = default;
FACE::~FACE() {
  delete m_surface;
}
LOOP::~LOOP() = default;
COEDGE::~COEDGE() = default;
EDGE::~EDGE() {
  delete m_curve;
}
VERTEX::~VERTEX() = default;

BODY* LOOP::body() const {
  return m_links.face ? m_links.face->body() : nullptr;
}
BODY* COEDGE::body() const {
  return m_links.loop ? m_links.loop->body() : nullptr;
}

VERTEX* COEDGE::start() const {
  return m_links.reversed ? m_links.edge->end() : m_links.edge->start();
}
VERTEX* COEDGE::end() const {
  return m_links.reversed ? m_links.edge->start() : m_links.edge->end();
}
