#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "simclient/SimWindows.h"

namespace kestar::test {

// Real Win32 windows standing in for the simulated client's windows: one real window of the same
// class name and caption for each window of the model, in the same tree and z-order. Messages
// that other programs send or post to a real window are handed to the model's window, which
// records them and acts as the simulated client does; the real windows then follow the model.
// A "RICHCNTL" is a real multi-line edit control that wraps its words: a transcript shows its
// lines there, each ended by a line break, and answers reads of its text and lines itself, as a
// display of a real client does.
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
  static LRESULT CALLBACK richTextProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  std::string shownText(sim::Hwnd modelWindow) const;
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
  // The system's multi-line edit control, under which every "RICHCNTL" is made.
  WNDPROC editProc_ = nullptr;
  int quiet_ = 0;
};

}  // namespace kestar::test
