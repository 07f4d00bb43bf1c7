#include "dicehost/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kestar::dicehost {
namespace {

volatile std::sig_atomic_t writeEnd = -1;

void onSignal(int signalNumber) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
  errno = saved;
}

void handle(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, nullptr);
}

}  // namespace

SignalPipe::SignalPipe(std::vector<int> signalNumbers, QObject* parent)
    : QObject(parent), handled_(std::move(signalNumbers)) {
  // A pipe rather than a socket pair: the service may open no local sockets.
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  writeEnd = writeEnd_;
  notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SignalPipe::readPipe);
  for (const int signalNumber : handled_)
    handle(signalNumber, onSignal);
}

SignalPipe::~SignalPipe() {
  for (const int signalNumber : handled_)
    handle(signalNumber, SIG_DFL);
  writeEnd = -1;
  if (readEnd_ >= 0) {
    ::close(readEnd_);
    ::close(writeEnd_);
  }
}

void SignalPipe::readPipe() {
  unsigned char bytes[16];
  ssize_t count = 0;
  while ((count = ::read(readEnd_, bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < count; ++i)
      emit received(bytes[i]);
  }
}

}  // namespace kestar::dicehost
