#pragma once
// The words about what a page asks to use: whose host asks, and the
// question put to the user.
#include <string>

#include "platform/browser_control.h"

namespace kestrel {

// The host of an origin or address ("https://a.example:8443/x" gives
// "a.example"), lower case, without any user name; "" when it has none.
std::string PermissionHost(const std::string& origin);
// The bar's question: "127.0.0.1 wants to show notifications."
std::string PermissionQuestion(const std::string& origin, PagePermission what);

}  // namespace kestrel
