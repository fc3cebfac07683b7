// Surfaces and curves defined outside the kernel: the extension point through which another
// modelling kernel's geometry (a B-spline surface, a face of an imported solid) lives on kernel
// faces and edges. The kernel evaluates them through the surface and curve interfaces like its own
// kinds; its own operations that construct geometry (split_face, extrude) refuse them, and leave
// such faces to the operations of the kernel they come from.
//
// Model files: outside geometry belongs to a *family*, registered by name with a reader. The
// surfaces and curves of one body may share a *source* (the whole shape they are cut from, say);
// a file stores each distinct source of a body once, as the family's text, and each surface or
// curve as its own text, which the family's reader turns back into geometry given the restored
// source.
#pragma once

#include <memory>
#include <string>

#include <tagtrack/kernel/geometry/curve.h>
#include <tagtrack/kernel/geometry/surface.h>
#include <tagtrack/kernel/kernel_export.h>

namespace TPK {

// What the surfaces and curves of a family share; immutable once made.
class TPK_KERNEL_EXPORT geometry_source {
 public:
  virtual ~geometry_source();
  // The name its family is registered under: a word without white space.
  virtual const char* family() const = 0;
  // The source as text for a model file; false when it cannot be written.
  virtual bool save(std::string& text) const = 0;
};

class TPK_KERNEL_EXPORT outside_surface : public surface {
 public:
  surface_kind kind() const final { return surface_kind::outside; }
  // The family's name.
  const char* type_name() const override = 0;
  // The source shared with the body's other geometry, or null when it has none.
  virtual const std::shared_ptr<const geometry_source>& source() const = 0;
  // The surface's own text, read back by its family's reader together with the source.
  virtual bool save(std::string& text) const = 0;
  // True when `other` is the same surface (faces on it may merge).
  virtual bool same_surface(const surface& other) const = 0;
  // Whether the surface is a plane, which tracking and extrusion ask.
  bool planar() const override = 0;
  // Outside geometry is not described by numbers.
  std::size_t data_size() const final { return 0; }
  void get_data(double*) const final {}
};

class TPK_KERNEL_EXPORT outside_curve : public curve {
 public:
  curve_kind kind() const final { return curve_kind::outside; }
  const char* type_name() const override = 0;
  virtual const std::shared_ptr<const geometry_source>& source() const = 0;
  virtual bool save(std::string& text) const = 0;
  std::size_t data_size() const final { return 0; }
  void get_data(double*) const final {}
};

// Reads a family's texts back. Each function returns null, with the reason in `why`, for a text it
// cannot read; a surface or curve it returns is on the kernel heap and owned by the caller.
class TPK_KERNEL_EXPORT geometry_family {
 public:
  virtual ~geometry_family();
  virtual std::shared_ptr<const geometry_source> read_source(const std::string& text,
                                                             std::string& why) = 0;
  // `source` is the restored source the surface or curve was saved with, or null when it had none.
  virtual surface* read_surface(const std::shared_ptr<const geometry_source>& source,
                                const std::string& text, std::string& why) = 0;
  virtual curve* read_curve(const std::shared_ptr<const geometry_source>& source,
                            const std::string& text, std::string& why) = 0;
};

// Registers `family` (not owned; it must outlive its registration) under `name`, replacing an
// earlier registration of that name; a null family removes it. A name holds no white space and is
// none of the kernel's own kind names. False, changing nothing, for a name that breaks these rules.
TPK_KERNEL_EXPORT bool register_geometry_family(const char* name, geometry_family* family);

// The family registered under `name`, or null.
TPK_KERNEL_EXPORT geometry_family* find_geometry_family(const char* name);

}  // namespace TPK
