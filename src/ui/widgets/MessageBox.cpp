#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessage(const std::string& text, QWidget* parent) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                  QString::fromStdString(text), QMessageBox::Ok, parent);
  box.exec();
}

void ShowException(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  QString::fromStdString(error.what()), QMessageBox::Ok);
  box.exec();
}
