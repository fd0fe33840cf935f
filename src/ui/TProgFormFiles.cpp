// The file menu and the loaded image: open, save, the recent files, a dropped file, a file
// that changed on disk, and what the window shows of the image.
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "platform/Exception.h"
#include "platform/HexText.h"
#include "ui/ImageSummary.h"
#include "ui/TProgForm.h"

namespace fs = std::filesystem;

namespace {

// HEX files go under several names, and the loader tells HEX by its content: the first
// filter shows every image, the last every file.
QString OpenFilter() {
  return TProgForm::tr("Images") + " (*.hex *.ihx *.ihex *.h86 *.bin);;" +
         TProgForm::tr("Intel HEX") + " (*.hex *.ihx *.ihex *.h86);;" + TProgForm::tr("Raw") +
         " (*.bin);;" + TProgForm::tr("All files") + " (*)";
}

QString SaveFilter() {
  return TProgForm::tr("Raw") + " (*.bin);;" + TProgForm::tr("Intel HEX") + " (*.hex)";
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

QString Local(const std::string& path) { return QFile::decodeName(path.c_str()); }

// "&3 /home/me/blink.hex": the number is the item's mnemonic; an & in the path is shown.
QString RecentCaption(size_t index, const std::string& path) {
  return QString("&%1 %2").arg(index + 1).arg(Local(path).replace("&", "&&"));
}

}  // namespace

void TProgForm::BuildFileMenu() {
  itemFile = menuBar()->addMenu(tr("&file"));
  itemFile->setObjectName("itemFile");
  itemOpen = itemFile->addAction(tr("&open"));
  itemOpen->setObjectName("itemOpen");
  itemOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  itemSave = itemFile->addAction(tr("&save"));
  itemSave->setObjectName("itemSave");
  itemSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  itemSave->setEnabled(false);
  itemRecent = itemFile->addMenu(tr("open &recent"));
  itemRecent->setObjectName("itemRecent");
  itemFile->addSeparator();
  itemReloadChanged = itemFile->addAction(tr("re&load a changed file before Write"));
  itemReloadChanged->setObjectName("itemReloadChanged");
  itemReloadChanged->setCheckable(true);
  itemFile->addSeparator();
  itemQuit = itemFile->addAction(tr("&quit"));
  itemQuit->setObjectName("itemQuit");
  itemQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(itemOpen, &QAction::triggered, this, [this] { itemOpenClick(itemOpen); });
  connect(itemSave, &QAction::triggered, this, [this] { itemSaveClick(itemSave); });
  connect(itemReloadChanged, &QAction::toggled, this,
          [this](bool on) { settings.SetReloadChangedFile(on); });
  connect(itemQuit, &QAction::triggered, this, [this] { close(); });
  RefreshRecentFiles();
}

void TProgForm::RefreshRecentFiles() {
  itemRecent->clear();
  const std::vector<std::string>& paths = recent.Paths();
  for (size_t i = 0; i < paths.size(); ++i) {
    QAction* item = itemRecent->addAction(RecentCaption(i, paths[i]));
    item->setObjectName("recentFile");
    item->setData(Local(paths[i]));
    connect(item, &QAction::triggered, this, [this, item] { recentFileClick(item); });
  }
  itemRecent->setEnabled(!paths.empty());
  settings.SetRecentFiles(paths);
}

void TProgForm::itemOpenClick(QObject*) {
  if (RefusedWhileBusy()) return;
  std::string path;
  if (dialogs.OpenFile(Std(OpenFilter()), settings.LastFolder(), path)) LoadImageFile(path);
}

// A file that is gone leaves the list once it has been said so.
void TProgForm::recentFileClick(QObject* sender) {
  if (RefusedWhileBusy()) return;
  const std::string path =
      QFile::encodeName(static_cast<QAction*>(sender)->data().toString()).toStdString();
  std::error_code error;
  if (LoadImageFile(path) || fs::exists(path, error)) return;
  recent.Remove(path);
  RefreshRecentFiles();
}

void TProgForm::itemSaveClick(QObject*) {
  if (RefusedWhileBusy() || !transferred) return;
  std::string path;
  if (!dialogs.SaveFile(Std(SaveFilter()), "bin", settings.LastFolder(), path)) return;
  try {
    ImageFile::Save(path, *transferred);
    RememberFolderOf(path);
    const QString said = tr("Saved %1 bytes to %2").arg(transferred->Size()).arg(Local(path));
    ShowResult(said);
    AddToLog(Local(fs::path(path).filename().string()), said);
  } catch (const std::exception& error) {
    dialogs.ShowError(Std(tr("The image was not saved:\n%1").arg(Q(error.what()))));
  }
}

void TProgForm::RememberFolderOf(const std::string& path) {
  settings.SetLastFolder(fs::path(Absolute(path)).parent_path().string());
}

// Every load starts from an erased image, so the image is exactly the file (a raw file
// longer than the memory gives its start, and the status text says so); a file that cannot
// be loaded (missing, a folder, empty, a bad HEX line) leaves the image, its name and the
// status text as they were.
bool TProgForm::LoadImageFile(const std::string& path) {
  try {
    // Taken first: a change while the file is read shows as a change at the next Write.
    std::error_code error;
    const fs::file_time_type modified = fs::last_write_time(path, error);
    Buffer loaded(device->GetMemorySize());
    const ImageFile::LoadResult result = ImageFile::Load(path, loaded);
    const std::string name = fs::path(path).filename().string();
    loadedFile = LoadedFile{Absolute(path), result.format, modified, result.fileSize};
    imageName = name;
    image = std::make_unique<Buffer>(loaded);
    StatusBar->SetSimpleText(path);
    if (result.longerThanImage) {
      // Part of the file was left out: said in place of the path rather than write less than
      // the user chose without a word.
      const QString size = QString::number(loaded.Size());
      ShowResult(tr("%1 is %2 bytes, longer than the %3-byte memory; the first %3 bytes are used")
                     .arg(Local(path), QString::number(result.fileSize), size));
    }
    ShowLoadedImage(path, result.format);
    recent.Add(Absolute(path));
    RefreshRecentFiles();
    RememberFolderOf(path);
    AddToLog(Local(name), tr("Loaded %1").arg(Local(Absolute(path))));
    return true;
  } catch (const Exception& error) {
    dialogs.ShowError(Std(tr("The image file was not loaded:\n%1").arg(Q(error.Message()))));
    return false;
  }
}

// The title, the status bar's field and the hex view say what the image is.
void TProgForm::ShowLoadedImage(const std::string& path, ImageFile::Format format) {
  const QString name = Local(imageName);
  setWindowTitle("isp89 - " + name);
  const ImageSummary summary = ImageSummary::Of(*image);
  const QString kind = format == ImageFile::Format::IntelHex ? tr("HEX") : tr("raw");
  const QString size = tr("%1 bytes").arg(loadedFile->size);
  const QString range =
      summary.blank ? tr("blank")
                    : QString("%1\u2013%2").arg(Q(Hex(summary.first, 4)), Q(Hex(summary.last, 4)));
  const QString sums =
      tr("sum %1, CRC-32 %2").arg(Q(Hex(summary.sum, 4)), Q(Hex(summary.crc32, 8)));
  imageField->setText(
      QString("%1 \u00b7 %2 \u00b7 %3 \u00b7 %4 \u00b7 %5").arg(name, kind, size, range, sums));
  imageField->setToolTip(tr("%1\n%2, %3 on disk; data from %4; %5 over that range")
                             .arg(Local(loadedFile->path), kind, size, range, sums));
  ShowInHexView(*image,
                tr("%1 (%2, %3), loaded at %4: what Write sends")
                    .arg(Local(path), kind, size, QTime::currentTime().toString("HH:mm:ss")));
}

// Write takes the file as it is now: the usual cycle is build, write, build, write again.
bool TProgForm::ReloadedIfChanged(bool& reloaded) {
  reloaded = false;
  if (!loadedFile || !itemReloadChanged->isChecked()) return true;
  const std::string path = loadedFile->path;
  std::error_code timeError, sizeError;
  const fs::file_time_type modified = fs::last_write_time(path, timeError);
  const uintmax_t size = fs::file_size(path, sizeError);
  if (!timeError && !sizeError && modified == loadedFile->modified && size == loadedFile->size) {
    return true;
  }
  try {
    Buffer loaded(device->GetMemorySize());
    const ImageFile::LoadResult result = ImageFile::Load(path, loaded);
    loadedFile = LoadedFile{path, result.format, modified, result.fileSize};
    *image = loaded;
    ShowLoadedImage(path, result.format);
  } catch (const Exception& error) {
    dialogs.ShowError(Std(tr("%1 changed on disk and cannot be loaded again, so nothing was "
                             "written:\n%2\n\nWrite it again once the file is complete, or "
                             "turn off file / reload a changed file before Write.")
                              .arg(Local(imageName), Q(error.Message()))));
    return false;
  }
  AddToLog(Local(imageName), tr("%1 changed on disk: loaded again").arg(Local(imageName)));
  reloaded = true;
  return true;
}

void TProgForm::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!Busy() && urls.size() == 1 && urls.first().isLocalFile()) event->acceptProposedAction();
}

void TProgForm::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile() || RefusedWhileBusy()) return;
  event->acceptProposedAction();
  LoadImageFile(QFile::encodeName(urls.first().toLocalFile()).toStdString());
}
