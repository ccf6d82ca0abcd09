// The program entry of the Zorvik material calculator.
#include <windows.h>

#include "app/Unit6.h"
#include "gui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Units are initialised before this point (static initialisation).
  rtl::gui::Application& application = rtl::gui::TheApplication();
  application.Initialize();  // its hidden window keeps an empty title: Form6 carries the taskbar button
  application.SetTitle(kCalculatorTitle);
  application.CreateForm(Form6);
  application.Run();
  return 0;  // unit finalisation (static destruction) follows
}
