#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "image/Buffer.h"
#include "sim/SimChip.h"
#include "support/ScratchFolder.h"
#include "ui/GatedClock.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TProgForm.h"
#include "ui/widgets/TStatusBar.h"

// The window on a simulated AT89S51 behind COM1 and an AT89S52 behind COM2, on virtual
// time, with scripted dialogs and system ports, in a scratch working folder.
class UiBench : public ::testing::Test {
 protected:
  UiBench() {
    setenv("ISP89_COM1", "sim:AT89S51", 1);
    setenv("ISP89_COM2", "sim:AT89S52", 1);
    setenv("ISP89_COM3", "/nonexistent/isp89-port", 1);
  }

  TProgForm& Reopen(std::vector<std::string> arguments = {"isp89"}) {
    ProgFormContext context;
    context.clock = &clock;
    context.dialogs = &dialogs;
    context.ports = [this] {
      std::lock_guard<std::mutex> lock(portsMutex);
      ++portsAsked;
      return ports;
    };
    context.arguments = std::move(arguments);
    context.settingsFile = SettingsFile();
    window.reset();
    window = std::make_unique<TProgForm>(context);
    return *window;
  }
  // Each Open() starts from settings and dialogs of its own; Reopen() keeps those of the window
  // before, as the next run of the program does.
  TProgForm& Open(std::vector<std::string> arguments = {"isp89"}) {
    ++settingsNumber;
    dialogs = ScriptedDialogs();
    return Reopen(std::move(arguments));
  }
  // The window's settings, in the scratch folder: the user's are never touched.
  std::string SettingsFile() const {
    return (folder.Path() / ("isp89-" + std::to_string(settingsNumber) + ".conf")).string();
  }

  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* found = window->findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  QAction* Item(const char* name) const { return Find<QAction>(name); }
  QAction* MenuItem(const char* name) const { return Find<QMenu>(name)->menuAction(); }
  std::string Text(const char* editName) const {
    return Find<QLineEdit>(editName)->text().toStdString();
  }
  std::shared_ptr<SimChip> Chip(const char* target = "sim:AT89S51") {
    return window->Resolver().SimChipFor(target);
  }

  // The controls that an operation disables (EnableControls), the chip and port menus last.
  std::vector<bool> RequestControlsEnabled() const {
    return {MenuItem("itemFile")->isEnabled(), MenuItem("itemDevice")->isEnabled(),
            Button("btnProgram")->isEnabled(), Button("btnRead")->isEnabled(),
            Button("btnReadSig")->isEnabled(), Button("btnLockBits")->isEnabled(),
            MenuItem("itemChip")->isEnabled(), MenuItem("port1")->isEnabled()};
  }
  static std::vector<bool> All(bool on) { return std::vector<bool>(8, on); }
  // What the status bar shows just now: a note over its text, or else the text.
  std::string Note() const {
    auto* bar = Find<TStatusBar>("StatusBar");
    return bar->currentMessage().isEmpty() ? bar->SimpleText()
                                           : bar->currentMessage().toStdString();
  }

  // Lets the window handle the worker's messages until `done` holds.
  template <typename Predicate>
  static bool Until(Predicate done) {
    return QTest::qWaitFor(done, 20000);
  }

  static Buffer Pattern(uint8_t seed, uint32_t size = 8192) {
    Buffer image(size);
    for (uint32_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13 + seed);
    return image;
  }
  static std::vector<uint8_t> Bytes(const Buffer& image) {
    return {image.Data(), image.Data() + image.Size()};
  }
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    ScratchFolder::Write(folder.Path() / name, bytes);
    return (folder.Path() / name).string();
  }
  // Opens `path` through the file menu.
  void OpenFile(const std::string& path) {
    dialogs.WillChoose(path);
    Item("itemOpen")->trigger();
  }
  // Writes `image` to a file and opens it through the file menu.
  std::string Load(const std::string& name, const Buffer& image) {
    std::string path = WriteFile(name, Bytes(image));
    OpenFile(path);
    return path;
  }
  // Saves the image through the file menu as `name` in the scratch folder: its path.
  std::string SaveAs(const std::string& name) {
    std::string path = (folder.Path() / name).string();
    dialogs.WillChoose(path);
    Item("itemSave")->trigger();
    return path;
  }
  bool Idle() const { return !window->Busy(); }
  // Clicks the button or triggers the menu item of that name.
  void Press(const char* control) {
    if (auto* button = window->findChild<QPushButton*>(control)) return button->click();
    Item(control)->trigger();
  }
  // Presses the control and lets the window run until whatever it started is over.
  bool Run(const char* control) {
    Press(control);
    return Until([&] { return Idle(); });
  }

  ScratchFolder folder;
  GatedClock clock;
  ScriptedDialogs dialogs;
  // The system's serial ports as a test sets them; the link may ask from the worker's thread.
  void SetPorts(std::vector<SystemPort> list) {
    std::lock_guard<std::mutex> lock(portsMutex);
    ports = std::move(list);
  }
  int PortsAsked() {
    std::lock_guard<std::mutex> lock(portsMutex);
    return portsAsked;
  }
  int settingsNumber = 0;
  std::mutex portsMutex;  // guards ports and portsAsked
  std::vector<SystemPort> ports;
  int portsAsked = 0;
  std::unique_ptr<TProgForm> window;
};
