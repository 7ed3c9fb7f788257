// One copy of the program per user and hosts file: the first copy listens on a local socket
// named for both; a later start connects there, asks for the login window and ends.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>
#include <string>

namespace qtfront {

// What tells which user the program runs for, each as this process's user namespace sees it.
struct UserEvidence {
  std::string login_uid{};     // /proc/self/loginuid: the user the session was opened for
  std::string uid_map{};       // /proc/self/uid_map: how this namespace's ids stand outside it
  std::string launcher_uid{};  // PKEXEC_UID or SUDO_UID, read only when running as root
  unsigned long uid = 0;       // getuid()
};

UserEvidence EvidenceOfThisProcess();

// The user as the machine outside any user namespace knows them: the session's, else the one
// a launcher made this process root for, else the process's own.
unsigned long RealUser(const UserEvidence& evidence);

class SingleCopy {
 public:
  // The socket's name for the user running the program and the system's hosts file.
  static QString NameForUser();
  // The name for `user` and the folder that holds the hosts file; the folder counts by what it
  // is (its file system and inode), not only by its path, since a sandbox's /etc is an overlay
  // on the same path.
  static QString NameFor(unsigned long user, const std::string& hosts_folder);

  // Becomes the first copy under `name`, unless a running copy answers there; that copy is then
  // asked for its login window.
  explicit SingleCopy(const QString& name);

  bool first() const { return first_; }
  // What the first copy does when another start asks for its login window.
  void OnAnotherStart(std::function<void()> handler) { another_start_ = std::move(handler); }

 private:
  QLocalServer server_;
  bool first_ = true;
  std::function<void()> another_start_;
};

}  // namespace qtfront
