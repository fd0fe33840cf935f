#include "ui/widgets/QtDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/widgets/MessageBox.h"

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A name filter's first pattern without "*.": "hex" for "Intel HEX (*.hex *.ihx)".
QString ExtensionOf(const QString& nameFilter) {
  int star = nameFilter.indexOf("*.");
  if (star < 0) return {};
  QString rest = nameFilter.mid(star + 2);
  int end = 0;
  while (end < rest.size() && rest[end].isLetterOrNumber()) ++end;
  return rest.left(end);
}

}  // namespace

void QtDialogs::ShowMessage(const std::string& text) { ::ShowMessage(text, parent_); }

bool QtDialogs::Ask(const std::string& question) {
  return QMessageBox::question(parent_, QApplication::applicationName(),
                               QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::OpenFile(const std::string& filter, std::string& path) {
  QString chosen = QFileDialog::getOpenFileName(parent_, {}, {}, QString::fromStdString(filter));
  if (chosen.isEmpty()) return false;
  path = LocalPath(chosen);
  return true;
}

bool QtDialogs::SaveFile(const std::string& filter, const std::string& defaultExtension,
                         std::string& path) {
  QFileDialog dialog(parent_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QString::fromStdString(filter));
  dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  // A bare name gets the extension of the filter the user picked.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, defaultExtension](const QString& nameFilter) {
                     QString extension = ExtensionOf(nameFilter);
                     dialog.setDefaultSuffix(extension.isEmpty()
                                                 ? QString::fromStdString(defaultExtension)
                                                 : extension);
                   });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = LocalPath(dialog.selectedFiles().first());
  return true;
}
