#pragma once

// SIGTERM, SIGINT and SIGHUP (the end of a desktop session, a kill, Ctrl+C in a terminal) turned
// into a signal of the UI thread, so that the program closes the way Exit does.

#include <QObject>

class QSocketNotifier;

namespace lyrovox {

class QuitSignals final : public QObject {
  Q_OBJECT

 public:
  explicit QuitSignals(QObject* parent = nullptr);
  ~QuitSignals() override;

 signals:
  void Received(int signal);

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lyrovox
