#include "app/quit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace lyrovox {

namespace {

// The write end is all a handler may touch: writing a byte is async-signal-safe.
int g_pipe[2] = {-1, -1};

void OnSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
  fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals)
    sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
  for (int signal : kSignals)
    std::signal(signal, SIG_DFL);
}

void QuitSignals::Drain() {
  unsigned char byte = 0;
  if (read(g_pipe[0], &byte, 1) == 1) emit Received(byte);
}

}  // namespace lyrovox
