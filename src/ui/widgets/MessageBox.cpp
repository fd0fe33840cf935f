#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessage(const std::string& text, QWidget* parent, bool error) {
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QApplication::applicationName(), QString::fromStdString(text), QMessageBox::Ok,
                  parent);
  box.exec();
}

void ShowException(const std::exception& error) { ShowMessage(error.what(), nullptr, true); }
