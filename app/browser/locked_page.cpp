#include "browser/locked_page.h"

#include <QWebEngineNewWindowRequest>

#include "shell.h"

namespace dbx {

void LocalOnlyInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (info.requestUrl().scheme() != QLatin1String("file")) info.block(true);
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
        if (MayOpenOutside(url)) Shell::Current().Open(url.toString());
        return false;
    }
    // The program's own loads; frames of a page may load local files (the interceptor turns
    // away the rest).
    return type == NavigationTypeTyped || !isMainFrame;
}

}  // namespace dbx
