#include "ui/WindowSettings.h"

#include <QFile>
#include <QStringList>

namespace {

QString FromLocal(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToLocal(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

WindowSettings::WindowSettings(const std::string& file)
    : settings_(file.empty() ? std::make_unique<QSettings>(QSettings::NativeFormat,
                                                           QSettings::UserScope, "isp89", "isp89")
                             : std::make_unique<QSettings>(FromLocal(file), QSettings::IniFormat)) {
}

int WindowSettings::Device() const { return settings_->value("device", 1).toInt() == 2 ? 2 : 1; }

void WindowSettings::SetDevice(int type) { settings_->setValue("device", type); }

std::string WindowSettings::Port() const { return Path("port"); }

void WindowSettings::SetPort(const std::string& port) { SetPath("port", port); }

std::string WindowSettings::LastFolder() const { return Path("folder"); }

void WindowSettings::SetLastFolder(const std::string& folder) { SetPath("folder", folder); }

std::vector<std::string> WindowSettings::RecentFiles() const {
  std::vector<std::string> paths;
  for (const QString& path : settings_->value("recentFiles").toStringList()) {
    paths.push_back(ToLocal(path));
  }
  return paths;
}

void WindowSettings::SetRecentFiles(const std::vector<std::string>& paths) {
  QStringList list;
  for (const std::string& path : paths) list << FromLocal(path);
  settings_->setValue("recentFiles", list);
}

QByteArray WindowSettings::Geometry() const {
  return settings_->value("window/geometry").toByteArray();
}

QByteArray WindowSettings::State() const { return settings_->value("window/state").toByteArray(); }

void WindowSettings::SetWindow(const QByteArray& geometry, const QByteArray& state) {
  settings_->setValue("window/geometry", geometry);
  settings_->setValue("window/state", state);
}

bool WindowSettings::Save(std::string& problem) {
  settings_->sync();
  if (settings_->status() == QSettings::NoError) return true;
  const QString file = settings_->fileName();
  problem = (settings_->status() == QSettings::AccessError
                 ? tr("The settings cannot be written to %1.").arg(file)
                 : tr("%1 is not a settings file: the settings were not saved.").arg(file))
                .toStdString();
  return false;
}

bool WindowSettings::Flag(const char* key, bool start) const {
  const QVariant value = settings_->value(key);
  return value.isValid() ? value.toBool() : start;
}

void WindowSettings::SetFlag(const char* key, bool on) { settings_->setValue(key, on); }

std::string WindowSettings::Path(const char* key) const {
  return ToLocal(settings_->value(key).toString());
}

void WindowSettings::SetPath(const char* key, const std::string& path) {
  settings_->setValue(key, FromLocal(path));
}
