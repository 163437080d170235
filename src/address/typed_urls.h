#pragma once
// The typed-address list: what the Address Bar's drop-down offers, most
// recent first, kept in the profile under the TypedURLs key as url1, url2, ...
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"

#include "platform/profile.h"

namespace kestrel {

inline constexpr const char* kTypedUrlsKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

// `text` cut to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string_view text, std::size_t limit);

class TypedUrlList {
 public:
  static constexpr std::size_t kItemMax = 255;

  // The form a text is remembered in: a trailing "/" or "\" is dropped
  // unless it is all there is or follows ":" ("C:\" keeps it).
  static std::string Normalise(std::string_view text);

  // Deletes every item equal to `text` (first kItemMax bytes, ASCII case
  // folded) and puts `text` on top. Empty text is not remembered.
  void Insert(std::string_view text);
  void RemoveAt(std::size_t index);
  // Clean History: the values of the key go, and the list empties.
  void Clear(Profile& profile);

  // From the profile, in the order of the value numbers; an unreadable key
  // leaves the list as it is.
  void Load(const Profile& profile);
  // url1..urlN from the top; values numbered past N are deleted, so an entry
  // taken off the list cannot come back at the next start.
  bool Save(Profile& profile) const;

  const std::vector<std::string>& items() const { return items_; }
  // The drop-down and the completion follow every change.
  Notifier<> changed;

 private:
  void Changed() const { changed.Notify(); }
  std::vector<std::string> items_;
};

}  // namespace kestrel
