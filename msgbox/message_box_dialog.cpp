#include "message_box_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "ansi_codepage.h"
#include "markup_images.h"
#include "message_box_labels.h"
#include "resource_registry.h"

namespace dbx {
namespace {

constexpr char kCountdownOnButton[] = "%s = %d";

QSize TextExtent(const QFontMetrics& metrics, const std::string& text) {
    return QSize(metrics.horizontalAdvance(AnsiToQString(text)), metrics.height());
}

std::optional<QStyle::StandardPixmap> StandardIconOf(unsigned style) {
    switch (style & kMbIconMask) {
        case kMbIconStop:
            return QStyle::SP_MessageBoxCritical;
        case kMbIconQuestion:
            return QStyle::SP_MessageBoxQuestion;
        case kMbIconExclamation:
            return QStyle::SP_MessageBoxWarning;
        case kMbIconInformation:
            return QStyle::SP_MessageBoxInformation;
        default:
            return std::nullopt;
    }
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(const MessageBoxOptions& options)
    : QDialog(options.owner), options_(options), content_(ResolveContent(options_)) {
    setObjectName(QStringLiteral("markupMessageBox"));
    // The platform's message-box font, as the classic box takes the non-client message font.
    font_ = QApplication::font("QMessageBoxLabel");
    setFont(font_);

    if (options_.disableSeconds > 0) countdown_ = options_.disableSeconds;
    if (options_.autoCloseSeconds > 0) countdown_ = options_.autoCloseSeconds;
    for (int area = 0; area < 3; ++area) {
        renderers_[area].SetNotifyTarget(this, kRendererNotifyMessage, area);
    }

    ChooseIcon();
    std::optional<unsigned> handle;
    if (iconHandle_) handle = iconHandle_->Value();
    bodyMarkup_ =
        WrapBodyMarkup(content_.body, options_.style & kMbRight, handle, markup::kSystemIconSize);
    MeasureAndCreate();
    setWindowTitle(CaptionText());
    UpdateCloseState();

    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    // Window managers cannot grey a close button, so a box whose Close item could never come
    // on shows none; a countdown's greying is kept by CloseEnabled() alone.
    if (content_.cancelAllowed) flags |= Qt::WindowCloseButtonHint;
    if (options_.style & kMbTopmost) flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);

    setFixedSize(layout_.clientWidth, layout_.clientHeight);
    CentreWindow();
    PlaceControls();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted from the cached background

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] { CountdownTick(); });
    if (countdown_ != 0) timer_.start();
}

MessageBoxDialog::~MessageBoxDialog() = default;

void MessageBoxDialog::ChooseIcon() {
    const unsigned bits = options_.style & kMbIconMask;
    const QSize size(markup::kSystemIconSize, markup::kSystemIconSize);
    QIcon icon;
    if (const auto standard = StandardIconOf(options_.style)) {
        icon = QApplication::style()->standardIcon(*standard, nullptr, this);
    } else if (bits == kMbUserIcon && options_.userIcon.IsId()) {
        const ResourceRegistry& module =
            options_.iconModule ? *options_.iconModule : ResourceRegistry::Instance();
        icon = module.Icon(options_.userIcon.ResourceId());
    }
    if (icon.isNull()) return;
    icon_ = icon.pixmap(size).toImage();
    if (icon_.isNull()) return;
    iconHandle_ = std::make_unique<ImageHandle>(icon_);
}

void MessageBoxDialog::MeasureAndCreate() {
    const QFontMetrics metrics(font_);
    QImage scratch(1, 1, QImage::Format_RGB32);
    DeviceContext dc(&scratch);

    BoxMeasures measures;
    measures.headerMinimum = options_.headerHeight;
    if (options_.headerHeight != 0) {
        if (!content_.header.empty()) {
            measures.headerText = renderers_[kHeader].Measure(dc, content_.header);
        }
        if (options_.headerArea.separatorStyle != 0) {
            measures.headerCaption = TextExtent(metrics, content_.headerSeparatorCaption);
        }
    }
    if (!bodyMarkup_.empty()) measures.bodyText = renderers_[kBody].Measure(dc, bodyMarkup_);
    if (!content_.more.empty()) measures.moreText = renderers_[kMore].Measure(dc, content_.more);

    const AreaStyle& band = options_.buttonsArea;
    measures.buttonsBackground = band.backgroundEffect >= 0 || band.separatorStyle != 0;
    if (band.separatorStyle != 0) {
        measures.buttonsCaption = TextExtent(metrics, content_.buttonsSeparatorCaption);
    }

    if (content_.checkBox) {
        measures.checkBox = true;
        const QSize label = TextExtent(metrics, content_.checkBoxLabel);
        measures.checkBoxLabel = label;
        checkBox_ = new QCheckBox(this);
        checkBox_->setObjectName(QStringLiteral("checkBox"));
        checkBox_->setChecked(options_.style & kMbChecked);
        checkLabel_ = new QLabel(this);
        checkLabel_->setObjectName(QStringLiteral("checkBoxLabel"));
        checkLabel_->setTextFormat(Qt::PlainText);
        checkLabel_->setFont(font_);
        checkLabel_->setText(AnsiToQString(content_.checkBoxLabel));
        checkLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    CreateButtons(measures);
    measures.captionWidth = CaptionWidth();
    // Never larger than the screen: the images of the box follow its size.
    layout_ = CapBoxLayout(ComputeBoxLayout(measures), AvailableArea().size());
}

void MessageBoxDialog::CreateButtons(BoxMeasures& measures) {
    const QFontMetrics metrics(font_);
    for (std::size_t i = 0; i < content_.buttons.size(); ++i) {
        const BoxButton& entry = content_.buttons[i];
        QSize extent = TextExtent(metrics, entry.label);
        if (entry.id == kIdMore) extent = extent.expandedTo(TextExtent(metrics, entry.openLabel));
        measures.buttonLabels.push_back(extent);

        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("button%1").arg(entry.id));
        button->setFont(font_);
        DecorateButton(i, button);
        // Dialogs make their first auto-default button the default one when none is; a
        // waiting button must not be it.
        button->setAutoDefault(button->isEnabled());
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
        buttons_.push_back({id, button});
    }
    if (QPushButton* button = DefaultButton(); button && button->isEnabled()) button->setFocus();
}

