#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "client/Desktop.h"

namespace kestar::test {

// Real Win32 windows standing in for the simulated client's windows: one real window of the same
// class name and caption for each window of the model, in the same tree and z-order. Messages
// that other programs send or post to a real window are handed to the model's window, which
// records them and acts as the simulated client does; the real windows then follow the model.
class Mirror final {
 public:
  Mirror(sim::SimWindows& model, HINSTANCE instance);
  ~Mirror();
  Mirror(const Mirror&) = delete;
  Mirror& operator=(const Mirror&) = delete;

  // Makes the real windows match the model.
  void reconcile();
  // The real window standing for a model window, also after it is gone (for reports).
  sim::Hwnd realOf(sim::Hwnd modelWindow) const;
  sim::Hwnd modelOf(sim::Hwnd realWindow) const;

  // Set while the program's loop dispatches a posted message.
  bool dispatchingPosted = false;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT passOn(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND build(sim::Hwnd modelWindow, HWND parent);
  void buildChildren(sim::Hwnd modelWindow, HWND real);
  HWND create(sim::Hwnd modelWindow, HWND parent);
  void syncChildren(sim::Hwnd modelParent, HWND realParent);

  sim::SimWindows& model_;
  HINSTANCE instance_;
  HWND staging_ = nullptr;
  std::map<sim::Hwnd, HWND> real_;
  std::map<HWND, sim::Hwnd> modelOf_;
  std::map<sim::Hwnd, sim::Hwnd> reported_;
  std::map<HWND, WNDPROC> systemProc_;
  std::map<HWND, std::string> caption_;
  std::map<std::string, bool> registered_;
  int quiet_ = 0;
};

}  // namespace kestar::test
