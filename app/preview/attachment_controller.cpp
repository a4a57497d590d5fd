#include "preview/attachment_controller.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "ansi_codepage.h"
#include "attachment_files.h"
#include "attachment_links.h"
#include "common/app_message.h"
#include "common/markup_escape.h"
#include "common/workflow_seam.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "output_path.h"
#include "preview/attachment_texts.h"
#include "shell.h"
#include "wizard_window.h"

namespace dbx {
namespace {

std::string Shown(const QString& text) {
    return EscapeMarkup(QStringToAnsi(text));
}

std::string ShownPath(const std::string& bytes) {
    return Shown(QFile::decodeName(QByteArray::fromStdString(bytes)));
}

// A text of attachment_texts.h with its blanks filled in (already markup).
std::string Said(const char* text, const QString& name, const std::string& path = {},
                 const std::string& reason = {}) {
    std::string said = text;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"%1", Shown(name)},
                                     {"%2", ShownPath(path)},
                                     {"%3", Shown(QString::fromLocal8Bit(reason))}}) {
        for (std::size_t at = said.find(key); at != std::string::npos;
             at = said.find(key, at + value.size())) {
            said.replace(at, key.size(), value);
        }
    }
    return said;
}

}  // namespace

AttachmentController::AttachmentController(WizardWindow& window, QObject* parent)
    : QObject(parent), window_(window), job_([this](AttachmentResult r) { Finish(r); }) {}

void AttachmentController::SetShownPage(const QUrl& page, const ShownMessage& message,
                                        std::vector<MailAttachment> attachments) {
    page_ = page;
    message_ = message;
    attachments_ = std::move(attachments);
}

void AttachmentController::ClearShownPage() {
    page_.clear();
    attachments_.clear();
}

void AttachmentController::OnLink(const QUrl& page, const QUrl& link, const std::string& folder) {
    AttachmentAction action = AttachmentAction::Open;
    int part = -1;
    // A link of a page no longer shown, or not listed there, does nothing.
    if (Running() || page_.isEmpty() || page != page_ ||
        !ReadAttachmentLink(link, &action, &part)) {
        return;
    }
    const MailAttachment* attachment = nullptr;
    for (const MailAttachment& listed : attachments_) {
        if (listed.part == part) attachment = &listed;
    }
    if (!attachment) return;
    const QString clean = CleanAttachmentName(attachment->name);
    AttachmentParams params;
    params.action = action;
    params.message = message_;
    params.part = part;
    params.folder = folder;
    if (action == AttachmentAction::Open) {
        if (IsRiskyAttachment(clean) &&
            AskWarning(Said(texts::kRiskyAttachment, clean)) != kIdYes) {
            return;
        }
    } else {
        params.target = ChooseTarget(clean);
        if (params.target.empty()) return;
        // The dialog hands back a file that is there only once the user agreed to replace it.
        const QFileInfo target(QFile::decodeName(QByteArray::fromStdString(params.target)));
        params.replace = target.exists() || target.isSymLink();
        lastFolder_ = QFile::encodeName(target.absolutePath()).toStdString();
    }
    Start(std::move(params), clean);
}

std::string AttachmentController::ChooseTarget(const QString& cleanName) {
    std::string folder = lastFolder_;
    if (folder.empty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty() || !QFileInfo(documents).isDir()) documents = QDir::homePath();
        folder = QFile::encodeName(documents).toStdString();
    }
    const std::string proposed = JoinPath(folder, QFile::encodeName(cleanName).toStdString());
    if (const WorkflowTestSeam* seam = WorkflowTestSeam::Active(); seam && seam->saveAttachmentAs) {
        return seam->saveAttachmentAs(proposed);
    }
    const QString chosen =
        QFileDialog::getSaveFileName(window_.Window(), AnsiToQString(texts::kSaveAttachmentTitle),
                                     QFile::decodeName(QByteArray::fromStdString(proposed)));
    return QFile::encodeName(chosen).toStdString();
}

void AttachmentController::Start(AttachmentParams params, const QString& name) {
    if (const WorkflowTestSeam* seam = WorkflowTestSeam::Active())
        params.hold = seam->attachmentStart;
    runningName_ = name;
    // As during a preview: the list waits, Stop ends a long extraction.
    window_.SetControlVisible(kIdBack, false);
    window_.SetControlVisible(kIdStop, true);
    window_.ResultsList()->SetBusy(true);
    job_.Start([params = std::move(params)](const std::atomic<int>& stop) {
        return RunAttachmentJob(params, stop);
    });
}

void AttachmentController::Finish(const AttachmentResult& result) {
    window_.ResultsList()->SetBusy(false);
    window_.SetControlVisible(kIdBack, true);
    window_.SetControlVisible(kIdStop, false);
    const QString name = runningName_;
    switch (result.status) {
        case AttachmentStatus::Written:
            if (result.action == AttachmentAction::Open &&
                !Shell::Current().Open(QFile::decodeName(QByteArray::fromStdString(result.path)))) {
                Notify(Said(texts::kNoProgramForAttachment, name, result.path));
            }
            break;
        case AttachmentStatus::Stopped:
            break;
        case AttachmentStatus::Unreadable:
            Notify(Said(texts::kAttachmentUnreadable, name, {}, result.reason));
            break;
        case AttachmentStatus::Failed:
            Notify(result.action == AttachmentAction::Open
                       ? Said(texts::kAttachmentNotOpened, name, {}, result.reason)
                       : Said(texts::kAttachmentNotSaved, name, result.path, result.reason));
            break;
    }
    emit Ended();
}

}  // namespace dbx
