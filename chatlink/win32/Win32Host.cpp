#include "chatlink/win32/Win32Host.h"

#include <windows.h>

namespace kestar::chatlink::win32 {
namespace {

// Thread timers carry no pointer of their own; the one host of the thread is found here.
Win32Host* theHost = nullptr;

}  // namespace

Win32Host::Win32Host() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  counterFrequency_ = static_cast<double>(frequency.QuadPart);
  theHost = this;
}

Win32Host::~Win32Host() {
  for (const auto& entry : timers_)
    KillTimer(nullptr, static_cast<UINT_PTR>(entry.first));
  if (theHost == this) theHost = nullptr;
}

void Win32Host::processEvents(double maxWaitSeconds) {
  MSG message;
  bool any = false;
  while (!ended() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    if (message.message == WM_QUIT) {
      end();
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (any || maxWaitSeconds <= 0 || ended()) return;
  // Sleep until a message arrives or the wait is over.
  const auto milliseconds = static_cast<DWORD>(maxWaitSeconds * 1000 + 0.5);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds == 0 ? 1 : milliseconds, QS_ALLINPUT);
}

double Win32Host::timeOfDay() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

double Win32Host::steadySeconds() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / counterFrequency_;
}

int Win32Host::startTimer(int intervalMs, std::function<void()> tick) {
  const UINT_PTR id =
      SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), [](HWND, UINT, UINT_PTR timerId, DWORD) {
        if (theHost != nullptr) theHost->tick(timerId);
      });
  if (id == 0) return 0;
  timers_[id] = std::move(tick);
  return static_cast<int>(id);
}

void Win32Host::stopTimer(int id) {
  KillTimer(nullptr, static_cast<UINT_PTR>(id));
  timers_.erase(static_cast<unsigned long long>(id));
}

void Win32Host::tick(unsigned long long timerId) {
  const auto it = timers_.find(timerId);
  if (it == timers_.end() || ended()) return;
  const auto tick = it->second;  // the tick may stop its own timer
  tick();
}

void Win32Host::onEnd() {
  for (const auto& entry : timers_)
    KillTimer(nullptr, static_cast<UINT_PTR>(entry.first));
  timers_.clear();
  PostQuitMessage(0);
}

}  // namespace kestar::chatlink::win32
