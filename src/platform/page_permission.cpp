#include "platform/page_permission.h"

#include "common/strings.h"

namespace kestrel {

std::string PermissionHost(const std::string& origin) {
  const std::size_t scheme = origin.find("://");
  if (scheme == std::string::npos) return {};
  std::size_t b = scheme + 3;
  const std::size_t end = origin.find_first_of("/?#", b);
  std::string authority = origin.substr(b, end == std::string::npos ? std::string::npos : end - b);
  // user:password@ goes; the host cannot hide behind it.
  if (const std::size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    return close == std::string::npos ? std::string() : ToLowerAscii(authority.substr(0, close + 1));
  }
  if (const std::size_t colon = authority.find(':'); colon != std::string::npos) authority.erase(colon);
  return ToLowerAscii(authority);
}

std::string PermissionQuestion(const std::string& origin, PagePermission what) {
  const char* want = "";
  switch (what) {
    case PagePermission::Notifications: want = "show notifications"; break;
    case PagePermission::Geolocation: want = "know your location"; break;
    case PagePermission::Camera: want = "use your camera"; break;
    case PagePermission::Microphone: want = "use your microphone"; break;
    case PagePermission::CameraAndMicrophone: want = "use your camera and microphone"; break;
    case PagePermission::ScreenShare: want = "share your screen"; break;
    case PagePermission::MouseLock: want = "hide and lock your mouse pointer"; break;
  }
  std::string host = PermissionHost(origin);
  if (host.empty()) host = "This page";
  return host + " wants to " + want + ".";
}

}  // namespace kestrel
