#include "message_box_entry.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "ansi_codepage.h"
#include "message_box_dialog.h"
#include "message_box_memory.h"
#include "message_box_runner.h"

namespace dbx {
namespace {

// The classic caption buffer holds 260 characters with its terminator.
constexpr qsizetype kMaxOwnerCaption = 259;

MessageBeepFunction& Beep() {
    static MessageBeepFunction beep;
    return beep;
}

void Sound(unsigned iconBits) {
    if (Beep()) {
        Beep()(iconBits);
    } else {
        QApplication::beep();
    }
}

}  // namespace

MessageBeepFunction SetMessageBeep(MessageBeepFunction beep) {
    MessageBeepFunction previous = std::move(Beep());
    Beep() = std::move(beep);
    return previous;
}

MessageBoxOptions WithEntryDefaults(MessageBoxOptions options) {
    if (!options.owner) options.owner = QApplication::activeWindow();
    const bool absent =
        options.caption.IsNull() || (!options.caption.IsId() && options.caption.Text().empty());
    if (absent) {
        std::string caption;
        if (options.owner) {
            caption = QStringToAnsi(options.owner->windowTitle().left(kMaxOwnerCaption));
        }
        options.caption = TextOrId(caption.empty() ? std::string("Error") : caption);
    }
    return options;
}

std::optional<int> RememberedShortCut(const MessageBoxOptions& options) {
    if (!(options.style & kMbCheckBox)) return std::nullopt;
    const auto key = RememberKeyOf(options);
    if (!key) return std::nullopt;
    const auto answer = ReadRememberedAnswer(*key);
    if (!answer || *answer == 0) return std::nullopt;
    return *answer;
}

int RunMessageBox(const MessageBoxOptions& given) {
    const MessageBoxOptions options = WithEntryDefaults(given);
    if (const auto answer = RememberedShortCut(options)) return *answer;
    if (!(options.style & kMbNoSound)) Sound(options.style & kMbIconMask);
    // On the heap behind a guard: an owner deleted while the box runs takes its child with it.
    QPointer<MessageBoxDialog> dialog = new MessageBoxDialog(options);
    dialog->exec();
    if (!dialog) return kIdCancel;
    const int answer = dialog->Answer();
    delete dialog;
    return answer != 0 ? answer : int(kIdCancel);
}

int ShowMarkupMessageBoxEx(QWidget* owner, const TextOrId& text, const TextOrId& caption,
                           unsigned style, const MessageBoxOptions* options) {
    MessageBoxOptions resolved = options ? *options : MessageBoxOptions();
    resolved.owner = owner;
    resolved.text = text;
    resolved.caption = caption;
    resolved.style = style;
    if (MessageBoxTestSeam* seam = MessageBoxTestSeam::Active()) {
        const bool noResources = style & kMbNoResources;
        return seam->Take({text.Resolve(resolved.stringModule, noResources),
                           caption.Resolve(resolved.stringModule, noResources), style, resolved});
    }
    return RunMessageBox(resolved);
}

}  // namespace dbx
