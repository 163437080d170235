#pragma once
#include "settings/settings.h"

namespace kestrel::test {

// Every setting away from its default (the start-up options stay off, so a
// run with these opens nothing by itself), for save-and-load round trips.
Settings ChangedSettings();

}  // namespace kestrel::test
