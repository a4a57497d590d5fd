// What the box does with its commands, its countdown and the mouse.
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "ansi_codepage.h"
#include "message_box_dialog.h"
#include "message_box_labels.h"
#include "message_box_memory.h"
#include "message_box_report.h"
#include "shell.h"

namespace dbx {

QString HelpFileFor(const QString& executablePath) {
    const QFileInfo file(executablePath);
    // Only the file name's own full stop counts, so a dotted folder is never cut; a name
    // without one (usual here) gets the extension appended.
    const QString name = file.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= 0 ? name.left(dot) : name;
    return executablePath.left(executablePath.size() - name.size()) + stem + QStringLiteral(".hlp");
}

void MessageBoxDialog::Command(int id) {
    if (id == 0 || ending_) return;
    if (id == kIdCancel && !content_.cancelAllowed) return;
    switch (id) {
        case kIdHelp:
            OpenHelp();
            return;
        case kIdReport:
            SendReport();
            return;
        case kIdMore:
        case kIdMoreOpen:
            ToggleMore();
            return;
        default:
            End(id);
    }
}

void MessageBoxDialog::End(int id) {
    timer_.stop();
    int result = id;
    if (checkBox_ && checkBox_->isChecked()) {
        // The bit says the box was ticked, whatever its starting state.
        result |= int(kMbChecked);
        if (const auto key = RememberKeyOf(options_)) WriteRememberedAnswer(*key, result);
    }
    answer_ = result;
    ending_ = true;
    done(result);
}

// Escape and the close button act as the Close item: not while it is greyed, so that a
// countdown cannot be cut short through a disabled Cancel.
void MessageBoxDialog::CloseRequested() {
    if (closeEnabled_) Command(kIdCancel);
}

void MessageBoxDialog::reject() {
    CloseRequested();
}

void MessageBoxDialog::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    event->ignore();
    CloseRequested();
}

void MessageBoxDialog::OpenHelp() {
    const QString path = HelpFileFor(QCoreApplication::applicationFilePath());
    Shell::Current().Open(path);
}

void MessageBoxDialog::SendReport() {
    if (!options_.owner) return;
    MessageBoxReportEvent event(options_.reportMessage);
    QCoreApplication::sendEvent(options_.owner, &event);
}

void MessageBoxDialog::ToggleMore() {
    moreOpen_ = !moreOpen_;
    const int change = moreOpen_ ? layout_.moreHeight : -layout_.moreHeight;
    setFixedSize(width(), height() + change);
    if (QPushButton* more = Button(kIdMore)) {
        const BoxButton& entry = *std::find_if(content_.buttons.begin(), content_.buttons.end(),
                                               [](const BoxButton& b) { return b.id == kIdMore; });
        more->setText(AnsiToQString(moreOpen_ ? entry.openLabel : entry.label));
    }
    update();
}

void MessageBoxDialog::CountdownTick() {
    const bool disabling = options_.disableSeconds > 0;
    const bool inCaption = disabling && options_.countdownInCaption;
    QPushButton* defaultButton = DefaultButton();
    const std::string plain = QStringToAnsi(DefaultButtonLabel());
    if (countdown_ > 1) {
        --countdown_;
        if (inCaption) {
            setWindowTitle(CaptionText());
        } else if (defaultButton) {
            defaultButton->setText(AnsiToQString(FormatLabel("%s = %d", plain, countdown_)));
        }
        return;
    }
    countdown_ = 0;
    timer_.stop();
    if (disabling) {
        if (content_.cancelAllowed) closeEnabled_ = true;
        if (inCaption) {
            setWindowTitle(CaptionText());
            for (const CreatedButton& button : buttons_) {
                button.widget->setEnabled(true);
                button.widget->setAutoDefault(true);
            }
        } else if (defaultButton) {
            defaultButton->setText(AnsiToQString(plain));
        }
        if (defaultButton) {
            defaultButton->setEnabled(true);
            defaultButton->setAutoDefault(true);
            defaultButton->setDefault(true);
        }
    } else if (options_.autoCloseSeconds > 0) {
        if (!defaultButton) {
            Command(kIdCancel);  // nothing to press; such a box allows Cancel
            return;
        }
        defaultButton->setText(AnsiToQString(plain));
        Command(buttons_[std::size_t(content_.defaultIndex)].id);
    }
}

void MessageBoxDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    for (Area area : {kHeader, kBody, kMore}) {
        if (AreaHeight(area) != 0 && renderers_[area].HitTest(point)) {
            setCursor(Qt::PointingHandCursor);
            return;
        }
    }
    unsetCursor();
}

void MessageBoxDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    for (Area area : {kHeader, kBody, kMore}) {
        if (AreaHeight(area) != 0) renderers_[area].Click(point);
    }
}

void MessageBoxDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (options_.style & kMbSetForeground) {
        raise();
        activateWindow();
    }
}

void MessageBoxDialog::OnLinkHover(unsigned message, int linkNumber, std::intptr_t parameter) {
    (void)message, (void)linkNumber, (void)parameter;
    // Only the texts change when a link lights up.
    update(0, 0, width(), layout_.headerHeight + layout_.bodyHeight);
    if (moreOpen_) update(0, height() - layout_.moreHeight, width(), layout_.moreHeight);
}

}  // namespace dbx
