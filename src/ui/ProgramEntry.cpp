#include "ui/ProgramEntry.h"

#include <QApplication>
#include <exception>
#include <memory>

#include "ui/TProgForm.h"
#include "ui/WindowLanguage.h"
#include "ui/widgets/MessageBox.h"

TProgForm* ProgForm = nullptr;

int RunProgram(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setApplicationName("isp89");
  // The language of the user's locale (LANG, LC_ALL, LC_MESSAGES), when the window has it.
  WindowLanguage language{QLocale()};
  try {
    // The window closes only once no operation runs (or the user stopped it); its destructor
    // waits for the worker.
    auto window = std::make_unique<TProgForm>();
    ProgForm = window.get();
    window->show();
    application.exec();
    ProgForm = nullptr;
  } catch (const std::exception& error) {
    ProgForm = nullptr;
    ShowException(error);
  }
  return 0;
}
