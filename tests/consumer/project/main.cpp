// A caller of the installed library, through its installed headers and its CMake package only:
// tags the faces of a block, remembers one face as a recipe text, reads the text back and finds
// the face again.
#include <cstdio>
#include <memory>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace {

bool tag(FACE* face, const char* id) {
  TPK::tpk_array<char> chars;
  for (const char* c = id; *c != '\0'; ++c) chars.push_back(*c);
  auto def = std::make_unique<TT::generic_tag_attrib_def>(chars);
  ATTRIB_CUSTOM* attrib = nullptr;
  if (!TPI_CUSTOM_ENTITY::add_attrib(face, def.get(), attrib).ok()) return false;
  def.release();  // the attribute owns it now
  return TT::prepend_operation_id_for_attrib(attrib, 1, false);
}

}  // namespace

int main() {
  BODY* block = nullptr;
  if (!TPI_BUILD::make_block(1, 2, 3, block).ok()) return 1;
  TPK::tpk_array<FACE*> faces;
  TPI_QUERY::get_faces(block, faces);
  const char* ids[] = {"BLOCK.a", "BLOCK.b", "BLOCK.c", "BLOCK.d", "BLOCK.e", "BLOCK.f"};
  bool ok = faces.size() == 6;
  for (std::size_t i = 0; ok && i < faces.size(); ++i) ok = tag(faces[i], ids[i]);

  char* text = nullptr;
  if (ok) {
    TT::IRecipe* made = nullptr;
    TT::FACE_TRACKABLE(faces[3]).MakeRecipe(TT::TRACK_CONTEXT(), made);
    std::unique_ptr<TT::IRecipe> recipe(made);
    ok = recipe != nullptr && TT::save_to_string(text, recipe.get());
  }
  std::vector<TT::ITrackable*> found;
  if (ok) {
    TT::IRecipe* read = nullptr;
    ok = TT::restore_from_string(text, read);
    std::unique_ptr<TT::IRecipe> recipe(read);
    if (ok) {
      TT::FACE_TRACKER().match(TT::MATCH_CONTEXT(nullptr, {block}, TT::compare_loose),
                               recipe.get(), found);
    }
  }
  ok = ok && found.size() == 1 &&
       static_cast<TT::FACE_TRACKABLE*>(found[0])->GetFacePtr() == faces[3];
  for (TT::ITrackable* t : found) delete t;
  std::printf("consumer: %s, recipe %s\n", ok ? "found the face again" : "wrong",
              text != nullptr ? text : "(none)");
  delete[] text;
  TPI_MODEL::delete_body(block);
  return ok ? 0 : 1;
}
