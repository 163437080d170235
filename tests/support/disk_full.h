#pragma once
// A full disk, as a write sees it: runs `body` in a child process whose
// files may not grow past `bytes` (a limit that binds root too, unlike a
// read-only folder). Returns the child's exit code: `body`'s answer, 3 when
// the limit could not be set, or -1 when the child did not end normally.
#include <cstddef>
#include <functional>

namespace kestrel::test {

int RunWithFileSizeLimit(std::size_t bytes, const std::function<int()>& body);

}  // namespace kestrel::test
