#pragma once
// Whether Kestrel is the desktop's default browser, and making it so.
namespace kestrel {

class DefaultBrowser {
 public:
  virtual ~DefaultBrowser() = default;
  virtual bool IsDefault() const = 0;
  virtual bool Register() = 0;
};

}  // namespace kestrel
