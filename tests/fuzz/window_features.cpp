// The features text of window.open: sizes are asked for or not, never wild.
#include "fuzz.h"
#include "platform/window_features.h"

FUZZ_TARGET {
  const kestrel::WindowFeatures f = kestrel::ParseWindowFeatures(fuzz::Text(data, size));
  for (int n : {f.left, f.top, f.width, f.height}) FUZZ_CHECK(n >= -1 && n <= 100000);
  return 0;
}
