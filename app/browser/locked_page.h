#pragma once

#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

namespace dbx {

// Lets through requests for local files only: pictures, style sheets and frames from the
// network are never fetched, so a mail cannot tell its sender that it was read. What a page
// loads must lie in the page's own folder (the preview folder for every mail), so that no
// page can show another local file.
class LocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Whether a page at `page` may load `request`: a local file in the page's folder.
    static bool MayLoad(const QUrl& page, const QUrl& request);
};

// Answers every load of the attachment links' scheme with a refusal: they are caught as
// clicks and never loaded.
class RefusingSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
  public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

// A page that only goes where the program sends it. Links the user clicks open in the
// user's own programs (web and mail addresses only) or, for the attachment list's own links,
// go to the window; everything else that would navigate away (forms, refreshes, scripts'
// pop-ups) is refused, and no frame is loaded.
class LockedPage : public QWebEnginePage {
    Q_OBJECT
  public:
    LockedPage(QWebEngineProfile* profile, QObject* parent);

    // Web and mail addresses; a clicked link to anything else is dropped.
    static bool MayOpenOutside(const QUrl& url);

  signals:
    // A link of the page's attachment list was clicked on the page at `page`.
    void AttachmentLinkClicked(const QUrl& page, const QUrl& link);

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

}  // namespace dbx
