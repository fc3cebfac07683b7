// Parts of several kinds, each standing for a kind of real part, that `tagtrack selfcheck` is tried
// on: a machined block (boss, pocket, hole, rounded corners; STEP), a lofted B-spline body (STEP),
// a freeform body of 44 B-spline faces between two caps (STEP), a turned part with a cone and a
// chamfer (IGES), an assembly that places one bracket four times (STEP), and a sphere beside a
// torus (BREP).
#pragma once

#include <string>

namespace test_parts {

// Writes machined_block.step, lofted_body.step, freeform_body.step, turned_part.igs,
// bracket_assembly.step and sphere_and_torus.brep into the existing folder `dir`; false when one
// cannot be written.
bool write_test_parts(const std::string& dir);

}  // namespace test_parts
