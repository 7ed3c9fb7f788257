#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>

#include "block_check_system.h"
#include "blockcheck/block_check.h"

namespace blockcheck {

namespace detail {

// The DNS Client service keeps the answers of every program, and every Windows runs it.
bool CacheRuns() {
  return true;
}

// Winsock once, and never WSACleanup: an abandoned lookup may still be under way when the
// check is gone, and the process's end tidies up.
void PrepareLookups() {
  static std::once_flag started;
  std::call_once(started, [] {
    WSADATA data{};
    (void)WSAStartup(MAKEWORD(2, 2), &data);
  });
}

namespace {

bool Read(int family, std::string_view text, unsigned char* out) {
  PrepareLookups();
  // An address is ASCII; anything else is no address.
  std::wstring wide;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) {
      return false;
    }
    wide.push_back(static_cast<wchar_t>(c));
  }
  return InetPtonW(family, wide.c_str(), out) == 1;
}

}  // namespace

bool ReadIpv4(const char* text, unsigned char* out) {
  return Read(AF_INET, text, out);
}

bool ReadIpv6(const char* text, unsigned char* out) {
  return Read(AF_INET6, text, out);
}

}  // namespace detail

LookupAnswer SystemLookup(const std::string& name, AddressFamily family) {
  detail::PrepareLookups();
  LookupAnswer answer;
  const int wide_size = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
  if (wide_size <= 0) {
    answer.kind = LookupAnswer::Kind::kFailed;
    return answer;
  }
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), wide_size);

  ADDRINFOW hints{};
  hints.ai_family = family == AddressFamily::kIpv4 ? AF_INET : AF_INET6;
  hints.ai_socktype = SOCK_STREAM;  // one answer per address, not one per socket type
  ADDRINFOW* list = nullptr;
  switch (GetAddrInfoW(wide.c_str(), nullptr, &hints, &list)) {
    case 0:
      break;
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
      answer.kind = LookupAnswer::Kind::kNoAddress;
      return answer;
    case WSATRY_AGAIN:
      answer.kind = LookupAnswer::Kind::kNoAnswer;
      return answer;
    default:
      answer.kind = LookupAnswer::Kind::kFailed;
      return answer;
  }
  answer.kind = LookupAnswer::Kind::kAddresses;
  for (const ADDRINFOW* entry = list; entry; entry = entry->ai_next) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = nullptr;
    if (entry->ai_family == AF_INET) {
      bytes = &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
    } else if (entry->ai_family == AF_INET6) {
      bytes = &reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr;
    }
    if (bytes && inet_ntop(entry->ai_family, bytes, text, sizeof text)) {
      answer.addresses.emplace_back(text);
    }
  }
  FreeAddrInfoW(list);
  if (answer.addresses.empty()) {
    answer.kind = LookupAnswer::Kind::kNoAddress;
  }
  return answer;
}

}  // namespace blockcheck
