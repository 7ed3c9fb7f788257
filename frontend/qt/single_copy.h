// One copy of the program per user: the first copy listens on a local socket named for the
// user; a later start connects there, asks for the login window and ends.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace qtfront {

class SingleCopy {
 public:
  // The socket's name for the user running the program.
  static QString NameForUser();

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
