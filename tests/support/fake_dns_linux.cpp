#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "fake_dns.h"
#include "private_mount.h"
#include "temp_folder.h"

namespace testsupport {

namespace {

constexpr unsigned kTypeA = 1;
constexpr unsigned kTypeAaaa = 28;

unsigned Word(const unsigned char* at) {
  return (unsigned{at[0]} << 8U) | at[1];
}

void PutWord(std::string& out, unsigned value) {
  out += static_cast<char>((value >> 8U) & 0xffU);
  out += static_cast<char>(value & 0xffU);
}

// The answer to one query: its header and question back, and one record for A or AAAA.
// Empty when the query cannot be read.
std::string AnswerTo(const unsigned char* query, std::size_t size) {
  if (size < 12 || Word(query + 4) != 1) {
    return {};
  }
  std::size_t at = 12;
  while (at < size && query[at] != 0) {
    if ((query[at] & 0xc0U) != 0) {
      return {};
    }
    at += 1U + query[at];
  }
  if (at + 5 > size) {
    return {};
  }
  const std::size_t question_end = at + 5;
  const unsigned type = Word(query + at + 1);
  std::string rdata;
  if (type == kTypeA) {
    rdata.resize(4);
    inet_pton(AF_INET, kFakeIpv4, rdata.data());
  } else if (type == kTypeAaaa) {
    rdata.resize(16);
    inet_pton(AF_INET6, kFakeIpv6, rdata.data());
  }
  std::string out;
  PutWord(out, Word(query));                            // the query's id
  PutWord(out, 0x8180U | (Word(query + 2) & 0x0100U));  // a response, recursion done
  PutWord(out, 1);                                      // one question
  PutWord(out, rdata.empty() ? 0 : 1);                  // one answer, or none
  PutWord(out, 0);
  PutWord(out, 0);
  out.append(reinterpret_cast<const char*>(query) + 12, question_end - 12);
  if (!rdata.empty()) {
    PutWord(out, 0xc00cU);  // the name of the question
    PutWord(out, type);
    PutWord(out, 1);  // IN
    PutWord(out, 0);
    PutWord(out, 60);  // TTL
    PutWord(out, static_cast<unsigned>(rdata.size()));
    out += rdata;
  }
  return out;
}

}  // namespace

FakeDnsServer::FakeDnsServer(const std::string& address, Mode mode) : mode_(mode) {
  socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(53);
  if (socket_ < 0 || inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1 ||
      bind(socket_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) {
    std::fprintf(stderr, "cannot serve DNS on %s: %s\n", address.c_str(), std::strerror(errno));
    if (socket_ >= 0) {
      close(socket_);
    }
    socket_ = -1;
    return;
  }
  thread_ = std::thread([this] { Serve(); });
}

FakeDnsServer::~FakeDnsServer() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
  if (socket_ >= 0) {
    close(socket_);
  }
}

void FakeDnsServer::Serve() {
  unsigned char query[512];
  while (!stop_) {
    pollfd ready{socket_, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) {
      continue;
    }
    sockaddr_storage from{};
    socklen_t from_size = sizeof from;
    const ssize_t got =
        recvfrom(socket_, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &from_size);
    if (got <= 0) {
      continue;
    }
    ++queries_;
    if (mode_ == Mode::kSilent) {
      continue;
    }
    const std::string answer = AnswerTo(query, static_cast<std::size_t>(got));
    if (!answer.empty()) {
      sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<const sockaddr*>(&from),
             from_size);
    }
  }
}

int WithFakeDns(const std::string& hosts, FakeDnsServer::Mode mode,
                const std::function<int(const FakeDnsServer& server)>& part) {
  TempFolder folder;
  WriteBytes(folder.File("resolv.conf"), "nameserver 127.0.0.53\n");
  WriteBytes(folder.File("nsswitch.conf"), "hosts: files dns\n");
  return InPrivateNetwork([&] {
    if (!BindFile(hosts, "/etc/hosts") ||
        !BindFile(folder.File("resolv.conf"), "/etc/resolv.conf") ||
        !BindFile(folder.File("nsswitch.conf"), "/etc/nsswitch.conf")) {
      return 2;
    }
    const FakeDnsServer server("127.0.0.53", mode);
    return server.serving() ? part(server) : 3;
  });
}

}  // namespace testsupport
