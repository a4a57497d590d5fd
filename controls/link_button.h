#pragma once

#include <QImage>
#include <QPushButton>
#include <QTimer>

namespace dbx {

// A picture that acts as a link: it takes the size of its face picture, shows the hand cursor
// and a hint, and sends its click like any button. Without a face it shows its text as a link.
class CLinkButton : public QPushButton {
    Q_OBJECT

  public:
    explicit CLinkButton(QWidget* parent = nullptr);

    // Loads the face from the resources (greys in the system's 3-D colours) and resizes the
    // button to it without moving it.
    bool SetFaceBitmap(int resourceId);
    // A null text does nothing; any other turns the hand cursor on.
    void UseHandCursor(const QString& text);
    // A null text changes nothing.
    void SetHint(const QString& text, bool activate = true);

    bool IsHovering() const { return hovering_; }
    bool HasHandCursor() const { return handCursor_; }
    QSize FaceSize() const { return face_.deviceIndependentSize().toSize(); }
    const QString& Hint() const { return hint_; }
    bool HintActive() const { return hintActive_; }

    // How often a hovering button looks whether the pointer has gone.
    static constexpr int kHoverCheckMs = 100;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void StartHover();
    void EndHover();
    void CheckPointer();

    QImage face_;
    bool hovering_ = false;
    bool handCursor_ = false;
    QString hint_;
    bool hintActive_ = false;
    QTimer hoverCheck_;
};

}  // namespace dbx
