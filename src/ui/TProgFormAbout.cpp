// The help menu: which isp89 this is.
#include <QMenuBar>

#include "ui/TProgForm.h"

#ifndef ISP89_VERSION
#define ISP89_VERSION "unknown"
#endif

void TProgForm::BuildHelpMenu() {
  QMenu* itemHelp = menuBar()->addMenu(tr("&help"));
  itemHelp->setObjectName("itemHelp");
  itemAbout = itemHelp->addAction(tr("&about isp89"));
  itemAbout->setObjectName("itemAbout");
  connect(itemAbout, &QAction::triggered, this, [this] {
    dialogs.ShowMessage(
        Std(tr("isp89 %1\nIn-system programmer for the AT89S51 and AT89S52.\n"
               "The command line: isp89-cli; the simulated adapter: isp89-sim.\n\n"
               "Free software under the GNU General Public License, version 3 or any later "
               "version (GPL-3.0-or-later); it comes with no warranty.")
                .arg(ISP89_VERSION)));
  });
}
