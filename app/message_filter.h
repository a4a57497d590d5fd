#pragma once

#include <QObject>

namespace dbx {

class RecoveryDialog;

// Looks at every input event of the application before the main window handles it: a right
// click inside the preview pane is swallowed (no context menu); F1 anywhere in the window
// runs Help; Alt+Space opens the window menu; Enter and Escape never press a button.
class MessageFilter : public QObject {
    Q_OBJECT
  public:
    explicit MessageFilter(RecoveryDialog* dialog);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InDialog(QObject* target) const;
    bool InPreviewPane(QObject* target) const;

    RecoveryDialog* dialog_;
};

}  // namespace dbx
