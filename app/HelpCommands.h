#pragma once
// The help menu, the about command and the key hint window of the main window. The window's
// handlers call these.
class QKeyEvent;
class QWidget;

namespace velm {

class TFormAbout;
class TFormVELM;
class THintWindow;

// The key hint window: one yellow hint window for the main window's controls that have a hint
// but no help number. The program creates it before the main window and frees it at the end;
// KeyHintWindow() creates it on first use where nobody did.
void CreateKeyHintWindow();
void FreeKeyHintWindow();
THintWindow* KeyHintWindow();

class THelpCommands {
 public:
  explicit THelpCommands(TFormVELM& window) : FWindow(window) {}
  THelpCommands(const THelpCommands&) = delete;
  THelpCommands& operator=(const THelpCommands&) = delete;

  // The help component, the controls' help numbers and the help menu's commands.
  void Connect();
  // Shows the focused control's hint in the key hint window, or hides the window.
  void KeyDown(QWidget* target, QKeyEvent* event);
  // Hides the key hint window (the active window changed, or this one lost the activation).
  void HideKeyHint();
  void About();
  void Topic();
  void WhatsThis();
  void Website();
  void Email();
  void Update();

 private:
  TFormVELM& FWindow;
  TFormAbout* FOwnAbout = nullptr;  // made on demand when the program gave none
};

}  // namespace velm
