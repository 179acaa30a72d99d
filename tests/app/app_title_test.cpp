#include "app/app_title.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplicationTitle, IsTheFileNameCutAtTheFirstFullStopWithTheRestInLowerCase)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Velmaris", "Velmaris"},
        {"/opt/velmaris/bin/Velmaris", "Velmaris"},
        {"Velmaris.exe", "Velmaris"},
        {"C:/Programe/VELMARIS.V2.EXE", "Velmaris"},
        {"a.b.c", "a"},
        {"ÎNVĂȚARE.exe", "Învățare"},
        {"x", "x"},
    };
    for (const auto& [path, title] : cases)
        EXPECT_EQ(app::applicationTitle(QString::fromUtf8(path)), QString::fromUtf8(title)) << path;
}

TEST(FullStopRule, AddsOneUnlessTheLastCharacterSortsAtOrBeforeIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Field 'Rd' not found", "Field 'Rd' not found."},
        {"Gata.", "Gata."},
        {"Atenție!", "Atenție!"},
        {"spațiu ", "spațiu "},
        {"virgulă,", "virgulă,"},
        {"cratimă-", "cratimă-"},
        {"paranteză)", "paranteză)"},
        {"cifră 9", "cifră 9."},
        {"două puncte:", "două puncte:."},
        {"bară/", "bară/."},
        {"literă ă", "literă ă."},
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(app::withFullStop(QString::fromUtf8(message)), QString::fromUtf8(shown)) << message;
}

}  // namespace
