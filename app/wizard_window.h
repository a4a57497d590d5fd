#pragma once

#include <string>

class QWidget;

namespace dbx {

class BrowserPane;
class ResultsFilter;
class ResultsModel;
class ResultsView;
struct WindowSession;

// What the parts of the main window (the wizard's flow, its jobs, the list's tools and the
// commands) see of it and may change in it. Used on the user-interface thread only.
class WizardWindow {
  public:
    virtual QWidget* Window() = 0;
    virtual WindowSession& Session() = 0;
    virtual int Step() const = 0;
    // A control of the window's template by id; null for an unknown id.
    virtual QWidget* Control(int id) const = 0;
    virtual void SetControlVisible(int id, bool visible) = 0;
    // `ansiText` is Windows-1252.
    virtual void SetControlText(int id, const std::string& ansiText) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual ResultsModel* Results() const = 0;
    // The rows as the list shows them: narrowed by the find bar, maybe sorted.
    virtual ResultsFilter* Shown() const = 0;
    virtual ResultsView* ResultsList() const = 0;
    virtual BrowserPane* Pane() const = 0;

  protected:
    ~WizardWindow() = default;
};

}  // namespace dbx
