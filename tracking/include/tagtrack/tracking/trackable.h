// Trackables wrap one face, edge or vertex of the kernel so that a caller can make its recipe. A
// trackable only points at its entity (which may be null); it is valid while the entity exists.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagtrack_export.h>
#include <tagtrack/tracking/track_context.h>

namespace TPI_TAGGING_TRACKING {

class IRecipe;

class TAGTRACK_EXPORT ITrackable {
 public:
  ITrackable() = default;
  ITrackable(const ITrackable&) = default;
  ITrackable& operator=(const ITrackable&) = default;
  virtual ~ITrackable();
  // Makes the recipe of the entity with a tracker of its kind; what the tracker writes into
  // `recipe` (a new recipe owned by the caller, or nothing) is the result.
  virtual void MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const = 0;
};

class TAGTRACK_EXPORT FACE_TRACKABLE : public ITrackable {
 public:
  FACE_TRACKABLE() = default;
  explicit FACE_TRACKABLE(FACE* face) : m_face(face) {}
  void MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const override;
  const FACE* GetFacePtr() const { return m_face; }

 private:
  FACE* m_face = nullptr;
};

class TAGTRACK_EXPORT EDGE_TRACKABLE : public ITrackable {
 public:
  EDGE_TRACKABLE() = default;
  explicit EDGE_TRACKABLE(EDGE* edge) : m_edge(edge) {}
  void MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const override;
  const EDGE* GetEdgePtr() const { return m_edge; }

 private:
  EDGE* m_edge = nullptr;
};

class TAGTRACK_EXPORT VERTEX_TRACKABLE : public ITrackable {
 public:
  VERTEX_TRACKABLE() = default;
  explicit VERTEX_TRACKABLE(VERTEX* vertex) : m_vertex(vertex) {}
  void MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const override;
  const VERTEX* GetVertexPtr() const { return m_vertex; }

 private:
  VERTEX* m_vertex = nullptr;
};

}  // namespace TPI_TAGGING_TRACKING
