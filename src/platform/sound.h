#pragma once
// Short notices played through the desktop's sound system.
#include <string>

namespace kestrel {

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays the WAV file at `path`; a missing file or no audio device plays nothing.
  virtual void Play(const std::string& path) = 0;
};

}  // namespace kestrel
