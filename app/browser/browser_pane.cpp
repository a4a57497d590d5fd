#include "browser/browser_pane.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include "attachment_links.h"
#include "browser/locked_page.h"

namespace dbx {

void BrowserPane::PrepareEngine() {
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Known to the engine, so that a click on an attachment link comes to the page as a
    // navigation, which it refuses, instead of to the desktop as an address to open.
    QWebEngineUrlScheme scheme(kAttachmentScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

BrowserPane::BrowserPane(QWidget* parent) : QWidget(parent) {
    // Off the record: nothing of a mail is kept on disk by the engine.
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setUrlRequestInterceptor(new LocalOnlyInterceptor(profile_));
    profile_->installUrlSchemeHandler(kAttachmentScheme, new RefusingSchemeHandler(profile_));

    QWebEngineSettings* settings = profile_->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // Stores keep their texts in the Windows code page; a page that names none reads so.
    settings->setDefaultTextEncoding(QStringLiteral("windows-1252"));
    // Addresses of schemes the engine does not know are never handed to the desktop.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    view_ = new QWebEngineView(this);
    auto* page = new LockedPage(profile_, view_);
    view_->setPage(page);
    connect(page, &LockedPage::AttachmentLinkClicked, this, &BrowserPane::AttachmentLinkClicked);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    connect(view_, &QWebEngineView::loadFinished, this,
            [this](bool ok) { emit LoadFinished(view_->url(), ok); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
}

BrowserPane::~BrowserPane() {
    // The page must go before the profile it was made with.
    delete view_;
    view_ = nullptr;
}

void BrowserPane::Navigate(const QString& path) {
    if (path.isEmpty()) return;
    const QUrl url = QUrl::fromLocalFile(path);
    emit Navigating(url);
    view_->page()->load(url);
}

QUrl BrowserPane::Url() const {
    return view_->url();
}

}  // namespace dbx
