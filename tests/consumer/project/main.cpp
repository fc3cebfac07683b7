// A caller of the installed library: builds a block and counts its faces.
#include <cstdio>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

int main() {
  BODY* block = nullptr;
  if (!TPI_BUILD::make_block(1, 2, 3, block)) return 1;
  TPK::tpk_array<FACE*> faces;
  TPI_QUERY::get_faces(block, faces);
  const bool ok = faces.size() == 6 && TPI_CHECK::check_body(block).ok();
  TPI_MODEL::delete_body(block);
  std::printf("consumer: %s\n", ok ? "ok" : "wrong");
  return ok ? 0 : 1;
}
