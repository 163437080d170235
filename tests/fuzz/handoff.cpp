// The message a second start sends the first, in two reads split where the
// first byte says; a message decoded is sent again and decodes the same.
#include "fuzz.h"
#include "platform/handoff.h"

FUZZ_TARGET {
  if (size == 0) return 0;
  const std::size_t cut = std::min<std::size_t>(data[0], size - 1);
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  kestrel::HandoffDecoder decoder;
  decoder.Feed(bytes, cut);
  const auto state = decoder.Feed(bytes + cut, size - 1 - cut);
  if (state != kestrel::HandoffDecoder::State::Done) {
    FUZZ_CHECK(decoder.text().empty());
    return 0;
  }
  const std::string again = kestrel::EncodeHandoff(decoder.text(), decoder.code());
  kestrel::HandoffDecoder second;
  FUZZ_CHECK(second.Feed(again.data(), again.size()) == kestrel::HandoffDecoder::State::Done);
  FUZZ_CHECK(second.code() == decoder.code() && second.text() == decoder.text());
  return 0;
}
