#pragma once

#include <QLabel>

namespace dbx {

// A static control: it keeps its window text exactly as set (line breaks as CR LF, leading
// blanks) and shows it as plain text. Clicks go through to what lies below.
class StaticText : public QLabel {
    Q_OBJECT

  public:
    explicit StaticText(QWidget* parent = nullptr);

    void SetWindowText(const QString& text);
    const QString& WindowText() const { return text_; }

  protected:
    // After the text was stored and shown.
    virtual void OnWindowTextChanged() {}

  private:
    QString text_;
};

}  // namespace dbx
