#pragma once

#include <QLocale>
#include <QTranslator>

// The window's language for the lifetime of this object. The texts in the code are English;
// the English translation only adds their plural forms ("1 page", "2 pages"). A locale that
// has a translation of its own (Czech) gets it, with Qt's own texts (the dialogs' buttons)
// in the same language when the system has them (Debian: qt6-translations-l10n). For any
// other locale the window stays English, Qt's texts included, so that it speaks one language;
// numbers and times follow the language shown ("1,8 s" in Czech, "1.8 s" in English).
// Needs the application object; made before the window.
class WindowLanguage {
 public:
  explicit WindowLanguage(const QLocale& locale);
  ~WindowLanguage();
  WindowLanguage(const WindowLanguage&) = delete;
  WindowLanguage& operator=(const WindowLanguage&) = delete;

  // Whether the locale's own translation is in use (false for English).
  bool Translated() const { return translated_; }

 private:
  QTranslator english_;
  QTranslator own_;
  QTranslator qt_;
  bool translated_ = false;
  QLocale previous_;  // the default locale before
};
