#include "ui/OperationLog.h"

#include <QHeaderView>

OperationLog::OperationLog(QWidget* parent) : QTableWidget(0, 6, parent) {
  setHorizontalHeaderLabels(
      {tr("Time"), tr("Port"), tr("Chip"), tr("File"), tr("Result"), tr("Duration")});
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
}

void OperationLog::Add(const Entry& entry) {
  const int row = rowCount();
  insertRow(row);
  const QString cells[] = {entry.time, entry.port,   entry.chip,
                           entry.file, entry.result, entry.duration};
  for (int column = 0; column < 6; ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    item->setToolTip(cells[column]);
    if (entry.failed && column == 4) item->setForeground(QColor(190, 0, 0));
    setItem(row, column, item);
  }
  scrollToBottom();
}

QSize OperationLog::sizeHint() const {
  return {QTableWidget::sizeHint().width(), horizontalHeader()->sizeHint().height() +
                                                8 * verticalHeader()->defaultSectionSize() +
                                                2 * frameWidth()};
}

QString OperationLog::RowText(int row) const {
  QStringList cells;
  for (int column = 0; column < columnCount(); ++column) {
    const QTableWidgetItem* cell = item(row, column);
    cells << (cell ? cell->text() : QString());
  }
  return cells.join(" | ");
}
