#include "file_metadata_posix.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

namespace hostsfile {

namespace {

// The names of the file's extended attributes, or nothing with errno set.
bool AttributeNames(int fd, std::vector<std::string>& names) {
  names.clear();
  for (;;) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
      // A file system without extended attributes has none to copy or to lose.
      return errno == ENOTSUP;
    }
    std::string list(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0) {
      if (errno == ERANGE) {
        continue;  // an attribute was added meanwhile
      }
      return false;
    }
    list.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < list.size();) {
      const std::size_t end = list.find('\0', at);
      names.emplace_back(list, at, end - at);
      at = end + 1;
    }
    return true;
  }
}

bool AttributeValue(int fd, const std::string& name, std::string& value) {
  for (;;) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) {
      return false;
    }
    value.assign(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) {
      return false;
    }
  }
}

bool CopyAttributes(int from, int to) {
  std::vector<std::string> wanted;
  std::vector<std::string> present;
  if (!AttributeNames(from, wanted) || !AttributeNames(to, present)) {
    return false;
  }
  // What the new file got from its folder (an inherited access list, a default label) and the
  // old file does not carry must go.
  for (const std::string& name : present) {
    if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
        ::fremovexattr(to, name.c_str()) != 0) {
      return false;
    }
  }
  std::string value;
  for (const std::string& name : wanted) {
    if (!AttributeValue(from, name, value) ||
        ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool CopyFileMetadata(int from, const struct stat& from_status, int to) {
  // The owner first: changing it clears the set-id bits that the mode then puts back.
  if (::fchown(to, from_status.st_uid, from_status.st_gid) != 0) {
    return false;
  }
  if (!CopyAttributes(from, to)) {
    return false;
  }
  return ::fchmod(to, from_status.st_mode & 07777) == 0;
}

}  // namespace hostsfile
