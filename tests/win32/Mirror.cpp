#include "tests/win32/Mirror.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestar::test {
namespace {

Mirror* theMirror = nullptr;

// Classes the system already has: their real windows are the system's, subclassed.
bool isSystemClass(const std::string& name) {
  return name == "MDIClient" || name == "Edit" || name == "Button" || name == "#32770";
}

bool isHandedOn(UINT msg) {
  switch (msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CLOSE:
    case EM_GETLINECOUNT:
    case EM_GETLINE:
      return true;
    default:
      return false;
  }
}

client::Hwnd value(HWND window) {
  return static_cast<client::Hwnd>(reinterpret_cast<UINT_PTR>(window) & 0xFFFFFFFFu);
}

bool isRead(UINT msg) {
  return msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH || msg == EM_GETLINECOUNT ||
         msg == EM_GETLINE;
}

}  // namespace

Mirror::Mirror(client::Desktop& model, HINSTANCE instance) : model_(model), instance_(instance) {
  theMirror = this;
  WNDCLASSEXA edit{};
  edit.cbSize = sizeof edit;
  GetClassInfoExA(nullptr, "EDIT", &edit);
  editProc_ = edit.lpfnWndProc;
  edit.lpfnWndProc = &Mirror::richTextProc;
  edit.hInstance = instance_;
  edit.lpszClassName = "RICHCNTL";
  RegisterClassExA(&edit);
  registered_["RICHCNTL"] = true;
  staging_ =
      CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
}

Mirror::~Mirror() {
  ++quiet_;
  for (const auto& entry : real_) {
    if (IsWindow(entry.second)) DestroyWindow(entry.second);
  }
  DestroyWindow(staging_);
  theMirror = nullptr;
}

client::Hwnd Mirror::realOf(client::Hwnd modelWindow) const {
  const auto it = reported_.find(modelWindow);
  return it == reported_.end() ? 0 : it->second;
}

client::Hwnd Mirror::modelOf(client::Hwnd realWindow) const {
  for (const auto& [model, real] : reported_) {
    if (real == realWindow) return model;
  }
  return 0;
}

void Mirror::reconcile() {
  ++quiet_;
  std::vector<client::Hwnd> gone;
  for (const auto& [model, real] : real_) {
    if (!model_.exists(model)) gone.push_back(model);
  }
  for (const client::Hwnd model : gone) {
    const HWND real = real_[model];
    if (IsWindow(real)) DestroyWindow(real);
    real_.erase(model);
    modelOf_.erase(real);
    systemProc_.erase(real);
    caption_.erase(real);
  }
  syncChildren(0, nullptr);
  --quiet_;
}

void Mirror::syncChildren(client::Hwnd modelParent, HWND realParent) {
  HWND previous = HWND_TOP;
  for (const client::Hwnd child : model_.children(modelParent)) {
    const auto found = real_.find(child);
    const HWND real = found != real_.end() ? found->second : build(child, realParent);
    if (real == nullptr) continue;
    const std::string text = shownText(child);
    if (caption_[real] != text) {
      SetWindowTextA(real, text.c_str());
      caption_[real] = text;
    }
    SetWindowPos(real, previous, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    previous = real;
    syncChildren(child, real);
  }
}

HWND Mirror::build(client::Hwnd modelWindow, HWND parent) {
  // A window is put together out of sight, under a message-only window that no search finds, and
  // moved into place whole: a program looking for it never sees it without its children.
  const HWND real = create(modelWindow, staging_);
  if (real == nullptr) return nullptr;
  buildChildren(modelWindow, real);
  if (parent == nullptr) SetWindowLongPtrA(real, GWL_STYLE, WS_POPUP);
  SetParent(real, parent);
  return real;
}

void Mirror::buildChildren(client::Hwnd modelWindow, HWND real) {
  for (const client::Hwnd child : model_.children(modelWindow)) {
    if (const HWND made = create(child, real)) buildChildren(child, made);
  }
}

HWND Mirror::create(client::Hwnd modelWindow, HWND parent) {
  const std::string& className = model_.className(modelWindow);
  const std::string text = shownText(modelWindow);
  if (!isSystemClass(className) && !registered_[className]) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Mirror::windowProc;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = className.c_str();
    RegisterClassExA(&windowClass);
    registered_[className] = true;
  }
  const bool richText = className == "RICHCNTL";
  const DWORD style = richText ? WS_CHILD | ES_MULTILINE : WS_CHILD;
  CLIENTCREATESTRUCT mdi{nullptr, 0x1000};
  void* creation = className == "MDIClient" ? &mdi : nullptr;
  const HWND real = CreateWindowExA(0, className.c_str(), text.c_str(), style, 0, 0, 200, 100,
                                    parent, nullptr, instance_, creation);
  if (real == nullptr) return nullptr;
  if (isSystemClass(className)) {
    systemProc_[real] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(real, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Mirror::windowProc)));
  }
  if (richText) {
    systemProc_[real] = editProc_;
    // With its default font, under Wine without a display, an accented letter in the box cut the
    // stand-in off from the wine server.
    SendMessageA(real, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  }
  real_[modelWindow] = real;
  modelOf_[real] = modelWindow;
  reported_[modelWindow] = value(real);
  caption_[real] = text;
  return real;
}

