#include "CaseName.h"
#include "Language.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using test::PrintTo;
using test::TestWindow;

struct Expected {
    std::vector<std::string> strings;
    std::string search, save, cancel, panel1, panel2, panel3;
};

const Expected english{{"Search", "Save", "copied to:", "No playlist found!", "All files copied!",
                        "Cancel", "canceled!", "File", "Filename", "Progress"},
                       "Search",
                       "Save",
                       "Cancel",
                       "File: ",
                       "Filename: ",
                       "Progress: "};

const Expected german{{"Durchsuchen", "Speichern", "wird kopiert nach:", "Kein Playlist gefunden",
                       "Alle Dateien kopiert!", "Abbrechen", "Kopiervorgang wurde abgebrochen!",
                       "Datei", "Dateiname", "Fortschritt"},
                      "Durchsuchen",
                      "Speichern",
                      "Abbrechen",
                      "Datei: ",
                      "Dateiname: ",
                      "Fortschritt: "};

std::vector<std::string> stringsInForce()
{
    const InterfaceStrings& s = Language();
    return {s.strSearch, s.strSave,     s.strCopiedTo, s.strNoPlaylistFound, s.strAllFilesCopied,
            s.strCancel, s.strCanceled, s.strFile,     s.strFilename,        s.strProgress};
}

void expectWindowAndStrings(const TestWindow& window, const Expected& expected)
{
    EXPECT_EQ(stringsInForce(), expected.strings);
    EXPECT_EQ(window.captions.at(Button::Search), expected.search);
    EXPECT_EQ(window.captions.at(Button::Search2), expected.search);
    EXPECT_EQ(window.captions.at(Button::Save), expected.save);
    EXPECT_EQ(window.captions.at(Button::Cancel), expected.cancel);
    EXPECT_EQ(window.panels[1], expected.panel1);
    EXPECT_EQ(window.panels[2], expected.panel2);
    EXPECT_EQ(window.panels[3], expected.panel3);
}

struct LanguageCase {
    const char* name;
    std::string text;
    bool german;
};

class ApplyLanguageTest : public testing::TestWithParam<LanguageCase> {};

TEST_P(ApplyLanguageTest, OnlyExactDeutschSelectsGerman)
{
    TestWindow window;
    ApplyLanguage(GetParam().text, window);
    expectWindowAndStrings(window, GetParam().german ? german : english);
}

INSTANTIATE_TEST_SUITE_P(Texts, ApplyLanguageTest,
                         testing::Values(LanguageCase{"Deutsch", "Deutsch", true},
                                         LanguageCase{"English", "English", false},
                                         LanguageCase{"LowerCase", "deutsch", false},
                                         LanguageCase{"UpperCase", "DEUTSCH", false},
                                         LanguageCase{"LeadingBlank", " Deutsch", false},
                                         LanguageCase{"TrailingBlank", "Deutsch ", false},
                                         LanguageCase{"Empty", "", false},
                                         LanguageCase{"Other", "Français", false}),
                         test::CaseName());

TEST(ApplyLanguage, SwitchingBackRestoresEveryTextAndOverwritesRunPanels)
{
    TestWindow window;
    ApplyLanguage("Deutsch", window);
    window.panels = {"", "Datei: /music/a.mp3", "Dateiname: a.mp3", "Fortschritt: 42%"};
    ApplyLanguage("English", window);
    expectWindowAndStrings(window, english);
}

} // namespace
} // namespace tunecrate
