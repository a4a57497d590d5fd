// Dialog templates turned into widgets, and command routing.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "command_router.h"
#include "dialog_builder.h"
#include "dialog_units.h"
#include "static_text.h"

namespace dbx {
namespace {

TEST(DialogUnits, ConvertedWithRoundingHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(3, 6, 4), 5);    // 4.5
    EXPECT_EQ(MulDiv(-3, 6, 4), -5);  // -4.5
    EXPECT_EQ(MulDiv(7, 13, 8), 11);  // 11.375
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(DialogUnitsToPixels(QRect(1, 34, 515, 214)), QRect(2, 55, 773, 348));
}

TEST(DialogBuilder, EveryControlWithItsClassTextAndVisibility) {
    DialogTemplate dialog{7,
                          "T",
                          100,
                          100,
                          "MS Sans Serif",
                          8,
                          0,
                          {{1, ControlClass::Static, "Line\r\nTwo", 0, 0, 40, 16, true},
                           {2, ControlClass::Edit, "path", 0, 20, 40, 12, true},
                           {3, ControlClass::PushButton, "Go", 50, 20, 20, 12, false},
                           {4, ControlClass::GroupBox, "Frame", 0, 40, 90, 50, true},
                           {5, ControlClass::ProgressBar, "", 0, 90, 90, 8, true},
                           {6, ControlClass::Custom, "", 0, 0, 10, 10, true}}};
    QWidget client;
    QWidget* made = nullptr;
    auto controls = BuildControls(dialog, &client, [&](const ControlTemplate& c, QWidget* parent) {
        return c.id == 6 ? (made = new QWidget(parent)) : nullptr;
    });
    ASSERT_EQ(controls.size(), 6u);
    auto* label = qobject_cast<StaticText*>(controls[1]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->WindowText(), "Line\r\nTwo");
    EXPECT_EQ(label->text(), "Line\nTwo");
    EXPECT_EQ(qobject_cast<QLineEdit*>(controls[2])->text(), "path");
    auto* button = qobject_cast<QPushButton*>(controls[3]);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isVisibleTo(&client));
    EXPECT_FALSE(button->autoDefault());
    EXPECT_EQ(button->geometry(), QRect(75, 33, 30, 20));
    EXPECT_EQ(qobject_cast<QGroupBox*>(controls[4])->title(), "Frame");
    EXPECT_EQ(qobject_cast<QProgressBar*>(controls[5])->maximum(), 100);
    EXPECT_EQ(controls[6], made);
    EXPECT_EQ(controls[6]->property("controlId").toInt(), 6);
}

TEST(CommandRouter, IdsSharingAHandler) {
    CommandRouter router;
    int next = 0;
    router.Add({1000, 1004, 32772}, [&] { ++next; });
    EXPECT_TRUE(router.Route(1000));
    EXPECT_TRUE(router.Route(32772));
    EXPECT_FALSE(router.Route(1001));
    EXPECT_EQ(next, 2);
}

}  // namespace
}  // namespace dbx