LRESULT CALLBACK Mirror::windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (theMirror == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
  return theMirror->handle(window, msg, wParam, lParam);
}

LRESULT CALLBACK Mirror::richTextProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The edit control's own messages while it is made, before the mirror knows the window.
  if (theMirror == nullptr || theMirror->modelOf_.count(window) == 0)
    return CallWindowProcA(theMirror->editProc_, window, msg, wParam, lParam);
  return theMirror->handle(window, msg, wParam, lParam);
}

std::string Mirror::shownText(client::Hwnd modelWindow) const {
  // A box of lines shows each line ended by a line break, the last one too.
  if (model_.lines(modelWindow).empty()) return model_.text(modelWindow);
  return model_.contents(modelWindow) + "\r\n";
}

LRESULT Mirror::passOn(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto system = systemProc_.find(window);
  if (system != systemProc_.end())
    return CallWindowProcA(system->second, window, msg, wParam, lParam);
  return DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT Mirror::handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto found = modelOf_.find(window);
  // Only messages from outside reach the model: sent by another program or posted to the
  // queue. The system's own traffic, and the mirror's, is the real window's business.
  const bool fromOutside = InSendMessage() || dispatchingPosted;
  if (quiet_ > 0 || found == modelOf_.end() || !isHandedOn(msg) || !fromOutside) {
    return passOn(window, msg, wParam, lParam);
  }
  const client::Hwnd model = found->second;
  // A box of lines is read as it shows them: its real control, wrapped, answers.
  if (isRead(msg) && !model_.lines(model).empty()) return passOn(window, msg, wParam, lParam);
  const bool posted = dispatchingPosted && !InSendMessage();
  LRESULT result = 0;
  switch (msg) {
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(model_.contents(model).size());
    case WM_GETTEXT: {
      const std::string text = model_.windowText(model);
      if (wParam == 0) return 0;
      const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), text.data(), copied);
      reinterpret_cast<char*>(lParam)[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case EM_GETLINECOUNT:
      return model_.lineCount(model);
    case EM_GETLINE: {
      const std::string line = model_.lineText(model, static_cast<int>(wParam));
      auto* buffer = reinterpret_cast<char*>(lParam);
      const std::size_t room = *reinterpret_cast<const WORD*>(buffer);
      const std::size_t copied = std::min(line.size(), room);
      std::memcpy(buffer, line.data(), copied);
      return static_cast<LRESULT>(copied);
    }
    case WM_SETTEXT:
      result = model_.receive(client::Message{
          model, msg, wParam, 0, lParam != 0 ? reinterpret_cast<const char*>(lParam) : "", posted});
      break;
    default:
      result = model_.receive(client::Message{model, msg, wParam, lParam, {}, posted});
      break;
  }
  // The model may have closed this very window; nothing here touches it afterwards.
  reconcile();
  return result;
}

}  // namespace kestar::test
