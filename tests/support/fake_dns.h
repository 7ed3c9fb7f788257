// A DNS server for tests in a private network namespace: it answers every name over UDP with
// one public-looking address of each family, or it stays silent, as a server that is down does.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace testsupport {

inline constexpr const char* kFakeIpv4 = "93.184.216.34";
inline constexpr const char* kFakeIpv6 = "2606:2800:220:1::1";

class FakeDnsServer {
 public:
  enum class Mode { kAnswer, kSilent };
  // Serves on `address` (IPv4), port 53, on a thread of its own.
  FakeDnsServer(const std::string& address, Mode mode);
  FakeDnsServer(const FakeDnsServer&) = delete;
  FakeDnsServer& operator=(const FakeDnsServer&) = delete;
  ~FakeDnsServer();

  bool serving() const { return socket_ >= 0; }
  std::size_t queries() const { return queries_; }

 private:
  void Serve();

  int socket_ = -1;
  Mode mode_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> queries_{0};
  std::thread thread_;
};

// Runs `part` in a child with a private network and mount namespace: the file `hosts` bound over
// /etc/hosts, resolv.conf naming a fake server on 127.0.0.53 (in `mode`) and nsswitch.conf
// reading the file first. The child's exit code: `part`'s, 2 or 3 when the child could not be
// set up, kNoPrivateMounts when the system refuses the namespaces.
int WithFakeDns(const std::string& hosts, FakeDnsServer::Mode mode,
                const std::function<int(const FakeDnsServer& server)>& part);

}  // namespace testsupport
