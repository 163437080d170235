// The bookmark HTML import: the tree exported again imports as the same tree.
#include "collections/favorites.h"
#include "fuzz.h"

namespace {

bool Same(const kestrel::Bookmark& a, const kestrel::Bookmark& b) {
  if (a.title != b.title || a.url != b.url || a.folder != b.folder || a.children.size() != b.children.size())
    return false;
  for (std::size_t i = 0; i < a.children.size(); ++i)
    if (!Same(a.children[i], b.children[i])) return false;
  return true;
}

}  // namespace

FUZZ_TARGET {
  const kestrel::BookmarkImport first = kestrel::ParseBookmarkHtml(fuzz::Text(data, size));
  const kestrel::BookmarkImport second = kestrel::ParseBookmarkHtml(kestrel::BookmarkHtml(first.root));
  FUZZ_CHECK(first.links == second.links && first.folders == second.folders);
  FUZZ_CHECK(!second.depthCapped);
  FUZZ_CHECK(Same(first.root, second.root));
  return 0;
}
