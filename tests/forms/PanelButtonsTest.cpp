#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "forms/PanelButtons.h"
#include "ticket/Catalogue.h"

namespace qvset::forms {
namespace {

TEST(PanelButtons, EveryChoiceAndDistanceHasExactlyOneButtonAndEveryButtonSendsOne) {
    std::map<std::pair<int, int>, int> buttonsOf;
    for (const PanelButton& button : PanelButtons()) {
        const SwitchChoice* choice = ChoiceOfButton(button.name);
        const TicketDistance* distance = DistanceOfButton(button.name);
        EXPECT_TRUE((choice == nullptr) != (distance == nullptr)) << button.name;
        if (choice != nullptr) ++buttonsOf[{choice->item, choice->code}];
        if (distance != nullptr) ++buttonsOf[{distance->item, kCodeFirst}];
    }
    for (const SwitchChoice& choice : SwitchChoices()) {
        EXPECT_EQ((buttonsOf[{choice.item, choice.code}]), 1) << choice.itemWord << " " << choice.choiceWord;
    }
    for (const TicketDistance& distance : TicketDistances()) {
        EXPECT_EQ((buttonsOf[{distance.item, kCodeFirst}]), 1) << distance.word;
    }
    EXPECT_EQ(buttonsOf.size(), SwitchChoices().size() + TicketDistances().size());
}

TEST(Catalogue, WordsNameOneChoiceOrDistanceEach) {
    std::set<std::pair<std::string_view, std::string_view>> words;
    for (const SwitchChoice& choice : SwitchChoices()) {
        EXPECT_TRUE(words.insert({choice.itemWord, choice.choiceWord}).second) << choice.itemWord;
        EXPECT_EQ(FindSwitchChoice(choice.itemWord, choice.choiceWord), &choice);
        EXPECT_EQ(FindSwitchChoice(choice.item, choice.code), &choice);
        EXPECT_FALSE(ItemCaption(choice.item).empty());
    }
    for (const TicketDistance& distance : TicketDistances()) {
        EXPECT_EQ(FindDistanceByWord(distance.word), &distance);
        EXPECT_EQ(FindSwitchChoice(distance.word, "on"), nullptr);
    }
}

}  // namespace
}  // namespace qvset::forms
