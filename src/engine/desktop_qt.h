#pragma once
// The desktop as Qt reaches it: the clipboard, the programs it starts for
// documents and addresses, and short sounds.
#include <memory>

#include "platform/clipboard.h"
#include "platform/shell.h"
#include "platform/sound.h"

class QSoundEffect;

namespace kestrel {

class QtClipboard : public Clipboard {
 public:
  std::optional<std::string> Text() const override;
};

// xdg-open's choice, through Qt.
class DesktopShell : public Shell {
 public:
  bool Open(const std::string& target) override;
  bool OpenWith(const std::string& mimeType, const std::string& path) override;
  bool OpenWithProgram(const std::string& desktopFile, const std::string& target) override;
  bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& folder) override;
};

class QtSound : public Sound {
 public:
  QtSound();
  ~QtSound() override;
  void Play(const std::string& path) override;

 private:
  std::unique_ptr<QSoundEffect> effect_;
  std::string source_;
};

}  // namespace kestrel
