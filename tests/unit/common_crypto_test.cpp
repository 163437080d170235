#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/cipher.h"
#include "common/md5.h"
#include "common/rc4.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

std::string Hex(const Md5Digest& d) { return ToLowerAscii(HexUpper(Bytes(d.begin(), d.end()))); }

Bytes FromHex(std::string_view hex) {
  Bytes b;
  EXPECT_TRUE(ParseHex(hex, b)) << hex;
  return b;
}

Bytes Keystream(const Bytes& key, std::size_t n) {
  Bytes zeros(n, 0);
  Rc4(key).Process(zeros.data(), zeros.size());
  return zeros;
}

TEST(CommonMd5, Rfc1321TestSuite) {
  const std::pair<const char*, const char*> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [text, digest] : suite) EXPECT_EQ(Hex(Md5Of(text)), digest) << text;
}

TEST(CommonMd5, AnySplitAcrossBlockBoundariesGivesTheOneShotDigest) {
  // Lengths around the padding edge (56) and the block size, from md5sum.
  const std::pair<std::size_t, const char*> known[] = {{55, "ef1772b6dff9a122358552954ad0df65"},
                                                       {56, "3b0c8ac703f828b04c6c197006d17218"},
                                                       {63, "b06521f39153d618550606be297466d5"},
                                                       {64, "014842d480b571495a4a0363793f7367"},
                                                       {65, "c743a45e0d2e6a95cb859adae0248435"}};
  for (const auto& [length, digest] : known) {
    const std::string data(length, 'a');
    const Md5Digest whole = Md5Of(data);
    EXPECT_EQ(Hex(whole), digest) << length;
    for (std::size_t cut = 0; cut <= length; ++cut) {
      Md5 md5;
      md5.Update(data.data(), cut);
      md5.Update(data.data() + cut, length - cut);
      ASSERT_EQ(md5.Final(), whole) << length << " split at " << cut;
    }
    Md5 bytewise;
    for (char c : data) bytewise.Update(&c, 1);
    EXPECT_EQ(bytewise.Final(), whole) << length;
  }
  // Binary bytes, NUL included, over several blocks in uneven updates.
  std::string binary;
  for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 37);
  Md5 md5;
  for (std::size_t pos = 0, step = 1; pos < binary.size(); pos += step, step = step * 3 % 97 + 1)
    md5.Update(binary.data() + pos, std::min(step, binary.size() - pos));
  EXPECT_EQ(md5.Final(), Md5Of(binary));
}

TEST(CommonRc4, Rfc6229Keystreams) {
  struct Vector {
    std::size_t offset;
    const char* bytes;
  };
  const Vector key40[] = {{0, "b2396305f03dc027ccc3524a0a1118a8"},    {16, "6982944f18fc82d589c403a47a0d0919"},
                          {240, "28cb1132c96ce286421dcaadb8b69eae"},  {256, "1cfcf62b03eddb641d77dfcf7f8d8c93"},
                          {1520, "3294f744d8f9790507e70f62e5bbceea"}, {1536, "d8729db41882259bee4f825325f5a130"},
                          {4080, "068326a2118416d21f9d04b2cd1ca050"}, {4096, "ff25b58995996707e51fbdf08b34d875"}};
  const Vector key128[] = {{0, "9ac7cc9a609d1ef7b2932899cde41b97"},    {16, "5248c4959014126a6e8a84f11d1a9e1c"},
                           {240, "065902e4b620f6cc36c8589f66432f2b"},  {256, "d39d566bc6bce3010768151549f3873f"},
                           {1520, "b40110c4190b5622a96116b0017ed297"}, {1536, "ffa0b514647ec04f6306b892ae661181"},
                           {4080, "ff38265c1642c1abe8d3c2fe5e572bf8"}, {4096, "a36a4c301ae8ac13610ccbc12256cacc"}};
  const auto check = [](const Bytes& key, const auto& vectors) {
    const Bytes stream = Keystream(key, 4112);
    for (const Vector& v : vectors)
      EXPECT_EQ(Bytes(stream.begin() + v.offset, stream.begin() + v.offset + 16), FromHex(v.bytes))
          << key.size() << "-byte key at " << v.offset;
  };
  check(FromHex("0102030405"), key40);
  check(FromHex("0102030405060708090a0b0c0d0e0f10"), key128);
}

