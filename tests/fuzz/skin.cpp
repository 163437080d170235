// skin.ini: whatever it says, the frame's geometry can be worked out.
#include "appearance/skin.h"
#include "fuzz.h"

FUZZ_TARGET {
  const kestrel::SkinIni ini = kestrel::ParseSkinIni(fuzz::Text(data, size));
  const kestrel::SkinSize button{16, 14};
  for (int width : {0, 120, 1920}) {
    (void)kestrel::LayoutCaptionButtons(ini, width, 24, button, button, button, button);
    (void)kestrel::CaptionTextRect(ini, width);
  }
  const kestrel::SkinRect inner = kestrel::InnerRect(ini.fillWidths, 800, 600, false);
  (void)kestrel::SkinHitTest(ini.fillWidths, 800, 600, inner.left, inner.top);
  return 0;
}
