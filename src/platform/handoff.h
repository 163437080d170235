#pragma once
// The single-instance hand-off message: a 32-bit code, a 32-bit length and
// that many bytes of text, the last of them a NUL (both numbers little-endian).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr std::uint32_t kHandoffCode = 0xE101;
// Longer messages are dropped unread: nothing typed is that long.
inline constexpr std::uint32_t kHandoffMaxLength = 1u << 20;

std::string EncodeHandoff(std::string_view text, std::uint32_t code = kHandoffCode);

// Reassembles one message from the bytes of one connection.
class HandoffDecoder {
 public:
  enum class State {
    NeedMore,  // keep feeding
    Done,      // a whole message: code() and text()
    Bad,       // oversized, or more bytes than the length said: drop it
  };
  State Feed(const char* data, std::size_t size);
  State state() const { return state_; }
  std::uint32_t code() const { return code_; }
  // The text up to its first NUL, as the receiver of a C string sees it.
  std::string text() const;

 private:
  State state_ = State::NeedMore;
  std::string buffer_;
  std::uint32_t code_ = 0, length_ = 0;
  bool haveHeader_ = false;
};

}  // namespace kestrel
