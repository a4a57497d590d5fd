#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "color_ref.h"
#include "system_colors.h"

class QWidget;

namespace dbx {

class ResourceRegistry;

// A text given either as Windows-1252 text or as the id of a string resource. The default
// value is null; null, empty text and ids that cannot be looked up all resolve to "".
class TextOrId {
  public:
    TextOrId() = default;
    TextOrId(const char* text);  // NOLINT: texts are given as literals everywhere
    TextOrId(std::string text);  // NOLINT
    static TextOrId Id(int id);

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsId() const { return std::holds_alternative<int>(value_); }
    int ResourceId() const { return IsId() ? std::get<int>(value_) : 0; }
    std::string Text() const;  // the text itself; "" for null and ids

    // Ids are looked up in `strings` (the program's own registry when null) unless
    // `noResources` is set.
    std::string Resolve(const ResourceRegistry* strings, bool noResources = false) const;

    bool operator==(const TextOrId&) const = default;

  private:
    std::variant<std::monostate, std::string, int> value_;
};

// Style bits; the low byte is the button set and the icon, as with the platform's box.
enum MessageBoxStyle : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbAbortRetryIgnore = 0x2,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbRetryCancel = 0x5,
    kMbCancelTryContinue = 0x6,
    kMbContinueAbort = 0x7,
    kMbSkipSkipAllCancel = 0x8,
    kMbIgnoreIgnoreAllCancel = 0x9,
    kMbButtonSetMask = 0xF,
    kMbIconStop = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,
    kMbUserIcon = 0x80,
    kMbIconMask = 0xF0,
    kMbDefaultButtonMask = 0xF00,
    kMbHelp = 0x4000,
    kMbSetForeground = 0x10000,
    kMbTopmost = 0x40000,
    kMbRight = 0x80000,
    kMbCheckBox = 0x01000000,
    kMbChecked = 0x02000000,
    kMbCheckBoxBelow = 0x04000000,
    kMbYesToAll = 0x08000000,
    kMbNoToAll = 0x10000000,
    kMbNoResources = 0x20000000,
    kMbNoSound = 0x40000000,
};

// Ids of the buttons, which are also the results.
enum MessageBoxButtonId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdAbort = 3,
    kIdRetry = 4,
    kIdIgnore = 5,
    kIdYes = 6,
    kIdNo = 7,
    kIdHelp = 9,
    kIdTryAgain = 10,
    kIdContinue = 11,
    kIdSkip = 14,
    kIdSkipAll = 15,
    kIdIgnoreAll = 16,
    kIdYesToAll = 19,
    kIdNoToAll = 20,
    kIdReport = 21,
    kIdCustomFirst = 23,
    kIdCustomLast = 26,
    kIdMoreOpen = 30,
    kIdMore = 31,
};

// Keys of a ButtonLabelMap beside the button ids.
constexpr std::int32_t kCheckBoxLabelKey = 0x01000000;
constexpr std::int32_t kCountdownFormatKey = std::int32_t(0x80000000u);

// Labels by button id (signed order).
using ButtonLabelMap = std::map<std::int32_t, TextOrId>;

// The background and separator line of one area of the box.
struct AreaStyle {
    int separatorStyle = 0;             // 0 none, 1 etched, 2 black, 3 white line
    int separatorCaptionAlignment = 0;  // 0 left, 1 right, 2 centred
    TextOrId separatorCaption;
    int backgroundEffect = -1;  // -1 none, else a background effect number
    ColorRef color1 = GetSysColor(kColorBtnFace);
    ColorRef color2 = GetSysColor(kColorBtnFace);
    ColorRef color3 = GetSysColor(kColorBtnFace);
};

