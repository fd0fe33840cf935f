// The window's language: English in the code, Czech from its translation under a Czech
// locale, one language either way.
#include "ui/UiBench.h"
#include "ui/WindowLanguage.h"

namespace {

class Language : public UiBench {};

// The port failure, a menu, a button, a plural form and a decimal point, as each language has
// them; a locale the window has no translation for gets all of it in English.
TEST_F(Language, UnderACzechLocaleTheWindowSpeaksCzech) {
  struct Case {
    QLocale locale;
    bool translated;
    const char* failure;
    const char* menu;
    const char* button;
    const char* written;
    const char* point;
  };
  for (const Case& c :
       {Case{QLocale(QLocale::Czech, QLocale::CzechRepublic), true,
             "Nepodařilo se dokončit čtení:\nSériový port COM3 nelze otevřít\n", "&soubor",
             "Z&apsat", "Zapsán image.bin do AT89S51: zapsány 2 stránky, neověřeno za ", ","},
        Case{QLocale(QLocale::English, QLocale::UnitedKingdom), false,
             "The read failed:\nSerial port COM3 cannot be opened\n", "&file", "&Write",
             "Wrote image.bin to the AT89S51: 2 pages written, not verified in ", "."},
        Case{QLocale(QLocale::German, QLocale::Germany), false,
             "The read failed:\nSerial port COM3 cannot be opened\n", "&file", "&Write",
             "Wrote image.bin to the AT89S51: 2 pages written, not verified in ", "."}}) {
    const std::string name = c.locale.name().toStdString();
    WindowLanguage language(c.locale);
    EXPECT_EQ(language.Translated(), c.translated) << name;
    Open();
    EXPECT_EQ(Find<QMenu>("itemFile")->title().toStdString(), c.menu) << name;
    EXPECT_EQ(Button("btnProgram")->text().toStdString(), c.button) << name;
    Item("COM3")->trigger();
    ASSERT_TRUE(Run("btnRead")) << name;
    ASSERT_EQ(dialogs.errors.size(), 1u) << name;
    EXPECT_EQ(dialogs.errors[0].rfind(c.failure, 0), 0u) << dialogs.errors[0];
    Item("COM1")->trigger();
    Load("image.bin", Pattern(1, 512));
    ASSERT_TRUE(Run("btnProgram")) << name;
    EXPECT_EQ(Note().rfind(c.written, 0), 0u) << Note();
    // "4,3 s" or "4.3 s".
    EXPECT_EQ(Note().substr(std::string(c.written).size() + 1, 1), c.point) << Note();
  }
}

}  // namespace
