// The port menu: the eight COM names, and below them the serial ports the system has and the
// FTDI chips that can drive a target themselves, listed anew each time the menu opens.
#include <QVariant>

#include "ui/TProgForm.h"
#include "ui/widgets/Formatting.h"
#include "ui/widgets/QtSerialPorts.h"

namespace {

const char* const kSystemPortName = "systemPort";

}  // namespace

// Each COM item's status tip says what the port stands for on this machine, so a simulated
// chip or a device path named by the environment is visible before it is used.
void TProgForm::BuildPortMenu() {
  for (int n = 1; n <= 8; ++n) {
    // The number is the item's mnemonic.
    QAction* item = port1->addAction(QString::fromStdString("COM &" + IntToStr(n)));
    item->setObjectName(QString::fromStdString("COM" + IntToStr(n)));
    item->setData(n);
    item->setCheckable(true);
    item->setStatusTip(QString::fromStdString(resolver.Describe("COM" + IntToStr(n))));
    connect(item, &QAction::triggered, this, [this, item] { menuItemClick(item); });
  }
  itemCurrentPort = port1->actions().first();
  itemCurrentPort->setChecked(true);
  portSeparator = port1->addSeparator();
  connect(port1, &QMenu::aboutToShow, this, [this] { RefreshSystemPorts(); });
  RefreshSystemPorts();
}

// The chosen device keeps its checked item even when the system no longer lists it (an
// adapter pulled out): the link still opens it, and the operation then says it cannot.
void TProgForm::RefreshSystemPorts() {
  const QList<QAction*> items = port1->actions();
  for (qsizetype i = items.indexOf(portSeparator) + 1; i < items.size(); ++i) {
    if (items[i] == itemCurrentPort) itemCurrentPort = nullptr;
    port1->removeAction(items[i]);
    items[i]->deleteLater();
  }
  const std::string chosen = portOpener.Device();
  bool chosenListed = false;
  const auto add = [this, &chosen](const std::string& caption, const std::string& path,
                                   const std::string& tip) {
    QAction* item = port1->addAction(QString::fromStdString(caption));
    item->setObjectName(kSystemPortName);
    item->setData(QString::fromStdString(path));
    item->setCheckable(true);
    item->setStatusTip(QString::fromStdString(tip));
    connect(item, &QAction::triggered, this, [this, item] { systemPortClick(item); });
    if (path == chosen) {
      item->setChecked(true);
      itemCurrentPort = item;
    }
  };
  std::vector<SystemPort> listed;
  try {
    listed = resolver.SystemPorts();
  } catch (const std::exception& error) {
    port1->addAction(QString::fromStdString(error.what()))->setEnabled(false);
  }
  for (const SystemPort& port : listed) {
    const std::string details = QtSerialPorts::Details(port);
    add(QtSerialPorts::Caption(port), port.name,
        details.empty() ? port.name : port.name + ": " + details);
    chosenListed = chosenListed || port.name == chosen;
  }
  for (const auto& [name, what] : FtdiChipItems()) {
    add(name + " - " + what, name,
        Std(tr("%1: %2, driving the target's pins itself").arg(Q(name), Q(what))));
    chosenListed = chosenListed || name == chosen;
  }
  if (!chosen.empty() && !chosenListed) {
    add(Std(tr("%1 (not found)").arg(Q(chosen))), chosen,
        Std(tr("%1: the system does not list it now").arg(Q(chosen))));
  }
  if (port1->actions().last() == portSeparator) {
    port1->addAction(tr("no serial port found"))->setEnabled(false);
  }
}

// Each interface of each FTDI chip with synchronous bit-bang: its name and what it is. A USB
// bus that cannot be searched is said in the menu.
std::vector<std::pair<std::string, std::string>> TProgForm::FtdiChipItems() {
  std::vector<std::pair<std::string, std::string>> items;
  std::vector<FtdiChipInfo> chips;
  try {
    chips = resolver.FtdiChips();
  } catch (const std::exception& error) {
    port1->addAction(QString::fromStdString(error.what()))->setEnabled(false);
  }
  for (const FtdiChipInfo& chip : chips) {
    if (!chip.family || !chip.family->Usable()) continue;
    // The product string mostly names the family already ("FT232R USB UART"); a board's
    // own string is followed by the family.
    const std::string family = chip.family->name;
    std::string what = "FTDI " + (chip.description.empty() ? family : chip.description);
    if (what.find(family) == std::string::npos) what += " (" + family + ")";
    for (int index = 0; index < chip.family->interfaces; ++index) {
      items.emplace_back(FtdiPorts::NameOf(chip, index), what);
    }
  }
  return items;
}

// The link takes the new number from its next opening; refused while an operation runs.
void TProgForm::menuItemClick(QObject* sender) {
  auto* clicked = static_cast<QAction*>(sender);
  if (RefusedWhileBusy()) return clicked->setChecked(clicked == itemCurrentPort);
  if (itemCurrentPort) itemCurrentPort->setChecked(false);
  clicked->setChecked(true);
  itemCurrentPort = clicked;
  portOpener.UseDevice("");
  serial->SetPort(clicked->data().toInt());
  settings.SetPort("COM" + std::to_string(clicked->data().toInt()));
}

// From the next opening the link opens this device, whatever COM number it holds.
void TProgForm::systemPortClick(QObject* sender) {
  auto* clicked = static_cast<QAction*>(sender);
  if (RefusedWhileBusy()) return clicked->setChecked(clicked == itemCurrentPort);
  if (itemCurrentPort) itemCurrentPort->setChecked(false);
  clicked->setChecked(true);
  itemCurrentPort = clicked;
  portOpener.UseDevice(clicked->data().toString().toStdString());
  settings.SetPort(portOpener.Device());
}
