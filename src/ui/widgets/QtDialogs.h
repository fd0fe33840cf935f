#pragma once

#include <QWidget>

#include "ui/widgets/UserDialogs.h"

// The dialogs as the toolkit draws them, centred on `parent`.
class QtDialogs : public UserDialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void ShowMessage(const std::string& text) override;
  bool Ask(const std::string& question) override;
  bool OpenFile(const std::string& filter, std::string& path) override;
  bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                std::string& path) override;

 private:
  QWidget* parent_;
};
