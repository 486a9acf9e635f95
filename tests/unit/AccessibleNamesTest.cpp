#include <gtest/gtest.h>

#include <string>

#include "platform/Accessibility.h"
#include "state/AppState.h"
#include "text/AccessibleNames.h"
#include "text/StringLists.h"

namespace {

struct LabelCase {
    std::string label;
    std::string name;
    std::string shortcut;
};

// Labels as the string lists hold them, and the awkward forms a label may take.
const LabelCase kLabelCases[] = {
    {"Papers in catalog", "Papers in catalog", ""},
    {"Catalogs:", "Catalogs", ""},
    {"Catalogues\xA0:", "Catalogues", ""},
    {"&Papier\xA0:", "Papier", "Alt+P"},
    {"Fo&rce 1-sided", "Force 1-sided", "Alt+R"},
    {"Siirr\xE4 yl&\xF6s", "Siirr\xE4 yl\xF6s", "Alt+\xD6"},
    {"&\xE5" "bn", "\xE5" "bn", "Alt+\xC5"},
    {"Find &what:", "Find what", "Alt+W"},
    {"Black && &White:", "Black & White", "Alt+W"},
    {"&First &second", "First second", "Alt+F"},
    {"Trailing &", "Trailing", ""},
    {"Weight (gsm):  ", "Weight (gsm)", ""},
    {"& blank", " blank", ""},
    {"", "", ""},
    {"&7 copies", "7 copies", "Alt+7"},
    {"Division &\xF7", "Division \xF7", "Alt+\xF7"},
};

TEST(AccessibleTextsOfLabel, GivesTheShownTextWithoutMarkOrColonAndTheMnemonicsShortcut) {
    for (const LabelCase& c : kLabelCases) {
        const AccessibleTexts texts = AccessibleTextsOfLabel(c.label);
        EXPECT_EQ(texts.name, c.name) << c.label;
        EXPECT_EQ(texts.shortcut, c.shortcut) << c.label;
    }
}

// Every interface language names the paper list and the catalog lists by a
// text of its own, never empty and never with the label's colon.
TEST(AccessibleTextsOfLabel, NamesTheUnlabelledListsInEveryLanguage) {
    for (int16_t language = 1; language <= 10; ++language) {
        for (int16_t id : {static_cast<int16_t>(LAB_PAPERS_GROUP), static_cast<int16_t>(LAB_CATALOGS)}) {
            const std::string label = GetLocalizedString(kLabelList, id, language);
            const AccessibleTexts texts = AccessibleTextsOfLabel(label);
            EXPECT_FALSE(texts.name.empty()) << language << " " << id;
            EXPECT_EQ(texts.name.find(':'), std::string::npos) << label;
            EXPECT_NE(texts.name.back(), '\xA0') << label;
            EXPECT_EQ(label.rfind(texts.name, 0), 0u) << label;
        }
    }
}

TEST(AnnotateWindow, RecordsTheLatestRequestPerWindowAndPropertyOnlyWhileRecording) {
    int first = 0;
    int second = 0;
    platform::AnnotateWindow(&first, platform::AccessibleProperty::Name, "before");
    platform::RecordAnnotations(true);
    EXPECT_EQ(platform::RecordedAnnotation(&first, platform::AccessibleProperty::Name), std::nullopt);
    // Without windows no system takes it; the request is remembered all the same.
    EXPECT_FALSE(platform::AnnotateWindow(&first, platform::AccessibleProperty::Name, "Papers"));
    platform::AnnotateWindow(&first, platform::AccessibleProperty::Name, "Papiere");
    platform::AnnotateWindow(&first, platform::AccessibleProperty::KeyboardShortcut, "");
    platform::AnnotateWindow(&second, platform::AccessibleProperty::Name, "Catalogs");
    EXPECT_EQ(platform::RecordedAnnotation(&first, platform::AccessibleProperty::Name), "Papiere");
    EXPECT_EQ(platform::RecordedAnnotation(&first, platform::AccessibleProperty::KeyboardShortcut), "");
    EXPECT_EQ(platform::RecordedAnnotation(&second, platform::AccessibleProperty::Name), "Catalogs");
    EXPECT_EQ(platform::RecordedAnnotation(&second, platform::AccessibleProperty::KeyboardShortcut), std::nullopt);
    platform::RecordAnnotations(false);
    EXPECT_EQ(platform::RecordedAnnotation(&first, platform::AccessibleProperty::Name), std::nullopt);
    platform::AnnotateWindow(&first, platform::AccessibleProperty::Name, "after");
    EXPECT_EQ(platform::RecordedAnnotation(&first, platform::AccessibleProperty::Name), std::nullopt);
}

}  // namespace
