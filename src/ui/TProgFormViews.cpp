// The panes beside the controls: the hex view of the image and the log of what was done.
// Each docks on the window or floats in a window of its own; both start hidden, and the
// settings remember where they were.
#include <QDateTime>
#include <QMenuBar>
#include <QTimer>

#include "platform/HexText.h"
#include "ui/TProgForm.h"

namespace {

QDockWidget* Pane(QMainWindow* window, const QString& title, const char* name, QWidget* inside) {
  auto* dock = new QDockWidget(title, window);
  dock->setObjectName(name);
  dock->setWidget(inside);
  return dock;
}

}  // namespace

void TProgForm::BuildViewMenu() {
  hexView = new HexView;
  hexView->setObjectName("hexView");
  hexDock = Pane(this, tr("Image"), "hexDock", hexView);
  // Its rows are wider than the controls: on its own beside the window until docked.
  addDockWidget(Qt::RightDockWidgetArea, hexDock);
  hexDock->setFloating(true);
  hexDock->resize(QFontMetrics(hexView->font()).horizontalAdvance(QString(150, '0')), 520);
  hexDock->move(pos() + QPoint(width() / 3, height() / 3));
  hexDock->hide();

  log = new OperationLog;
  log->setObjectName("operationLog");
  logDock = Pane(this, tr("Log"), "logDock", log);
  addDockWidget(Qt::BottomDockWidgetArea, logDock);
  logDock->hide();

  itemView = menuBar()->addMenu(tr("&view"));
  itemView->setObjectName("itemView");
  QAction* itemHexView = hexDock->toggleViewAction();
  itemHexView->setText(tr("&image (hex)"));
  itemHexView->setObjectName("itemHexView");
  itemHexView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  QAction* itemLog = logDock->toggleViewAction();
  itemLog->setText(tr("&log"));
  itemLog->setObjectName("itemLog");
  itemLog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  itemView->addAction(itemHexView);
  itemView->addAction(itemLog);
  // What the user does with a pane; the window as the settings restored it stays as it was.
  for (QDockWidget* dock : {hexDock, logDock}) {
    connect(dock->toggleViewAction(), &QAction::triggered, this, [this] { FitPanes(); });
    connect(dock, &QDockWidget::topLevelChanged, this, [this] { FitPanes(); });
    connect(dock, &QDockWidget::visibilityChanged, this, [this](bool shown) {
      if (!shown) FitPanes();
    });
  }
}

// The controls keep their size: a pane docked beside them makes the window grow to give it
// the room it asks for, and one that leaves gives its room back.
void TProgForm::FitPanes() {
  QTimer::singleShot(0, this, [this] {
    if (isVisible() && !isMinimized() && !isMaximized() && !isFullScreen()) resize(sizeHint());
  });
}

void TProgForm::ShowInHexView(const Buffer& shown, const QString& caption) {
  hexView->ShowImage(shown, caption);
}

// Left what the chip should hold, right what it holds; the view opens at the first
// difference, which the box names too.
void TProgForm::ShowMismatch(const ChipFailure& failure, const Result& result) {
  const ChipOutcome& outcome = result.outcome;
  if (!outcome.readBack) return;
  const bool blank = result.request.operation == Operation::BlankCheck;
  const Buffer erased(outcome.readBack->Size());
  const Buffer& expected = blank || !result.request.image ? erased : *result.request.image;
  const QString chip = Q(outcome.chip ? outcome.chip->name : ChipName());
  const QString caption =
      tr("Left %1, right the %2 as read at %3: %4 bytes differ, the first at %5 (marked *).")
          .arg(blank ? tr("erased flash (FF)") : Q(running->imageName), chip,
               QTime::currentTime().toString("HH:mm:ss"),
               QString::number(failure.Of().difference.count),
               Q(Hex(failure.Of().difference.first, 4)));
  const uint32_t flash = outcome.chip ? outcome.chip->flashSize : outcome.readBack->Size();
  hexView->ShowComparison(expected, *outcome.readBack, flash, caption);
  hexView->JumpTo(failure.Of().difference.first);
  hexDock->show();
  hexDock->raise();
  if (!hexDock->isFloating()) FitPanes();
}

// What happened to a file, outside any operation on the chip.
void TProgForm::AddToLog(const QString& file, const QString& result) {
  OperationLog::Entry entry;
  entry.time = QTime::currentTime().toString("HH:mm:ss");
  entry.file = file;
  entry.result = result;
  log->Add(entry);
}
