#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

// The RC4 stream cipher; enciphering and deciphering are the same operation.
class Rc4 {
 public:
  // Key of 1 to 256 bytes (bytes past 256 play no part); an empty key
  // throws std::invalid_argument.
  explicit Rc4(const std::vector<std::uint8_t>& key);
  void Process(std::uint8_t* data, std::size_t size);

 private:
  std::uint8_t s_[256];
  std::uint8_t i_ = 0, j_ = 0;
};

}  // namespace kestrel
