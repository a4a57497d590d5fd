#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace dbx {

// Looks at every input event of the application before the main window handles it: a right
// click inside the preview pane is swallowed (no context menu); F1 anywhere in the window
// runs Help; Alt+Space opens the window menu; Enter and Escape never press a button.
class MessageFilter : public QObject {
    Q_OBJECT
  public:
    // `pane` is the preview pane; `help` runs Help and `systemMenu` opens the window menu.
    MessageFilter(QWidget* dialog, QWidget* pane, std::function<void()> help,
                  std::function<void()> systemMenu);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InDialog(QObject* target) const;
    bool InPreviewPane(QObject* target) const;

    QWidget* dialog_;
    QWidget* pane_;
    std::function<void()> help_;
    std::function<void()> systemMenu_;
};

}  // namespace dbx
