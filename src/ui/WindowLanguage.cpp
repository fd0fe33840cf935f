#include "ui/WindowLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

// Where the build puts the translations: resources of the program itself.
const char* const kTranslations = ":/i18n";

}  // namespace

WindowLanguage::WindowLanguage(const QLocale& locale) {
  if (english_.load("isp89_en", kTranslations)) QCoreApplication::installTranslator(&english_);
  const bool english = locale.language() == QLocale::English || locale.language() == QLocale::C;
  translated_ = !english && own_.load(locale, "isp89", "_", kTranslations);
  QLocale::setDefault(translated_ ? locale : QLocale(QLocale::English, QLocale::UnitedStates));
  if (!translated_) return;
  QCoreApplication::installTranslator(&own_);
  if (qt_.load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qt_);
  }
}

WindowLanguage::~WindowLanguage() {
  QLocale::setDefault(previous_);
  for (QTranslator* translator : {&qt_, &own_, &english_}) {
    if (!translator->isEmpty()) QCoreApplication::removeTranslator(translator);
  }
}
