#include "browser/locked_page.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineUrlRequestJob>

#include "attachment_links.h"
#include "shell.h"

namespace dbx {

void LocalOnlyInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl& request = info.requestUrl();
    if (request.scheme() != QLatin1String("file")) {
        info.block(true);
        return;
    }
    // The page itself is where the program sent the pane (LockedPage sees to that).
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) return;
    if (!MayLoad(info.firstPartyUrl(), request)) info.block(true);
}

bool LocalOnlyInterceptor::MayLoad(const QUrl& page, const QUrl& request) {
    if (!page.isLocalFile() || !request.isLocalFile()) return false;
    const QString folder = QFileInfo(QDir::cleanPath(page.toLocalFile())).absolutePath();
    const QString file = QDir::cleanPath(request.toLocalFile());
    return !folder.isEmpty() && file.startsWith(folder + QLatin1Char('/'));
}

void RefusingSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
}

LockedPage::LockedPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
    // Links meant for a new window ("target=_blank") arrive here instead of as navigations.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [](QWebEngineNewWindowRequest& request) {
                if (request.isUserInitiated() && MayOpenOutside(request.requestedUrl())) {
                    Shell::Current().Open(request.requestedUrl().toString());
                }
            });
}

bool LockedPage::MayOpenOutside(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

bool LockedPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (type == NavigationTypeLinkClicked) {
        if (url.scheme() == QLatin1String(kAttachmentScheme)) {
            // Only a link of the page the program showed: never one inside a frame.
            if (isMainFrame) emit AttachmentLinkClicked(this->url(), url);
        } else if (MayOpenOutside(url)) {
            Shell::Current().Open(url.toString());
        }
        return false;
    }
    // The program's own loads only: a mail's frames would show files of their choosing.
    return type == NavigationTypeTyped && isMainFrame;
}

}  // namespace dbx
