// A request read field by field from the helper's standard input, in the order its kind gives
// them, so that nothing after the password is read (let alone held in memory) before the
// password is right, and the one large field, the hosts text, is read once into its own string.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"

namespace helper {

class RequestReader {
 public:
  // Reads at most `room` bytes into `into`: how many, 0 at the end, less than 0 on a failure.
  using Source = std::function<std::ptrdiff_t(char* into, std::size_t room)>;

  explicit RequestReader(Source source);
  // A request that is all in memory already (tests, tools).
  static RequestReader Of(std::string_view bytes);

  // The greeting of this version and the request's kind.
  rir::Result<std::string> Kind();
  // The next field, which must be called `name` and hold at most `most` bytes.
  rir::Result<std::string> Field(std::string_view name, std::size_t most);
  // That nothing follows the last field.
  rir::Result<void> End();

 private:
  bool Fill();  // more bytes into the buffer; false at the end or on a failure
  rir::Result<std::string> Line(std::string_view what);

  Source source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // the bytes not yet taken: [begin_, end_)
  std::size_t end_ = 0;
};

}  // namespace helper
