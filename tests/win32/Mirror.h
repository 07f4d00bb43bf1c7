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
// A "RICHCNTL" is a real multi-line edit control that wraps its words: a transcript shows its
// lines there, each ended by a line break, and answers reads of its text and lines itself, as a
// display of a real client does.
class Mirror final {
 public:
  Mirror(client::Desktop& model, HINSTANCE instance);
  ~Mirror();
  Mirror(const Mirror&) = delete;
  Mirror& operator=(const Mirror&) = delete;

  // Makes the real windows match the model.
  void reconcile();
  // The real window standing for a model window, also after it is gone (for reports).
  client::Hwnd realOf(client::Hwnd modelWindow) const;
  client::Hwnd modelOf(client::Hwnd realWindow) const;

  // Set while the program's loop dispatches a posted message.
  bool dispatchingPosted = false;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK richTextProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  std::string shownText(client::Hwnd modelWindow) const;
  LRESULT handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT passOn(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND build(client::Hwnd modelWindow, HWND parent);
  void buildChildren(client::Hwnd modelWindow, HWND real);
  HWND create(client::Hwnd modelWindow, HWND parent);
  void syncChildren(client::Hwnd modelParent, HWND realParent);

  client::Desktop& model_;
  HINSTANCE instance_;
  HWND staging_ = nullptr;
  std::map<client::Hwnd, HWND> real_;
  std::map<HWND, client::Hwnd> modelOf_;
  std::map<client::Hwnd, client::Hwnd> reported_;
  std::map<HWND, WNDPROC> systemProc_;
  std::map<HWND, std::string> caption_;
  std::map<std::string, bool> registered_;
  // The system's multi-line edit control, under which every "RICHCNTL" is made.
  WNDPROC editProc_ = nullptr;
  int quiet_ = 0;
};

}  // namespace kestar::test
