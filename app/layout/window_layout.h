#pragma once

#include <QImage>
#include <QObject>

namespace dbx {

class ResultsView;
class SplitterBar;
class TemplateDialog;
struct SplitterNotification;

// The window at any size: the painted background, the results list and the preview pane
// that take the room, the bottom band that follows the bottom edge, the splitter bar between
// list and pane, and the list's column widths.
class WindowLayout : public QObject {
    Q_OBJECT
  public:
    // Lets the window grow: the template's size is the smallest.
    explicit WindowLayout(TemplateDialog& dialog);

    // The columns' widths; the Date column fits a long date in the user's own format.
    void SizeColumns(ResultsView* list);
    // Dressing point D: the splitter bar over the template's placeholder, hidden.
    void CreateSplitter();
    // The splitter shows with step 2 only.
    void ShowStep(int step);
    void LayOutForSize();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnSplitterMoved(const SplitterNotification& notification);
    void PaintBackground();

    TemplateDialog& m_dialog;
    QWidget* m_client = nullptr;
    SplitterBar* m_wndSplitter = nullptr;
    QImage m_hBackground;
    int m_nSplitterShift = 0;  // what the splitter's drags moved it in all
};

}  // namespace dbx
