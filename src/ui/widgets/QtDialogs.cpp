#include "ui/widgets/QtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/widgets/MessageBox.h"

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromLocal(const std::string& path) { return QFile::decodeName(path.c_str()); }

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

void QtDialogs::ShowError(const std::string& text) { ::ShowMessage(text, parent_, true); }

bool QtDialogs::Ask(const std::string& question) {
  return QMessageBox::question(parent_, QApplication::applicationName(),
                               QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::Confirm(const std::string& question, bool& dontAskAgain) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                  QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  auto* again = new QCheckBox(tr("&Don't ask again"));
  box.setCheckBox(again);
  const bool yes = box.exec() == QMessageBox::Yes;
  dontAskAgain = again->isChecked();
  return yes;
}

bool QtDialogs::OpenFile(const std::string& filter, const std::string& folder, std::string& path) {
  QString chosen =
      QFileDialog::getOpenFileName(parent_, {}, FromLocal(folder), QString::fromStdString(filter));
  if (chosen.isEmpty()) return false;
  path = LocalPath(chosen);
  return true;
}

bool QtDialogs::SaveFile(const std::string& filter, const std::string& defaultExtension,
                         const std::string& folder, std::string& path) {
  QFileDialog dialog(parent_, {}, FromLocal(folder));
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