// The countdown's look at creation: Help never disabled; with the countdown in the caption
// every other button waits; otherwise only the default button carries the count.
void MessageBoxDialog::DecorateButton(std::size_t index, QPushButton* button) {
    const BoxButton& entry = content_.buttons[index];
    const bool isDefault = int(index) == content_.defaultIndex;
    const bool disabling = options_.disableSeconds > 0;
    const bool inCaption = disabling && options_.countdownInCaption;
    const QString counted = AnsiToQString(FormatLabel(kCountdownOnButton, entry.label, countdown_));
    button->setText(AnsiToQString(entry.label));
    if (entry.id == kIdHelp) {
        if (!isDefault) return;
        button->setDefault(true);
        if (options_.autoCloseSeconds > 0 || (disabling && !inCaption)) button->setText(counted);
        return;
    }
    if (inCaption) {
        button->setEnabled(false);
        return;
    }
    if (!isDefault) return;
    button->setDefault(!disabling);
    if (countdown_ != 0) {
        button->setText(counted);
        button->setEnabled(!disabling);
    }
}

void MessageBoxDialog::PlaceControls() {
    const QRect client(0, 0, layout_.clientWidth, layout_.clientHeight);
    const bool below = content_.checkBox && (options_.style & kMbCheckBoxBelow);
    const std::vector<QRect> rects =
        PlaceButtons(client, int(buttons_.size()), layout_.button, options_.buttonAlignment, below);
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i].widget->setGeometry(rects[i]);
    if (!content_.checkBox) return;
    const QFontMetrics metrics(font_);
    QSize label = TextExtent(metrics, content_.checkBoxLabel);
    label.setHeight(std::max(label.height(), kCheckBoxSize));
    const CheckBoxPlacement placement =
        PlaceCheckBox(client, label, layout_.button.height(), below);
    checkBox_->setGeometry(placement.box);
    checkLabel_->setGeometry(placement.label);
}

void MessageBoxDialog::CentreWindow() {
    QRect area;
    if (QWidget* parent = parentWidget()) {
        area = parent->window()->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = QRect(QPoint(0, 0), screen->size());
    }
    int x = area.left() + (area.width() - width()) / 2;
    int y = area.top() + (area.height() - height()) / 2;
    // An owner near the screen's edge must not push the box off it.
    const QRect screen = AvailableArea();
    x = std::max(screen.left(), std::min(x, screen.left() + screen.width() - width()));
    y = std::max(screen.top(), std::min(y, screen.top() + screen.height() - height()));
    move(x, y);
}

QRect MessageBoxDialog::AvailableArea() const {
    const QScreen* screen = nullptr;
    if (QWidget* parent = parentWidget()) screen = parent->window()->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return QRect(0, 0, kFallbackScreenWidth, kFallbackScreenHeight);
    return screen->availableGeometry();
}

// The caption in a bold title font, with room for the window icon and the title-bar buttons:
// a box narrower than that would show its caption cut.
int MessageBoxDialog::CaptionWidth() const {
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    const int text = QFontMetrics(title).horizontalAdvance(CaptionText());
    const int bar = std::max(kMinTitleBarButton, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int buttons = content_.cancelAllowed ? 1 : 0;
    return text + (1 + buttons) * bar + 2 * kCaptionMargin;
}

void MessageBoxDialog::UpdateCloseState() {
    const bool cancel = content_.cancelAllowed;
    if (options_.disableSeconds < 1) {
        closeEnabled_ = cancel;
    } else if (options_.countdownInCaption) {
        closeEnabled_ = false;
    } else {
        const bool defaultIsCancel =
            !content_.buttons.empty() && content_.buttons[content_.defaultIndex].id == kIdCancel;
        closeEnabled_ = cancel && !defaultIsCancel;
    }
}

QString MessageBoxDialog::CaptionText() const {
    if (options_.disableSeconds > 0 && options_.countdownInCaption && countdown_ > 0) {
        return AnsiToQString(FormatLabel(content_.countdownFormat, content_.caption, countdown_));
    }
    return AnsiToQString(content_.caption);
}

QPushButton* MessageBoxDialog::Button(int id) const {
    for (const CreatedButton& button : buttons_) {
        if (button.id == id) return button.widget;
    }
    return nullptr;
}

std::vector<int> MessageBoxDialog::ButtonIds() const {
    std::vector<int> ids;
    for (const CreatedButton& button : buttons_) ids.push_back(button.id);
    return ids;
}

QPushButton* MessageBoxDialog::DefaultButton() const {
    if (buttons_.empty()) return nullptr;
    return buttons_[std::size_t(content_.defaultIndex)].widget;
}

QString MessageBoxDialog::DefaultButtonLabel() const {
    if (content_.buttons.empty()) return {};
    const BoxButton& entry = content_.buttons[std::size_t(content_.defaultIndex)];
    return AnsiToQString(entry.id == kIdMore && moreOpen_ ? entry.openLabel : entry.label);
}

int MessageBoxDialog::AreaHeight(Area area) const {
    switch (area) {
        case kHeader:
            return layout_.headerHeight;
        case kBody:
            return layout_.bodyHeight;
        case kMore:
            return layout_.moreHeight;
    }
    return 0;
}

}  // namespace dbx
