// Times the desktop program, driven offscreen like a user would:
//   gui_bench scan STORE [RUNS]   Next to the end of the search, median of RUNS (default 5)
//   gui_bench preview [RUNS]      click on a 1 MB HTML message to its page shown, once the
//                                 pane has shown its start page
//   gui_bench rows [COUNT]        COUNT rows (default 40000) put one at a time on top of the
//                                 shown results list
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browser/browser_pane.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "markup_message_box.h"
#include "recovered_message.h"
#include "recovery_dialog.h"
#include "store_builder.h"
#include "wizard/wizard_flow.h"

namespace {

using dbx::RecoveryDialog;

void PumpUntil(const std::function<bool()>& done) {
    while (!done()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Scan(const std::string& store, int runs) {
    RecoveryDialog dialog;
    dialog.show();
    dialog.ControlAs<QLineEdit>(dbx::kIdPath)->setText(QString::fromStdString(store));
    std::vector<double> times;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        if (dialog.Step() == 2) dialog.RunCommand(dbx::kIdBack);
        QElapsedTimer timer;
        timer.start();
        dialog.RunCommand(dbx::kIdNext);
        PumpUntil([&] { return !dialog.Flow().Busy(); });
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        rows = dialog.Results()->rowCount();
    }
    std::printf("gui_scan runs=%d median_ms=%.1f min_ms=%.1f rows=%d\n", runs, Median(times),
                *std::min_element(times.begin(), times.end()), rows);
    return 0;
}

// A store holding one message with a 1 MB HTML part.
std::string WriteHtmlStore(const std::string& folder) {
    std::string body = "Subject: big\r\nContent-Type: text/html\r\n\r\n<html><body>";
    const std::string paragraph =
        "<p>Lorem ipsum dolor sit amet, <b>consectetur</b> adipiscing elit, sed do eiusmod "
        "tempor incididunt ut labore et dolore magna aliqua.</p>\r\n";
    while (body.size() < 1'000'000) body += paragraph;
    body += "</body></html>\r\n";
    dbx::build::MessageFields fields;
    fields.from = "big@example.org";
    fields.to = "<you@example.net>";
    fields.subject = "A large page";
    fields.filetime = dbx::build::FileTimeFromUnix(1262307600);
    fields.bodyOffset = 0x4000;
    fields.bodySize = std::uint32_t(body.size());
    dbx::build::StoreBuilder builder;
    builder.Header();
    builder.PutRecord(dbx::build::kFirstSegment, dbx::build::TypicalProperties(fields));
    builder.PutBody(0x4000, body);
    const std::string path = folder + "/html.dbx";
    builder.Save(path);
    return path;
}

int Preview(int runs) {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/gui_bench";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::ofstream("sample.htm") << "<html><body>start</body></html>";
    const std::string store = WriteHtmlStore(folder);

    dbx::MessageBoxTestSeam quiet;  // a refusal would otherwise wait for a click
    RecoveryDialog dialog;
    dialog.show();
    std::vector<QUrl> loaded;
    QObject::connect(dialog.Pane(), &dbx::BrowserPane::LoadFinished,
                     [&](const QUrl& url, bool) { loaded.push_back(url); });
    dialog.ControlAs<QLineEdit>(dbx::kIdPath)->setText(QString::fromStdString(store));
    dialog.RunCommand(dbx::kIdNext);
    PumpUntil([&] { return !dialog.Flow().Busy(); });
    PumpUntil([&] { return !loaded.empty(); });  // the start page

    dbx::ResultsView* list = dialog.ResultsList();
    const QPoint cell = list->visualRect(list->model()->index(0, 1)).center();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        loaded.clear();
        QElapsedTimer timer;
        timer.start();
        dialog.Flow().OnListClick(cell);
        PumpUntil([&] {
            return !loaded.empty() && loaded.back().fileName() == QLatin1String("MailHtml.html");
        });
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        PumpUntil([&] { return !dialog.Flow().Busy(); });
    }
    // The share of the engine: the same page navigated to directly.
    const QString page = dialog.Pane()->Url().toLocalFile();
    std::vector<double> engine;
    for (int run = 0; run < runs; ++run) {
        loaded.clear();
        QElapsedTimer timer;
        timer.start();
        dialog.Pane()->Navigate(page);
        PumpUntil([&] { return !loaded.empty(); });
        engine.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("gui_preview runs=%d median_ms=%.1f min_ms=%.1f max_ms=%.1f engine_ms=%.1f\n", runs,
                Median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), Median(engine));
    std::filesystem::remove_all(folder);
    return 0;
}

int Rows(int count) {
    RecoveryDialog dialog;
    dialog.show();
    dbx::ResultsView* list = dialog.ResultsList();
    list->show();
    dbx::RecoveredMessage message;
    message.from = "someone@example.org";
    message.subject = "A subject of average length";
    message.to = "<you@example.net>";
    message.dateText = "01/01/2010 01:00";
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        message.offset = std::uint32_t(i);
        dialog.Results()->Prepend({message});
        if (i % 1000 == 0) QApplication::processEvents();
    }
    QApplication::processEvents();
    std::printf("gui_rows count=%d total_ms=%.1f\n", count, double(timer.nsecsElapsed()) / 1e6);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    dbx::BrowserPane::PrepareEngine();
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "scan" && argc > 2) return Scan(argv[2], argc > 3 ? std::atoi(argv[3]) : 5);
    if (mode == "preview") return Preview(argc > 2 ? std::atoi(argv[2]) : 5);
    if (mode == "rows") return Rows(argc > 2 ? std::atoi(argv[2]) : 40000);
    std::fprintf(stderr, "usage: gui_bench scan STORE [RUNS] | preview [RUNS] | rows [COUNT]\n");
    return 2;
}
