#pragma once

#include <QByteArrayList>
#include <QDBusContext>
#include <QObject>

#include <string>
#include <vector>

// One VORKA per user. The first start owns the program's name on the session bus and answers
// the Open calls of later starts with `openRequested`; a later start hands its modules over
// and ends. Without a session bus every start runs on its own. GUI thread only.
class TSingleInstance : public QObject, protected QDBusContext {
  Q_OBJECT
  // The program's reverse-DNS id, as VORKA_APP_ID spells it.
  Q_CLASSINFO("D-Bus Interface", "example.vorka.Vorka")

public:
  enum class TClaim {
    Owner,   // this start owns the name and answers Open
    Running, // another start owns it: hand over to it
    NoBus,   // no session bus: run on its own
  };

  // What became of a hand-over.
  enum class THandOver {
    Done,     // the running start took the modules
    Refused,  // it answered that it could add none of them
    NoAnswer, // it did not answer in time (it may be frozen) or is gone: run on its own
  };

  static constexpr const char* ObjectPath = "/example/vorka/Vorka";
  // How long a later start waits for the running one to answer.
  static constexpr int HandOverMs = 1500;

  explicit TSingleInstance(QObject* parent = nullptr);

  TClaim claim();
  // Asks the running start to add and play `modules` (none: just show its window), waiting at
  // most HandOverMs. `why` gets the refusal or the reason there was no answer.
  static THandOver handOver(const std::vector<std::string>& modules, std::string& why);

public slots:
  // The D-Bus method: absolute paths in the file system's bytes (one zero byte at the end of a
  // path, as GLib's byte strings carry, is dropped). They are checked as the command line's are;
  // when none can be added, the reply is an error that names each refused path and why. A call
  // whose caller has left the bus meanwhile (it gave up waiting) is ignored.
  Q_SCRIPTABLE void Open(const QByteArrayList& paths);

signals:
  void openRequested(const std::vector<std::string>& paths);
};
