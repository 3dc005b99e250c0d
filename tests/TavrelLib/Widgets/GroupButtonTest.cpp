#include "Widgets/GroupButton.h"
#include "Widgets/Button.h"

#include "WidgetFixtures.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct GroupClick {
    int index;
    bool selected;
    std::vector<int> statesDuringCall;
};

class GroupButtonTest : public ::testing::Test, public OnGroupButtonClickListener {
protected:
    TempFolder folder;
    PatternParent parent;
    std::vector<Button*> members;
    GroupButton group;
    std::vector<GroupClick> clicks;

    void SetUp() override {
        const QString normal = WritePng(folder, "MODE.png", SolidImage(10, 8, 0xFF202020));
        const QString selected =
            WritePng(folder, "MODE_SELECTED.png", SolidImage(10, 8, 0xFFE0E0E0));
        parent.resize(80, 20);
        for (int i = 0; i < 6; ++i) {
            auto* b = new Button(&parent);
            b->SetDlgCtrlID(1011 + i);
            b->SetImages(normal, QString());
            b->SetSelectedImages(selected, QString());
            b->SetSelectable(true);
            b->move(12 * i, 4);
            members.push_back(b);
            group.AddButton(b);
        }
        group.SetOnGroupButtonClickListener(this);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    void onGroupButtonClick(Button* button, int index, bool selected) override {
        EXPECT_EQ(button, members[index]);
        clicks.push_back({index, selected, States()});
    }

    std::vector<int> States() const {
        std::vector<int> states;
        for (Button* b : members)
            states.push_back(b->GetState());
        return states;
    }
    void Click(int index) { QTest::mouseClick(members[index], Qt::LeftButton, {}, QPoint(4, 4)); }
};

TEST_F(GroupButtonTest, ClickSelectsOneMemberAndTellsItsIndex) {
    EXPECT_EQ(group.Count(), 6);
    group.SelectIndex(5);
    Click(3);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].index, 3);
    EXPECT_TRUE(clicks[0].selected);
    // The listener runs during the walk: members after the clicked one are still as they were.
    EXPECT_EQ(clicks[0].statesDuringCall, (std::vector<int>{0, 0, 0, 1, 0, 1}));
    // The look follows: the selected picture on member 3 only.
    EXPECT_EQ(members[3]->grab().toImage().pixel(2, 2), 0xFFE0E0E0u);
    EXPECT_EQ(members[5]->grab().toImage().pixel(2, 2), 0xFF202020u);

    // Clicking it again keeps it selected (its own toggle is undone by the group).
    Click(3);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_TRUE(clicks[1].selected);
}

TEST_F(GroupButtonTest, SelectIndexLeavesDisabledMembersAndTellsNoOne) {
    group.SelectIndex(2);
    members[2]->SetState(Button::Disabled);
    members[4]->SetState(Button::Selected);
    members[4]->SetEnabled(false);
    group.SelectIndex(1);
    EXPECT_EQ(States(), (std::vector<int>{0, 1, 2, 0, 1, 0}));
    group.SelectIndex(-1);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 2, 0, 1, 0}));
    group.SelectIndex(6);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 2, 0, 1, 0}));
    Click(0);
    EXPECT_EQ(States(), (std::vector<int>{1, 0, 2, 0, 1, 0}));
    EXPECT_EQ(clicks.size(), 1u);
    // A disabled member that is clicked anyway (through its listener) is reported unselected.
    group.onClick(members[2]);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].index, 2);
    EXPECT_FALSE(clicks[1].selected);
}

TEST_F(GroupButtonTest, EnableAllTogglesClickabilityAndKeepsStates) {
    group.SelectIndex(2);
    group.EnableAll(false);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 1, 0, 0, 0}));
    Click(4);
    EXPECT_TRUE(clicks.empty());
    group.EnableAll(true);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(members[2]->grab().toImage().pixel(2, 2), 0xFFE0E0E0u);
    Click(4);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 0, 1, 0}));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].index, 4);
}

TEST_F(GroupButtonTest, MembersAreMatchedByControlIdOrItselfWithoutOne) {
    // Two members sharing an id both count as clicked.
    members[4]->SetDlgCtrlID(members[1]->GetDlgCtrlID());
    Click(1);
    EXPECT_EQ(States(), (std::vector<int>{0, 1, 0, 0, 1, 0}));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].index, 1);
    EXPECT_EQ(clicks[1].index, 4);

    // Buttons made without an id are told apart by themselves.
    clicks.clear();
    for (Button* b : members)
        b->SetDlgCtrlID(-1);
    Click(3);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 1, 0, 0}));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].index, 3);
}

TEST_F(GroupButtonTest, WithoutAListenerClicksStillSelect) {
    group.SetOnGroupButtonClickListener(nullptr);
    Click(1);
    Click(5);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(clicks.empty());
}

} // namespace
