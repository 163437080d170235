#pragma once
// The Open and Alias Definitions dialogs for the Address Bar's commands.
#include <functional>
#include <string>

#include "address/address_commands.h"

class QWidget;

namespace kestrel {

class QtAddressDialogs : public AddressDialogs {
 public:
  QtAddressDialogs(QWidget* parent, std::function<void(const std::string& page)> openHelp)
      : parent_(parent), openHelp_(std::move(openHelp)) {}
  std::optional<std::string> OpenDialog(const std::vector<std::string>& typed) override;
  void AliasDefinitions(AliasList& aliases, const std::string& path) override;

 private:
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
};

}  // namespace kestrel
