// sni_watcher: the notification area of a desktop, as far as Qt can see it on the session bus,
// for the desktop session test. Qt shows a tray icon through D-Bus only when a
// StatusNotifierWatcher says that a host is registered; this one says so, and writes each item
// that registers, and each that goes away, to a log that the test reads:
//   ready
//   item SERVICE SENDER     (SERVICE as the item gave it; the bus name to call it on)
//   gone SERVICE
// Nothing draws the items: the test reaches them through their D-Bus objects.
//   sni_watcher LOG
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <cstdio>

namespace {

class Watcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

 public:
  Watcher(QFile& log, const QDBusConnection& bus) : log_(log), owners_(this) {
    owners_.setConnection(bus);
    owners_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&owners_, &QDBusServiceWatcher::serviceUnregistered, this, &Watcher::OwnerLeft);
  }

  [[nodiscard]] QStringList RegisteredStatusNotifierItems() const { return items_; }
  [[nodiscard]] static bool IsStatusNotifierHostRegistered() { return true; }
  [[nodiscard]] static int ProtocolVersion() { return 0; }

  void Log(const QString& line) {
    log_.write(line.toUtf8() + '\n');
    log_.flush();
  }

 public Q_SLOTS:
  void RegisterStatusNotifierItem(const QString& service) {
    const QString sender = message().service();
    // An item may give its object path alone, which then lies on the caller's own connection.
    const QString name = service.startsWith(QLatin1Char('/')) ? sender : service;
    items_.append(name);
    owners_.addWatchedService(name);
    Log(QStringLiteral("item %1 %2").arg(name, sender));
    emit StatusNotifierItemRegistered(name);
  }

  // Hosts are not counted: this one is always there.
  void RegisterStatusNotifierHost([[maybe_unused]] const QString& service) {}

 Q_SIGNALS:
  void StatusNotifierItemRegistered(const QString& service);
  void StatusNotifierItemUnregistered(const QString& service);
  void StatusNotifierHostRegistered();
  void StatusNotifierHostUnregistered();

 private:
  void OwnerLeft(const QString& name) {
    if (items_.removeAll(name) > 0) {
      owners_.removeWatchedService(name);
      Log(QStringLiteral("gone %1").arg(name));
      emit StatusNotifierItemUnregistered(name);
    }
  }

  QFile& log_;
  QDBusServiceWatcher owners_;
  QStringList items_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    std::fputs("usage: sni_watcher LOG\n", stderr);
    return 2;
  }
  QFile log(QString::fromLocal8Bit(argv[1]));
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
    std::fprintf(stderr, "sni_watcher: cannot write %s\n", argv[1]);
    return 1;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  Watcher watcher(log, bus);
  if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
    std::fprintf(stderr, "sni_watcher: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  watcher.Log(QStringLiteral("ready"));
  return QCoreApplication::exec();
}

#include "sni_watcher.moc"
