#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTableWidget>

// The record of what the window did, one row an operation, oldest first: when it began, on
// which port and chip, with which file, how it ended and how long it took. It lives as long
// as the window; a failure's result is shown in the error colour.
class OperationLog : public QTableWidget {
  Q_DECLARE_TR_FUNCTIONS(OperationLog)

 public:
  struct Entry {
    QString time;  // "14:03:27"
    QString port;
    QString chip;
    QString file;
    QString result;
    QString duration;  // empty for what takes no time worth telling (a load)
    bool failed = false;
  };

  explicit OperationLog(QWidget* parent = nullptr);
  void Add(const Entry& entry);
  // A row's cells, separated by " | ".
  QString RowText(int row) const;
  // Room for the header and eight rows.
  QSize sizeHint() const override;
};
