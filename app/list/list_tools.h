#pragma once

#include <QObject>
#include <QString>

class QAction;
class QActionGroup;
class QMenuBar;

namespace dbx {

class FindBar;
class NothingFoundNote;
class WizardFlow;
class WizardWindow;

// The results list's tools: the find bar (Ctrl+F), sorting by a column's header, the code
// page the store's texts are read in, the choice between the decoded preview and the
// message's source (Ctrl+U), the keyboard's previews, and, in the title, what a finished
// search found (in the list, why it found nothing).
class ListTools : public QObject {
    Q_OBJECT
  public:
    // Puts the tools into the Tools menu of `menuBar`, ahead of the template's items.
    ListTools(WizardWindow& window, WizardFlow& flow, QMenuBar* menuBar);

  private:
    void BuildMenuItems(QMenuBar* menuBar);
    void OnFind();
    void OnFindBarToList(bool preview);
    void OnSortRequested(int column);
    void OnCodePage(const QByteArray& codePage);
    void OnMessageSource(bool source);
    void OnStepShown(int step);
    void ShowFindCounts();
    // Once a search is over: how many it found, in the title, and why when nothing.
    void ShowSearchSummary();
    void OnDeepSearchAsked();

    WizardWindow& m_window;
    WizardFlow& m_flow;
    FindBar* m_findBar = nullptr;
    NothingFoundNote* m_nothingFound = nullptr;
    QActionGroup* m_codePages = nullptr;
    QString m_strTitle;  // the caption, without what a search found
};

}  // namespace dbx
