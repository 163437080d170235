#include "common/rc4.h"

#include <stdexcept>
#include <utility>

namespace kestrel {

Rc4::Rc4(const std::vector<std::uint8_t>& key) {
  // An empty key would divide by zero below; it is a programming error.
  if (key.empty()) throw std::invalid_argument("RC4 needs a key of at least one byte");
  for (int i = 0; i < 256; ++i) s_[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::size_t i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + s_[i] + key[i % key.size()]);
    std::swap(s_[i], s_[j]);
  }
}

void Rc4::Process(std::uint8_t* data, std::size_t size) {
  for (std::size_t n = 0; n < size; ++n) {
    i_ = static_cast<std::uint8_t>(i_ + 1);
    j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
    std::swap(s_[i_], s_[j_]);
    data[n] ^= s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
  }
}

}  // namespace kestrel
