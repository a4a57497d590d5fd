#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;
class QWebEngineProfile;

namespace dbx {

// The preview pane: shows one local file at a time, an HTML file as a page and a text file as
// plain text. Mails are untrusted, so the pane runs no scripts, loads nothing that is not a
// local file, has no context menu and never follows a link itself: a clicked web or mail
// link goes to the user's own programs through the Shell.
class BrowserPane : public QWidget {
    Q_OBJECT
  public:
    explicit BrowserPane(QWidget* parent = nullptr);
    ~BrowserPane() override;

    // Must run before the application object exists: the engine's process-wide settings, the
    // attachment links' scheme, and its sandbox turned off when running as root (the engine
    // refuses to start otherwise).
    static void PrepareEngine();

    // Shows the file at `path`, replacing what was shown; returns at once.
    void Navigate(const QString& path);

    QUrl Url() const;  // the page shown or being loaded
    QWebEngineView* View() const { return view_; }

  signals:
    // Emitted by Navigate before the load starts, so a watcher sees every page asked for.
    void Navigating(const QUrl& url);
    void LoadFinished(const QUrl& url, bool ok);
    // A link of a decoded page's attachment list was clicked: `link` on the page at `page`.
    void AttachmentLinkClicked(const QUrl& page, const QUrl& link);

  private:
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
};

}  // namespace dbx
