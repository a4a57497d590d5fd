#pragma once

#include <QImage>
#include <QObject>

#include <vector>

namespace dbx {

class ResultsView;
class SplitterBar;
class TemplateDialog;
struct SplitterNotification;

// The window at any size: the painted background; in step 1 the picture and the source
// selection centred, in step 2 the results list (with the find bar under it when open) and
// the preview pane taking the room, the columns sharing the width; the bottom band following
// the bottom edge, Next, Back, Stop and the home-page link the right edge; the splitter bar
// between list and pane. At the template's size everything is where the template puts it.
class WindowLayout : public QObject {
    Q_OBJECT
  public:
    // Lets the window grow: the template's size is the smallest.
    explicit WindowLayout(TemplateDialog& dialog);

    // The columns' widths; the Date column fits a long date in the user's own format.
    void SizeColumns(ResultsView* list);
    // The Folder column is shown only while the rows come from two or more stores.
    void ShowFolders(bool shown);
    // Dressing point D: the splitter bar over the template's placeholder, hidden.
    void CreateSplitter();
    // The splitter shows with step 2 only; the preview pane takes the room in step 2 only.
    void ShowStep(int step);
    void LayOutForSize();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnSplitterMoved(const SplitterNotification& notification);
    void PaintBackground();
    // The list, the find bar and the pane for the window's size and the splitter's drags.
    void PlaceListAndPane();
    // How much wider and taller than the template the window is.
    QSize Extra() const;
    void ShareColumns();

    TemplateDialog& m_dialog;
    QWidget* m_client = nullptr;
    SplitterBar* m_wndSplitter = nullptr;
    QWidget* m_findBar = nullptr;
    std::vector<int> m_columnWidths;  // as sized for the template's width
    QImage m_hBackground;
    int m_nSplitterShift = 0;
    int m_nStep = 1;  // what the splitter's drags moved it in all
};

}  // namespace dbx
