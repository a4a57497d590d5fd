// The entry: defaults, beep, the modal run, remembered answers and the test seam.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "message_box_driver.h"
#include "message_box_entry.h"
#include "message_box_memory.h"
#include "resource_registry.h"

namespace dbx {
namespace {

using test::OnNextBox;

// Remembered answers go to a folder of the test's own; beeps are counted.
class MessageBoxEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        previousBeep_ = SetMessageBeep([this](unsigned bits) { beeps.push_back(bits); });
    }
    void TearDown() override {
        SetMessageBeep(std::move(previousBeep_));
        QCoreApplication::processEvents();  // drivers of boxes that never came
    }

    MessageBoxOptions Remembering(const char* company) {
        MessageBoxOptions options;
        options.rememberPrefix = "Ask";
        options.rememberNumber = 3;
        options.rememberCompany = company;
        return options;
    }

    std::vector<unsigned> beeps;

  private:
    QTemporaryDir settingsDir_;
    MessageBeepFunction previousBeep_;
};

TEST_F(MessageBoxEntry, TheModalBoxAnswersWithTheClickedButton) {
    std::string caption;
    OnNextBox([&caption](MessageBoxDialog& box) {
        caption = box.windowTitle().toStdString();
        QTest::mouseClick(box.Button(kIdNo), Qt::LeftButton);
    });
    const MessageBoxOptions options = AppMessageOptions();
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "Stop?", "Title", kMbYesNo | kMbIconQuestion, &options),
              kIdNo);
    EXPECT_EQ(caption, "Title");
    EXPECT_EQ(beeps, std::vector<unsigned>{0x20});
}

TEST_F(MessageBoxEntry, NoSoundBitKeepsTheBoxQuiet) {
    OnNextBox([](MessageBoxDialog& box) { box.Command(kIdOk); });
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "x", "c", kMbIconStop | kMbNoSound, nullptr), kIdOk);
    EXPECT_TRUE(beeps.empty());
}

TEST_F(MessageBoxEntry, CaptionFallsBackToTheOwnerTitleThenError) {
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Owner title"));
    MessageBoxOptions options;
    options.owner = &owner;
    EXPECT_EQ(WithEntryDefaults(options).caption.Text(), "Owner title");
    options.caption = "";
    EXPECT_EQ(WithEntryDefaults(options).caption.Text(), "Owner title");
    options.caption = "Given";
    EXPECT_EQ(WithEntryDefaults(options).caption.Text(), "Given");
    // An id that resolves to nothing stays empty.
    options.caption = TextOrId::Id(4711);
    EXPECT_TRUE(WithEntryDefaults(options).caption.IsId());
    options.caption = TextOrId();
    owner.setWindowTitle(QString());
    EXPECT_EQ(WithEntryDefaults(options).caption.Text(), "Error");
    options.owner = nullptr;
    EXPECT_EQ(WithEntryDefaults(options).caption.Text(), "Error");
}

TEST_F(MessageBoxEntry, KeysWithAndWithoutACompany) {
    const auto withCompany = RememberKeyOf(Remembering("Varnook"));
    ASSERT_TRUE(withCompany);
    EXPECT_EQ(withCompany->organization, QStringLiteral("Varnook"));
    EXPECT_EQ(withCompany->application, ExecutableModuleName());
    EXPECT_EQ(withCompany->group, QStringLiteral("MarkupMessageBox"));
    EXPECT_EQ(withCompany->valueName, QStringLiteral("Ask3"));
    const auto without = RememberKeyOf(Remembering(""));
    ASSERT_TRUE(without);
    EXPECT_EQ(without->organization, ExecutableModuleName());
    EXPECT_EQ(without->application, QStringLiteral("MarkupMessageBox"));
    EXPECT_TRUE(without->group.isEmpty());
    EXPECT_EQ(ExecutableModuleName(), QStringLiteral("message_box_tests"));
    EXPECT_FALSE(RememberKeyOf(MessageBoxOptions()));
}

