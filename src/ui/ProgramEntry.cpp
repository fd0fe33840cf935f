#include "ui/ProgramEntry.h"

#include <QApplication>
#include <QMetaObject>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "platform/SignalStop.h"
#include "ui/TProgForm.h"
#include "ui/WindowLanguage.h"
#include "ui/widgets/MessageBox.h"

TProgForm* ProgForm = nullptr;

namespace {

// Hands the signals that end programs to the window's thread: a watcher sleeps on the stop
// the signal handler raises and asks the window, through its event queue, to stop and close.
class SignalsToWindow {
 public:
  explicit SignalsToWindow(TProgForm& window)
      : handlers_(stop_), watcher_([this, &window] { Watch(window); }) {}
  ~SignalsToWindow() {
    over_.store(true);
    stop_.Raise();
    watcher_.join();
  }

 private:
  void Watch(TProgForm& window) {
    while (!stop_.WaitFor(std::chrono::hours(1))) {
    }
    if (over_.load()) return;
    QMetaObject::invokeMethod(
        &window, [&window] { window.StopAndClose(); }, Qt::QueuedConnection);
  }

  StopSignal stop_;
  SignalStop handlers_;
  std::atomic<bool> over_{false};  // the window is gone: nothing to tell
  std::thread watcher_;
};

}  // namespace

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
    {
      SignalsToWindow stopOnSignals(*window);
      window->show();
      application.exec();
    }
    ProgForm = nullptr;
  } catch (const std::exception& error) {
    ProgForm = nullptr;
    ShowException(error);
  }
  return 0;
}
