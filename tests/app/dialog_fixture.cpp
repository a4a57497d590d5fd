#include "dialog_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "list/results_model.h"
#include "list/results_view.h"
#include "markup_tags.h"
#include "markup_tokens.h"
#include "output_path.h"
#include "preview/preview_folder.h"
#include "store_builder.h"
#include "text_preparation.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> EmlFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".eml") names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string DisplayedText(const std::string& markup) {
    using namespace markup;
    const std::string prepared = PrepareText(markup, ReplacementMap::Entities(), true);
    std::string shown;
    std::size_t pos = 0;
    while (auto token = NextToken(prepared, pos)) {
        if (token->type == TokenType::Text) {
            shown += token->text;
            continue;
        }
        const TagInfo tag = LookupTag(token->text);
        if (tag.kind == TagKind::Break) {
            shown += '\n';
        } else {
            EXPECT_EQ(tag.kind, TagKind::Unknown) << "tag <" << token->text << ">";
        }
    }
    return shown;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    if (!QTest::qWaitFor(done, timeoutMs)) return false;
    QCoreApplication::processEvents();
    return true;
}

void WriteStore(const std::string& path, const std::vector<StoreMessage>& messages,
                std::size_t size) {
    build::StoreBuilder builder;
    builder.Header();
    std::uint32_t recordAt = build::kFirstSegment;
    std::uint32_t bodyAt = build::kFirstSegment + std::uint32_t(messages.size()) * 0x400 + 0x1000;
    for (const StoreMessage& message : messages) {
        build::MessageFields fields;
        fields.from = message.from;
        fields.to = message.to;
        fields.subject = message.subject;
        fields.filetime = build::FileTimeFromUnix(message.when);
        fields.bodyOffset = bodyAt;
        fields.bodySize = std::uint32_t(message.body.size());
        const auto props = build::TypicalProperties(fields);
        const std::size_t used = message.deleted ? builder.PutFreedRecord(recordAt, props, 0)
                                                 : builder.PutRecord(recordAt, props);
        // Far enough apart that the skip after a hit never passes over the next record.
        recordAt += std::uint32_t((used + 0x3FF) & ~std::size_t(0x3FF));
        builder.PutBody(bodyAt, message.body, message.deleted);
        bodyAt += std::uint32_t(build::BlocksFor(message.body.size()) * build::kBlockSize);
    }
    if (builder.Size() < size) builder.Resize(size);
    builder.Save(path);
}

void Gate::Pass(std::uint64_t point, std::uint64_t at) {
    if (point != at) return;
    reached = true;
    while (!released) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void DialogTest::SetUp() {
    previousShell_ = Shell::Install(std::make_unique<RecordingShell>(&opened, &started));
    previousDir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    std::ofstream(dir.File("sample.htm")) << "<html><body>start page</body></html>";
    store = stores.File("store.dbx");
    dialog = std::make_unique<RecoveryDialog>();
    dialog->show();
}

void DialogTest::TearDown() {
    dialog.reset();
    std::filesystem::current_path(previousDir_);
    Shell::Install(std::move(previousShell_));
}

void DialogTest::SetPath(const std::string& path) {
    dialog->ControlAs<QLineEdit>(kIdPath)->setText(QString::fromStdString(path));
}

void DialogTest::Click(int controlId) {
    QTest::mouseClick(dialog->Control(controlId), Qt::LeftButton);
}

void DialogTest::Scan(const std::vector<StoreMessage>& messages) {
    WriteStore(store, messages);
    SetPath(store);
    Click(kIdNext);
    WaitForJobs();
}

QPoint DialogTest::CellCentre(int row, int column) const {
    ResultsView* list = dialog->ResultsList();
    list->scrollTo(list->model()->index(row, column));
    return list->visualRect(list->model()->index(row, column)).center();
}

void DialogTest::ClickCell(int row, int column) {
    QTest::mouseClick(dialog->ResultsList()->viewport(), Qt::LeftButton, {},
                      CellCentre(row, column));
}

void DialogTest::WaitForJobs() {
    EXPECT_TRUE(PumpUntil([this] { return !dialog->Flow().Busy(); })) << "a job did not end";
}

bool DialogTest::Visible(int controlId) const {
    QWidget* control = dialog->Control(controlId);
    return control && control->isVisibleTo(dialog.get());
}

QAction* DialogTest::MessageSourceAction() const {
    return dialog->findChild<QAction*>(QStringLiteral("messageSourceAction"));
}

std::string DialogTest::TempFolder() const {
    return RunPreviewFolder();
}

}  // namespace dbx::test
