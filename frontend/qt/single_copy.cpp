#include "single_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QLocalSocket>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "hostsfile/hosts_store.h"

namespace qtfront {

namespace {

constexpr int kAnswerWaitMs = 1000;
const QByteArray kOpenLogin = QByteArrayLiteral("login\n");
// What /proc/self/loginuid holds when no login set it, and what an id unmapped here reads as.
constexpr unsigned long kNoUser = 4294967295UL;

std::string ReadText(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<unsigned long> Number(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  unsigned long number = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size() ||
      number == kNoUser) {
    return std::nullopt;
  }
  return number;
}

// Through uid_map's lines of "inside outside count"; an id no line maps stays as it is.
unsigned long Outside(unsigned long id, const std::string& uid_map) {
  std::istringstream lines(uid_map);
  unsigned long inside = 0;
  unsigned long outside = 0;
  unsigned long count = 0;
  while (lines >> inside >> outside >> count) {
    if (id >= inside && id - inside < count) {
      return outside + (id - inside);
    }
  }
  return id;
}

// FNV-1a: short, stable from one run to the next, and enough to keep a few folders apart.
void Mix(std::uint64_t& hash, std::string_view bytes) {
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 0x100000001b3ULL;
  }
}

}  // namespace

UserEvidence EvidenceOfThisProcess() {
  UserEvidence evidence;
  evidence.login_uid = ReadText("/proc/self/loginuid");
  evidence.uid_map = ReadText("/proc/self/uid_map");
  evidence.uid = ::getuid();
  if (evidence.uid == 0) {
    for (const char* name : {"PKEXEC_UID", "SUDO_UID"}) {
      if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
        evidence.launcher_uid = value;
        break;
      }
    }
  }
  return evidence;
}

unsigned long RealUser(const UserEvidence& evidence) {
  // Inside `unshare --map-root-user` the process is root and its login id reads as 0: both are
  // the namespace's names for the user outside, which uid_map gives back. pkexec and sudo keep
  // the login id; where no login set one (a container), the launcher's variable names the user.
  std::optional<unsigned long> user = Number(evidence.login_uid);
  if (!user) {
    user = Number(evidence.launcher_uid);
  }
  return Outside(user.value_or(evidence.uid), evidence.uid_map);
}

QString SingleCopy::NameForUser() {
  return NameFor(RealUser(EvidenceOfThisProcess()), hostsfile::GetSystemPath());
}

QString SingleCopy::NameFor(unsigned long user, const std::string& hosts_folder) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  Mix(hash, hosts_folder);
  struct stat folder {};
  if (::stat(hosts_folder.c_str(), &folder) == 0) {
    Mix(hash, "\n" + std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino));
  }
  // Short enough for a socket's path in any temporary folder of a sensible length.
  return QStringLiteral("tamborelle-rir-avadera-%1-%2")
      .arg(user)
      .arg(static_cast<qulonglong>(hash), 16, 16, QLatin1Char('0'));
}

SingleCopy::SingleCopy(const QString& name) {
  QLocalSocket running;
  running.connectToServer(name);
  if (running.waitForConnected(kAnswerWaitMs)) {
    first_ = false;
    running.write(kOpenLogin);
    running.waitForBytesWritten(kAnswerWaitMs);
    running.disconnectFromServer();
    return;
  }
  // Nobody answers: a socket left by a copy that crashed is in the way.
  QLocalServer::removeServer(name);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  // Should listening fail, this copy runs all the same; only the second-start call is lost.
  server_.listen(name);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
      QObject::connect(caller, &QLocalSocket::readyRead, caller, [this, caller] {
        if (caller->readAll().contains(kOpenLogin) && another_start_) {
          another_start_();
        }
      });
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
    }
  });
}

}  // namespace qtfront
