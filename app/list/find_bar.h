#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace dbx {

// The small bar over the results list that narrows it to the messages whose sender,
// recipient or subject holds the typed text. Escape or its close button clears and hides it.
class FindBar : public QWidget {
    Q_OBJECT
  public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready for typing.
    void Open();
    void Close();
    QString Text() const;
    QLineEdit* Field() const { return field_; }

    // What the bar says next to the field: how many rows are shown of how many.
    void SetCounts(int shown, int total);
    QString Summary() const;

  signals:
    void TextChanged(const QString& text);
    void Closed();
    // Down or Enter in the field: the list takes over, Enter previewing at once.
    void ToList(bool preview);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* field_;
    QLabel* summary_;
    QToolButton* close_;
};

}  // namespace dbx
