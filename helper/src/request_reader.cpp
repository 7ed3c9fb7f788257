#include "helper/request_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "helper/protocol.h"

namespace helper {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 16;
constexpr std::size_t kMostLineBytes = 64;  // "new-password 65536" and the like

rir::Error Malformed(std::string reason) {
  return rir::Error{rir::ErrorCode::kBadRequest, "rir-avadera-helper", std::move(reason)};
}

}  // namespace

RequestReader::RequestReader(Source source) : source_(std::move(source)), buffer_(kBufferBytes) {}

RequestReader RequestReader::Of(std::string_view bytes) {
  return RequestReader([bytes](char* into, std::size_t room) mutable {
    const std::size_t count = std::min(room, bytes.size());
    std::memcpy(into, bytes.data(), count);
    bytes.remove_prefix(count);
    return static_cast<std::ptrdiff_t>(count);
  });
}

bool RequestReader::Fill() {
  if (begin_ == end_) {
    begin_ = end_ = 0;
  }
  if (end_ == buffer_.size()) {
    return false;
  }
  const std::ptrdiff_t got = source_(buffer_.data() + end_, buffer_.size() - end_);
  if (got <= 0) {
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

rir::Result<std::string> RequestReader::Line(std::string_view what) {
  for (;;) {
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(begin_);
    const auto last = buffer_.begin() + static_cast<std::ptrdiff_t>(end_);
    if (const auto found = std::find(first, last, '\n'); found != last) {
      std::string line(first, found);
      begin_ = static_cast<std::size_t>(found - buffer_.begin()) + 1;
      return line;
    }
    if (end_ - begin_ > kMostLineBytes) {
      return Malformed(std::string(what) + " is too long");
    }
    if (begin_ > 0) {  // room for the rest of the line at the buffer's end
      std::copy(first, last, buffer_.begin());
      end_ -= begin_;
      begin_ = 0;
    }
    if (!Fill()) {
      return Malformed(std::string(what) + " has no line end");
    }
  }
}

rir::Result<std::string> RequestReader::Kind() {
  auto greeting = Line("the greeting");
  if (!greeting) {
    return greeting.error();
  }
  if (*greeting != kGreeting.substr(0, kGreeting.size() - 1)) {
    return Malformed("the message does not begin with the greeting of this version");
  }
  auto kind = Line("the kind");
  if (!kind || !IsFieldName(*kind)) {
    return Malformed("the message names no kind");
  }
  return kind;
}

rir::Result<std::string> RequestReader::Field(std::string_view name, std::size_t most) {
  const std::string quoted = "the field \"" + std::string(name) + "\"";
  auto heading = Line(quoted + "'s heading");
  if (!heading) {
    return heading.error();
  }
  const auto space = heading->find(' ');
  if (space == std::string::npos || std::string_view(*heading).substr(0, space) != name) {
    return Malformed("the request lacks " + quoted);
  }
  const std::string_view digits = std::string_view(*heading).substr(space + 1);
  std::size_t size = 0;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()) {
    return Malformed(quoted + " has no size");
  }
  if (size > most) {
    return Malformed(quoted + " is too large");
  }
  // Straight into the value's own bytes: a hosts text is held once.
  std::string value(size, '\0');
  std::size_t have = std::min(size, end_ - begin_);
  std::memcpy(value.data(), buffer_.data() + begin_, have);
  begin_ += have;
  while (have < size) {
    const std::ptrdiff_t got = source_(value.data() + have, size - have);
    if (got <= 0) {
      return Malformed(quoted + " is cut short");
    }
    have += static_cast<std::size_t>(got);
  }
  if (begin_ == end_ && !Fill()) {
    return Malformed(quoted + " is cut short");
  }
  if (buffer_[begin_] != '\n') {
    return Malformed(quoted + " is longer than its size");
  }
  ++begin_;
  return value;
}

rir::Result<void> RequestReader::End() {
  if (begin_ != end_ || Fill()) {
    return Malformed("something follows the request's last field");
  }
  return {};
}

}  // namespace helper
