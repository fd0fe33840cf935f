// What the window keeps between runs: it starts as it was left, and what the command line
// says comes on top for this run only.
#include <QMenuBar>

#include "ui/TProgForm.h"

void TProgForm::RestoreSettings() {
  itemVerifyAfterWrite->setChecked(settings.VerifyAfterWrite());
  itemReloadChanged->setChecked(settings.ReloadChangedFile());
  itemConfirmErase->setChecked(settings.ConfirmErase());
  RestorePort(settings.Port());
  const QByteArray geometry = settings.Geometry();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  restoreState(settings.State());
}

// A COM item by its number, or a device of the system's list, listed even when it is not
// plugged in now (the port menu says so).
void TProgForm::RestorePort(const std::string& port) {
  if (port.empty()) return;
  QAction* item = port1->findChild<QAction*>(QString::fromStdString(port));
  if (port.rfind("COM", 0) == 0 && item) return menuItemClick(item);
  if (port.rfind("COM", 0) == 0) return;
  portOpener.UseDevice(port);
  if (itemCurrentPort) itemCurrentPort->setChecked(false);
  itemCurrentPort = nullptr;
  RefreshSystemPorts();
}

// "COM1", or the device chosen in the port menu.
std::string TProgForm::PortName() const {
  const std::string chosen = portOpener.Device();
  return chosen.empty() ? "COM" + std::to_string(serial->GetPort()) : chosen;
}

void TProgForm::StoreWindow() {
  settings.SetWindow(saveGeometry(), saveState());
  std::string problem;
  if (!settings.Save(problem)) dialogs.ShowError(problem);
}
