#include "helper/protocol.h"

#include <algorithm>
#include <charconv>

namespace helper {

namespace {

rir::Error Malformed(std::string reason) {
  return rir::Error{rir::ErrorCode::kBadRequest, "rir-avadera-helper", std::move(reason)};
}

// Takes the text up to the next line end from `rest`.
bool TakeLine(std::string_view& rest, std::string_view& line) {
  const auto end = rest.find('\n');
  if (end == std::string_view::npos) {
    return false;
  }
  line = rest.substr(0, end);
  rest.remove_prefix(end + 1);
  return true;
}

}  // namespace

bool IsFieldName(std::string_view text) {
  return !text.empty() && text.size() <= 32 && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || c == '-';
  });
}

const std::string* Message::Field(std::string_view name) const {
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const auto& field) { return field.first == name; });
  return found == fields.end() ? nullptr : &found->second;
}

Message& Message::With(std::string name, std::string value) {
  fields.emplace_back(std::move(name), std::move(value));
  return *this;
}

std::string Encode(const Message& message) {
  std::size_t size = kGreeting.size() + message.kind.size() + 1;
  for (const auto& [name, value] : message.fields) {
    size += name.size() + value.size() + 24;
  }
  std::string text;
  text.reserve(size);
  text.append(kGreeting);
  text.append(message.kind);
  text.push_back('\n');
  for (const auto& [name, value] : message.fields) {
    text.append(name);
    text.push_back(' ');
    text.append(std::to_string(value.size()));
    text.push_back('\n');
    text.append(value);
    text.push_back('\n');
  }
  return text;
}

EncodedPieces EncodeWithLast(const Message& message, std::string_view name,
                             std::string_view value) {
  EncodedPieces encoded{Encode(message), value};
  encoded.head.append(name);
  encoded.head.push_back(' ');
  encoded.head.append(std::to_string(value.size()));
  encoded.head.push_back('\n');
  return encoded;
}

std::string EncodeStamp(const std::optional<hostsfile::FileStamp>& stamp) {
  if (!stamp) {
    return {};
  }
  return std::to_string(stamp->exists) + ' ' + std::to_string(stamp->regular) + ' ' +
         std::to_string(stamp->volume) + ' ' + std::to_string(stamp->file) + ' ' +
         std::to_string(stamp->size) + ' ' + std::to_string(stamp->modified);
}

rir::Result<std::optional<hostsfile::FileStamp>> DecodeStamp(std::string_view text) {
  if (text.empty()) {
    return std::optional<hostsfile::FileStamp>();
  }
  hostsfile::FileStamp stamp;
  int exists = 0;
  int regular = 0;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  const auto take = [&](auto& number) {
    const auto [next, failure] = std::from_chars(at, end, number);
    if (failure != std::errc()) {
      return false;
    }
    at = next < end && *next == ' ' ? next + 1 : next;
    return true;
  };
  if (!take(exists) || !take(regular) || !take(stamp.volume) || !take(stamp.file) ||
      !take(stamp.size) || !take(stamp.modified) || at != end) {
    return Malformed("the field \"stamp\" is no file's stamp");
  }
  stamp.exists = exists != 0;
  stamp.regular = regular != 0;
  return std::optional<hostsfile::FileStamp>(stamp);
}

rir::Result<Message> Decode(std::string_view bytes) {
  if (bytes.size() > kMostMessageBytes) {
    return Malformed("the message is too large");
  }
  if (!bytes.starts_with(kGreeting)) {
    return Malformed("the message does not begin with the greeting of this version");
  }
  std::string_view rest = bytes.substr(kGreeting.size());
  Message message;
  std::string_view line;
  if (!TakeLine(rest, line) || !IsFieldName(line)) {
    return Malformed("the message names no kind");
  }
  message.kind = std::string(line);
  while (!rest.empty()) {
    if (!TakeLine(rest, line)) {
      return Malformed("a field's heading has no line end");
    }
    const auto space = line.find(' ');
    const std::string_view name = line.substr(0, space);
    if (space == std::string_view::npos || !IsFieldName(name)) {
      return Malformed("a field has no name");
    }
    if (message.Field(name) != nullptr) {
      return Malformed("the field \"" + std::string(name) + "\" comes twice");
    }
    const std::string_view digits = line.substr(space + 1);
    std::size_t size = 0;
    const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()) {
      return Malformed("the field \"" + std::string(name) + "\" has no size");
    }
    if (size >= rest.size() || rest[size] != '\n') {
      return Malformed("the field \"" + std::string(name) + "\" is cut short");
    }
    message.fields.emplace_back(std::string(name), std::string(rest.substr(0, size)));
    rest.remove_prefix(size + 1);
  }
  return message;
}

void AddError(Message& message, const rir::Error& error, std::string_view prefix) {
  const std::string first(prefix);
  message.With(first + "code", std::to_string(static_cast<int>(error.code)));
  message.With(first + "path", error.path);
  message.With(first + "reason", error.reason);
}

Message ErrorReply(const rir::Error& error) {
  Message reply{std::string(kFailed), {}};
  AddError(reply, error);
  return reply;
}

rir::Error ErrorIn(const Message& reply, std::string_view prefix) {
  const std::string first(prefix);
  const std::string* code = reply.Field(first + "code");
  const std::string* path = reply.Field(first + "path");
  const std::string* reason = reply.Field(first + "reason");
  int number = -1;
  if (code != nullptr) {
    const auto [end, failure] = std::from_chars(code->data(), code->data() + code->size(), number);
    if (failure != std::errc() || end != code->data() + code->size()) {
      number = -1;
    }
  }
  if (number < 0 || number > static_cast<int>(rir::kLastErrorCode) || path == nullptr ||
      reason == nullptr) {
    return Malformed("the reply holds no error that can be read");
  }
  return rir::Error{static_cast<rir::ErrorCode>(number), *path, *reason};
}

}  // namespace helper