// Everything a message box can be told beyond its four arguments. Callers start from the
// defaults and change what they need.
struct MessageBoxOptions {
    QWidget* owner = nullptr;                        // replaced by the owner argument
    const ResourceRegistry* stringModule = nullptr;  // null: the program's own resources
    const ResourceRegistry* iconModule = nullptr;    // null: the program's own resources
    TextOrId caption;                                // replaced by the caption argument
    std::string rememberPrefix;                      // empty: "Do not show again" not kept
    std::string rememberCompany;
    std::int32_t rememberNumber = 0;
    std::uint32_t reportMessage = 0;  // non-zero (with an owner) adds the Report button
    AreaStyle windowArea;
    std::int32_t headerHeight = 0;  // 0: no header band
    TextOrId headerText;
    AreaStyle headerArea;
    TextOrId text;                             // replaced by the text argument
    std::int32_t buttonAlignment = 2;          // 0 left, 1 right, 2 centred
    std::uint32_t style = kMbIconExclamation;  // replaced by the style argument
    AreaStyle buttonsArea;
    TextOrId moreText;  // non-empty adds the More button and its details area
    AreaStyle moreArea;
    std::int32_t autoCloseSeconds = 0;
    std::int32_t disableSeconds = 0;
    std::int32_t countdownInCaption = 0;
    std::int32_t helpContext = 0;
    TextOrId userIcon;
    TextOrId customButtons;  // up to four labels, one per line
    TextOrId checkBoxLabel;  // empty: "Do not show again"
    const ButtonLabelMap* labelMap = nullptr;
};

// The options every message of this program is shown with: the defaults, with a light
// yellow and white bump ("vbump") behind the whole box.
MessageBoxOptions AppMessageOptions();

// Shows `text` (markup) in a modal box and returns the id of the button that closed it, with
// kMbChecked merged in when the "Do not show again" box was ticked. `text` and `caption` are
// Windows-1252. `options` may be null (all defaults); owner, text, caption and style given as
// arguments replace those of the options. While a MessageBoxTestSeam exists, nothing is shown.
int ShowMarkupMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                         unsigned style, const MessageBoxOptions* options);

// The same with text and caption given as text-or-id values (string-table ids resolved through
// the string module); a null or empty caption text takes the owner's title or "Error".
int ShowMarkupMessageBoxEx(QWidget* owner, const TextOrId& text, const TextOrId& caption,
                           unsigned style, const MessageBoxOptions* options);

// The buttons of the style's button set, in creation order (Yes to all and No to all
// included when the style asks for them).
std::vector<int> StyleButtons(unsigned style);
// The id the style's default-button index selects; 1 (OK) for a set without buttons.
int DefaultButtonId(unsigned style);

// What a box would have shown.
struct ShownMessageBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
    MessageBoxOptions options;  // as the box got them, arguments applied
};

// Test seam: while an object of this class exists, ShowMarkupMessageBox records each box
// instead of showing it and returns at once, with the next queued answer or, when none is
// queued, the id of the style's default button. Used on the user-interface thread only.
class MessageBoxTestSeam {
  public:
    MessageBoxTestSeam();
    ~MessageBoxTestSeam();
    MessageBoxTestSeam(const MessageBoxTestSeam&) = delete;
    MessageBoxTestSeam& operator=(const MessageBoxTestSeam&) = delete;

    // Queues the answer of a box still to come.
    void Answer(int result) { answers_.push_back(result); }
    // The next box is shown for real and answered by whoever closes it: for tests of what
    // closes a box while it is up.
    void ShowNextForReal() { showNextForReal_ = true; }
    const std::vector<ShownMessageBox>& Shown() const { return shown_; }
    void Clear() { shown_.clear(); }

    // For implementations of ShowMarkupMessageBox: the seam in force, or null.
    static MessageBoxTestSeam* Active();
    int Take(ShownMessageBox box);
    // Whether this box is to be shown for real (recorded all the same).
    bool TakeRealTurn(const ShownMessageBox& box);

  private:
    std::deque<int> answers_;
    std::vector<ShownMessageBox> shown_;
    MessageBoxTestSeam* previous_ = nullptr;
    bool showNextForReal_ = false;
};

}  // namespace dbx
