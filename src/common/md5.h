#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel {

using Md5Digest = std::array<std::uint8_t, 16>;

// RFC 1321 MD5.
class Md5 {
 public:
  Md5();
  void Update(const void* data, std::size_t size);
  Md5Digest Final();  // the object is spent afterwards

 private:
  void Block(const std::uint8_t* block);
  std::uint32_t state_[4];
  std::uint64_t length_ = 0;  // bytes seen
  std::uint8_t buffer_[64];
  std::size_t buffered_ = 0;
};

Md5Digest Md5Of(std::string_view data);

}  // namespace kestrel
