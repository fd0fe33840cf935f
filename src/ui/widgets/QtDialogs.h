#pragma once

#include <QCoreApplication>
#include <QWidget>

#include "ui/widgets/UserDialogs.h"

// The dialogs as the toolkit draws them, centred on `parent`.
class QtDialogs : public UserDialogs {
  Q_DECLARE_TR_FUNCTIONS(QtDialogs)

 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Ask(const std::string& question) override;
  bool Confirm(const std::string& question, bool& dontAskAgain) override;
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override;
  bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                const std::string& folder, std::string& path) override;

 private:
  QWidget* parent_;
};
