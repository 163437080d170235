#pragma once
// The stored-password cipher for AutoLogin passwords and the access password:
// RC4 under a key made from an MD5 hash of a fixed pass phrase, written as
// upper-case hex. The key is made the way the Windows Base provider derives a
// 40-bit RC4 key from a hash (first 5 hash bytes, then 11 zero salt bytes), so
// texts stored by earlier versions decipher unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The 16 lower-case letters the key is made from; derived at run time from a
// fixed seed so the phrase never appears in the binary as text.
std::string CipherPassPhrase();

// The 16-byte RC4 key derived from a pass phrase.
std::vector<std::uint8_t> DeriveRc4Key(std::string_view passPhrase);

// Each enciphered byte as two upper-case hex digits; "" for "".
std::string EncipherPassword(std::string_view plain);

// Hex pairs back to text, up to the end or the first NUL; "" for anything
// that is not whole pairs of hex digits.
std::string DecipherPassword(std::string_view hex);

}  // namespace kestrel
