#include "common/cipher.h"

#include <algorithm>

#include "common/md5.h"
#include "common/rc4.h"
#include "common/strings.h"

namespace kestrel {

namespace {

// Read through a volatile so the compiler cannot fold the phrase into
// constants in the binary.
volatile std::uint32_t passPhraseSeed = 0x6b3e1d55u;

constexpr std::size_t kPassPhraseLength = 16;
constexpr std::size_t kKeyBytes = 5;   // the Base provider's 40-bit RC4 key
constexpr std::size_t kSaltBytes = 11; // and the zero salt it pads the key with

std::vector<std::uint8_t> Crypt(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  // The key never changes within a run: made once, not for every password.
  static const std::vector<std::uint8_t> key = DeriveRc4Key(CipherPassPhrase());
  Rc4 rc4(key);
  rc4.Process(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

std::string CipherPassPhrase() {
  std::uint32_t x = passPhraseSeed;
  std::string phrase;
  phrase.reserve(kPassPhraseLength);
  while (phrase.size() < kPassPhraseLength) {
    x ^= x << 13;  // xorshift32
    x ^= x >> 17;
    x ^= x << 5;
    phrase += static_cast<char>('a' + (x >> 8) % 26);
  }
  return phrase;
}

std::vector<std::uint8_t> DeriveRc4Key(std::string_view passPhrase) {
  const Md5Digest hash = Md5Of(passPhrase);
  // Sized once: growing the vector after the copy trips a false bounds
  // warning of the optimiser at -O3.
  std::vector<std::uint8_t> key(kKeyBytes + kSaltBytes, 0);
  std::copy(hash.begin(), hash.begin() + kKeyBytes, key.begin());
  return key;
}

std::string EncipherPassword(std::string_view plain) {
  if (plain.empty()) return {};
  return HexUpper(Crypt(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()));
}

std::string DecipherPassword(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  if (hex.empty() || !ParseHex(hex, bytes)) return {};
  const std::vector<std::uint8_t> plain = Crypt(bytes.data(), bytes.size());
  std::string text(plain.begin(), plain.end());
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace kestrel
