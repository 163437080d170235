#pragma once
// The Tools menu's own dialogs as Qt windows: Custom Script.
#include <functional>
#include <string>

#include "tools/custom_scripts.h"

class QWidget;

namespace kestrel {

class QtScriptDialogs : public ScriptDialogs {
 public:
  QtScriptDialogs(QWidget* parent, std::function<void(const std::string&)> openHelp)
      : parent_(parent), openHelp_(std::move(openHelp)) {}
  bool CustomScript(std::string& code, bool& javaScript) override;

 private:
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
};

}  // namespace kestrel
