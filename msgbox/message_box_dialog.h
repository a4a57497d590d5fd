#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "image_handles.h"
#include "markup_message_box.h"
#include "markup_notify.h"
#include "markup_renderer.h"
#include "message_box_content.h"
#include "message_box_layout.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace dbx {

// The message the renderers send when the link under the mouse changes.
inline constexpr unsigned kRendererNotifyMessage = 0x8064;

// The help file the Help button opens: the executable's path with the file name's extension
// replaced by (or, without one, extended with) ".hlp".
QString HelpFileFor(const QString& executablePath);

// The box's window: buttons, check box and label are widgets of its own, everything else is
// painted. Shown modally by ShowMarkupMessageBox; tests and tools may show it without a modal
// loop and drive it through Command and CountdownTick.
class MessageBoxDialog : public QDialog, public MarkupNotifyTarget {
    Q_OBJECT

  public:
    // `options` as the entry leaves them: owner, caption and style final.
    explicit MessageBoxDialog(const MessageBoxOptions& options);
    ~MessageBoxDialog() override;

    // What a button id, Escape (2) or the close button asks of the box.
    void Command(int id);
    // One second of the countdown, as its timer calls it.
    void CountdownTick();

    QPushButton* Button(int id) const;  // null when the box has no such button
    std::vector<int> ButtonIds() const;
    QCheckBox* CheckBox() const { return checkBox_; }
    QLabel* CheckBoxLabel() const { return checkLabel_; }
    const MessageBoxContent& Content() const { return content_; }
    const std::string& BodyMarkup() const { return bodyMarkup_; }
    const BoxLayout& Layout() const { return layout_; }
    const MarkupRenderer& Renderer(int area) const { return renderers_[area]; }
    bool MoreOpen() const { return moreOpen_; }
    bool CloseEnabled() const { return closeEnabled_; }
    QTimer& CountdownTimer() { return timer_; }
    // The result the box ended with; 0 while it is open.
    int Answer() const { return answer_; }

    enum Area { kHeader = 0, kBody = 1, kMore = 2 };

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void reject() override;  // Escape

    void OnLinkHover(unsigned message, int linkNumber, std::intptr_t parameter) override;

  private:
    struct CreatedButton {
        int id;
        QPushButton* widget;
    };

    void ChooseIcon();
    void MeasureAndCreate();
    void CreateButtons(BoxMeasures& measures);
    void DecorateButton(std::size_t index, QPushButton* button);
    void PlaceControls();
    void CentreWindow();
    QRect AvailableArea() const;
    int CaptionWidth() const;
    void UpdateCloseState();
    QString CaptionText() const;
    void CloseRequested();
    void OpenHelp();
    void SendReport();
    void ToggleMore();
    void End(int id);
    QPushButton* DefaultButton() const;
    QString DefaultButtonLabel() const;
    int AreaHeight(Area area) const;
    QImage ComposeBackground();
    QImage PaintFrame();
    void PaintTexts(QImage& frame);

    MessageBoxOptions options_;
    MessageBoxContent content_;
    QFont font_;
    QImage icon_;
    std::unique_ptr<ImageHandle> iconHandle_;
    std::string bodyMarkup_;
    std::array<MarkupRenderer, 3> renderers_;
    BoxLayout layout_;
    std::vector<CreatedButton> buttons_;
    QCheckBox* checkBox_ = nullptr;
    QLabel* checkLabel_ = nullptr;
    QImage background_;
    QTimer timer_;
    int countdown_ = 0;
    bool moreOpen_ = false;
    bool closeEnabled_ = true;
    bool ending_ = false;
    int answer_ = 0;
};

}  // namespace dbx
