#include "platform/handoff.h"

#include <cstring>

namespace kestrel {
namespace {

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return v;
}

}  // namespace

std::string EncodeHandoff(std::string_view text, std::uint32_t code) {
  std::string out;
  out.reserve(8 + text.size() + 1);
  PutU32(out, code);
  PutU32(out, static_cast<std::uint32_t>(text.size() + 1));
  out.append(text);
  out.push_back('\0');
  return out;
}

HandoffDecoder::State HandoffDecoder::Feed(const char* data, std::size_t size) {
  if (state_ != State::NeedMore) {
    // Anything after a whole message means the length lied.
    if (size > 0) state_ = State::Bad;
    return state_;
  }
  buffer_.append(data, size);
  if (!haveHeader_) {
    if (buffer_.size() < 8) return state_;
    code_ = GetU32(buffer_.data());
    length_ = GetU32(buffer_.data() + 4);
    haveHeader_ = true;
    buffer_.erase(0, 8);
    if (length_ > kHandoffMaxLength) {
      buffer_.clear();
      return state_ = State::Bad;
    }
  }
  if (buffer_.size() < length_) return state_;
  if (buffer_.size() > length_) {
    buffer_.clear();
    return state_ = State::Bad;
  }
  return state_ = State::Done;
}

std::string HandoffDecoder::text() const {
  if (state_ != State::Done) return {};
  std::size_t end = buffer_.find('\0');
  return buffer_.substr(0, end == std::string::npos ? buffer_.size() : end);
}

}  // namespace kestrel
