#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSettings>
#include <memory>
#include <string>
#include <vector>

// What the window keeps from one run to the next: the chosen device and port, the folder of
// the last file, its options, the recent files and where the window and its panes were.
// Kept with QSettings in the user's settings (on Linux ~/.config/isp89/isp89.conf, on Windows
// the registry), or in a file of its own given to the window (tests, screenshots), so that
// those never touch the user's. Each change is stored at once; a value missing or not
// understood reads as the start value.
class WindowSettings {
  Q_DECLARE_TR_FUNCTIONS(WindowSettings)

 public:
  // `file` empty: the user's settings.
  explicit WindowSettings(const std::string& file);

  int Device() const;  // 1 AT89S51, 2 AT89S52
  void SetDevice(int type);
  // "COM3", or a device path chosen from the system's ports.
  std::string Port() const;
  void SetPort(const std::string& port);
  std::string LastFolder() const;
  void SetLastFolder(const std::string& folder);
  std::vector<std::string> RecentFiles() const;
  void SetRecentFiles(const std::vector<std::string>& paths);

  bool VerifyAfterWrite() const { return Flag("verifyAfterWrite", false); }
  void SetVerifyAfterWrite(bool on) { SetFlag("verifyAfterWrite", on); }
  // Write loads the image file again when it changed on disk since it was loaded.
  bool ReloadChangedFile() const { return Flag("reloadChangedFile", true); }
  void SetReloadChangedFile(bool on) { SetFlag("reloadChangedFile", on); }
  // Erase asks before it erases.
  bool ConfirmErase() const { return Flag("confirmErase", true); }
  void SetConfirmErase(bool on) { SetFlag("confirmErase", on); }

  // The window's place and size, and its panes (QMainWindow::saveGeometry, saveState).
  QByteArray Geometry() const;
  QByteArray State() const;
  void SetWindow(const QByteArray& geometry, const QByteArray& state);

  // Writes what is pending; false when the settings could not be stored (the reason in
  // `problem`, naming the file).
  bool Save(std::string& problem);

 private:
  bool Flag(const char* key, bool start) const;
  void SetFlag(const char* key, bool on);
  std::string Path(const char* key) const;
  void SetPath(const char* key, const std::string& path);

  std::unique_ptr<QSettings> settings_;
};
