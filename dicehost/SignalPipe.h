#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <vector>

namespace kestar::dicehost {

// The process's signals as a Qt signal on the event loop. The handler does nothing but write the
// signal's number into a pipe; the loop reads it. One at a time in a process.
class SignalPipe final : public QObject {
  Q_OBJECT

 public:
  explicit SignalPipe(std::vector<int> signalNumbers, QObject* parent = nullptr);
  ~SignalPipe() override;
  SignalPipe(const SignalPipe&) = delete;
  SignalPipe& operator=(const SignalPipe&) = delete;

  // False when the pipe could not be made: the signals keep their default action.
  bool listening() const { return notifier_ != nullptr; }

 signals:
  void received(int signalNumber);

 private:
  void readPipe();

  std::vector<int> handled_;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kestar::dicehost
