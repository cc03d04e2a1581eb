#pragma once

#include <QByteArrayList>
#include <QObject>

#include <string>
#include <vector>

// One VORKA per user. The first start owns the program's name on the session bus and answers
// the Open calls of later starts with `openRequested`; a later start hands its modules over
// and ends. Without a session bus every start runs on its own. GUI thread only.
class TSingleInstance : public QObject {
  Q_OBJECT
  // The program's reverse-DNS id, as VORKA_APP_ID spells it.
  Q_CLASSINFO("D-Bus Interface", "example.vorka.Vorka")

public:
  enum class TClaim {
    Owner,   // this start owns the name and answers Open
    Running, // another start owns it: hand over to it
    NoBus,   // no session bus: run on its own
  };

  static constexpr const char* ObjectPath = "/example/vorka/Vorka";

  explicit TSingleInstance(QObject* parent = nullptr);

  TClaim claim();
  // Asks the running start to add and play `modules` (none: just show its window). False when
  // it did not answer within 5 s.
  static bool handOver(const std::vector<std::string>& modules);

public slots:
  // The D-Bus method: absolute paths in the file system's bytes.
  Q_SCRIPTABLE void Open(const QByteArrayList& paths);

signals:
  void openRequested(const std::vector<std::string>& paths);
};
