#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "message_box_dialog.h"
#include "shell.h"

namespace dbx::test {

// A box shown without a modal loop; its countdown timer is stopped so that only the test
// advances it.
inline std::unique_ptr<MessageBoxDialog> ShowBox(const MessageBoxOptions& options) {
    auto box = std::make_unique<MessageBoxDialog>(options);
    box->CountdownTimer().stop();
    box->show();
    return box;
}

inline MessageBoxOptions Options(const char* text, unsigned style) {
    MessageBoxOptions options;
    options.caption = "Caption";
    options.text = text;
    options.style = style;
    return options;
}

inline std::string Label(const MessageBoxDialog& box, int id) {
    const QPushButton* button = box.Button(id);
    return button ? button->text().toStdString() : "(no button)";
}

// Runs `act` on the next box once its modal loop serves events. A box still open ten seconds
// later is ended with -1, so a failing test cannot hang.
inline void OnNextBox(std::function<void(MessageBoxDialog&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<MessageBoxDialog*>(widget);
            if (!box || !box->isVisible()) continue;
            QTimer::singleShot(10000, box, [box] { box->done(-1); });
            act(*box);
            return;
        }
    });
}

// Records what the box asks of the desktop instead of doing it.
class RecordingShell : public Shell {
  public:
    bool Open(const QString& target) override {
        opened.push_back(target);
        return true;
    }
    bool Start(const QString&, const QStringList&, const QString&) override { return true; }
    std::vector<QString> opened;
};

// Puts a recording shell in place for the life of the object.
class ShellRecorder {
  public:
    ShellRecorder() {
        auto shell = std::make_unique<RecordingShell>();
        shell_ = shell.get();
        previous_ = Shell::Install(std::move(shell));
    }
    ~ShellRecorder() { Shell::Install(std::move(previous_)); }
    const std::vector<QString>& Opened() const { return shell_->opened; }

  private:
    RecordingShell* shell_;
    std::unique_ptr<Shell> previous_;
};

}  // namespace dbx::test