TEST_F(MessageBoxEntry, ATickedAnswerIsRememberedAndShortCutsTheNextBox) {
    MessageBoxOptions options = Remembering("Varnook");
    const unsigned style = kMbYesNo | kMbIconQuestion | kMbCheckBox;
    OnNextBox([](MessageBoxDialog& box) {
        box.CheckBox()->setChecked(true);
        QTest::mouseClick(box.Button(kIdNo), Qt::LeftButton);
    });
    const int first = ShowMarkupMessageBox(nullptr, "Again?", "c", style, &options);
    EXPECT_EQ(first, kIdNo | int(kMbChecked));
    {
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Varnook",
                         ExecutableModuleName());
        EXPECT_EQ(stored.value("MarkupMessageBox/Ask3").toInt(), first);
    }
    EXPECT_EQ(beeps.size(), 1u);

    bool shown = false;
    OnNextBox([&shown](MessageBoxDialog& box) {
        shown = true;
        box.done(-1);
    });
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "Again?", "c", style, &options), first);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_EQ(beeps.size(), 1u);  // no sound either

    // Without the check-box style the remembered answer is not consulted.
    OnNextBox([](MessageBoxDialog& box) { box.Command(kIdYes); });
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "Again?", "c", kMbYesNo, &options), kIdYes);
}

TEST_F(MessageBoxEntry, AnUntickedAnswerOrAZeroIsNotAShortCut) {
    MessageBoxOptions options = Remembering("");
    options.style = kMbCheckBox;  // as the entry leaves it
    OnNextBox([](MessageBoxDialog& box) { box.Command(kIdOk); });
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "x", "c", kMbCheckBox, &options), kIdOk);
    EXPECT_FALSE(RememberedShortCut(options));

    WriteRememberedAnswer(*RememberKeyOf(options), 0);
    EXPECT_FALSE(RememberedShortCut(options));
    bool shown = false;
    OnNextBox([&shown](MessageBoxDialog& box) {
        shown = true;
        box.Command(kIdOk);
    });
    EXPECT_EQ(ShowMarkupMessageBox(nullptr, "x", "c", kMbCheckBox, &options), kIdOk);
    EXPECT_TRUE(shown);

    WriteRememberedAnswer(*RememberKeyOf(options), 6);
    EXPECT_EQ(RememberedShortCut(options), 6);
    {
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, ExecutableModuleName(),
                         "MarkupMessageBox");
        stored.setValue("Ask3", "not a number");
    }
    EXPECT_FALSE(RememberedShortCut(options));
}

TEST_F(MessageBoxEntry, AnOwnerDeletedWhileTheBoxRunsEndsItAsCancel) {
    auto* owner = new QWidget;
    owner->show();
    OnNextBox([owner](MessageBoxDialog&) { delete owner; });
    EXPECT_EQ(ShowMarkupMessageBox(owner, "x", "c", kMbYesNo, nullptr), kIdCancel);
}

TEST_F(MessageBoxEntry, TextOrIdArgumentsThroughTheSeam) {
    ResourceRegistry strings;
    strings.AddString(610, "Message from the table");
    MessageBoxOptions options;
    options.stringModule = &strings;
    MessageBoxTestSeam seam;
    seam.Answer(kIdRetry);
    EXPECT_EQ(ShowMarkupMessageBoxEx(nullptr, TextOrId::Id(610), "Cap", kMbRetryCancel, &options),
              kIdRetry);
    ASSERT_EQ(seam.Shown().size(), 1u);
    EXPECT_EQ(seam.Shown()[0].text, "Message from the table");
    EXPECT_EQ(seam.Shown()[0].caption, "Cap");
    EXPECT_EQ(seam.Shown()[0].options.text, TextOrId::Id(610));
    EXPECT_TRUE(beeps.empty());
}

}  // namespace
}  // namespace dbx