TEST(CommonRc4, StreamContinuesAcrossCallsAndDecipheringInverts) {
  const Bytes key = FromHex("0102030405");
  const Bytes whole = Keystream(key, 3000);
  Bytes pieces(3000, 0);
  Rc4 rc4(key);
  for (std::size_t pos = 0, step = 0; pos < pieces.size(); pos += step, step = (step * 7 + 3) % 300)
    rc4.Process(pieces.data() + pos, std::min(step, pieces.size() - pos));
  EXPECT_EQ(pieces, whole);

  Bytes text(700);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<std::uint8_t>(i ^ 0x5a);
  Bytes data = text;
  Rc4(key).Process(data.data(), data.size());
  EXPECT_NE(data, text);
  Rc4(key).Process(data.data(), data.size());
  EXPECT_EQ(data, text);

  EXPECT_THROW(Rc4(Bytes{}), std::invalid_argument);
  EXPECT_EQ(Keystream(Bytes(300, 9), 64), Keystream(Bytes(256, 9), 64));  // bytes past 256 play no part
}

TEST(CommonCipher, PassPhraseAndKeyAreMadeAsTheBaseProviderMakesThem) {
  const std::string phrase = CipherPassPhrase();
  ASSERT_EQ(phrase.size(), 16u);
  for (char c : phrase) EXPECT_TRUE(c >= 'a' && c <= 'z') << phrase;
  EXPECT_EQ(CipherPassPhrase(), phrase);
  // The phrase is never stored as text: it is not in the program's bytes.
  const auto self = ReadWholeFile("/proc/self/exe", 1u << 30);
  ASSERT_TRUE(self);
  EXPECT_EQ(self->find(phrase), std::string::npos);

  const Bytes key = DeriveRc4Key(phrase);
  ASSERT_EQ(key.size(), 16u);
  const Md5Digest hash = Md5Of(phrase);
  EXPECT_EQ(Bytes(key.begin(), key.begin() + 5), Bytes(hash.begin(), hash.begin() + 5));
  EXPECT_EQ(Bytes(key.begin() + 5, key.end()), Bytes(11, 0));

  // Against outside tools: md5sum gives the hash of the phrase, openssl's
  // RC4 under that 40-bit key and 11 zero bytes gives the ciphertext of "abc".
  EXPECT_EQ(DeriveRc4Key("abcdefghijklmnop"), FromHex("1d64dce2390000000000000000000000"));
  Bytes abc = {'a', 'b', 'c'};
  Rc4(DeriveRc4Key("abcdefghijklmnop")).Process(abc.data(), abc.size());
  EXPECT_EQ(HexUpper(abc), "9E64B5");

  // The stored-password cipher is exactly that composition under the phrase.
  Bytes secret = {'s', '3', 'c', 'r', 'e', 't'};
  Rc4(key).Process(secret.data(), secret.size());
  EXPECT_EQ(EncipherPassword("s3cret"), HexUpper(secret));
}

TEST(CommonCipher, PasswordsRoundTripAsUpperCaseHexOfDoubleLength) {
  std::string all255;
  for (int i = 1; i <= 255; ++i) all255 += static_cast<char>(i);
  const std::string cases[] = {"x", "s3cret;pass", all255, "\xff\x01\x7f\x80 \t\r\n", "pässwörd ☃ 密码",
                               std::string(1000, 'p')};
  for (const std::string& plain : cases) {
    const std::string hex = EncipherPassword(plain);
    ASSERT_EQ(hex.size(), 2 * plain.size());
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    EXPECT_EQ(DecipherPassword(hex), plain);
    EXPECT_EQ(DecipherPassword(ToLowerAscii(hex)), plain);  // either case reads back
    EXPECT_EQ(EncipherPassword(plain), hex);                // a fresh key each call
  }
  EXPECT_EQ(EncipherPassword(""), "");
  EXPECT_EQ(DecipherPassword(""), "");
  // Same key stream every time, so equal prefixes give equal prefixes.
  EXPECT_EQ(EncipherPassword("abcdef").substr(0, 6), EncipherPassword("abc"));

  // Deciphering stops at a NUL, and only whole pairs of hex digits count.
  EXPECT_EQ(DecipherPassword(EncipherPassword("ab\0cd"s)), "ab");
  EXPECT_EQ(DecipherPassword(EncipherPassword("\0abc"s)), "");
  const std::string good = EncipherPassword("secret");
  for (const std::string& bad : {good.substr(1), good + "0", good.substr(0, 4) + "G" + good.substr(5),
                                 " " + good.substr(1), "0x" + good.substr(2), good.substr(0, 10) + "\0"s + "0",
                                 std::string("zz"), std::string("-1")})
    EXPECT_EQ(DecipherPassword(bad), "") << bad;
}

}  // namespace
}  // namespace kestrel
