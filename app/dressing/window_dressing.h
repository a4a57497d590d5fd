#pragma once

#include <QIcon>
#include <QObject>

#include "image_list.h"

class QMenu;
class QMenuBar;

namespace dbx {

class MenuSkinStyle;
class ResultsModel;
class TemplateDialog;

// The window's dressing: the menu skin and the menu icons, the window's icon, the toolbar
// and link pictures, and the Next/Back/Stop icons. Each part is put on at its own point of
// the window's start-up; none changes what a command does.
class WindowDressing : public QObject {
    Q_OBJECT
  public:
    WindowDressing(TemplateDialog& dialog, QMenuBar* menuBar);

    // Dressing point A: the skin on the menu bar, its pop-ups and `systemMenu`.
    void DressMenus(QMenu* systemMenu);
    void SetWindowIcon();
    // Dressing point B: toolbar and link pictures.
    void DressToolbar();
    // Dressing point C: Next, Back and Stop.
    void DressWizardButtons();
    // Dressing point E: the menu commands' icons.
    void AssignMenuIcons();
    // The results list's row icon (of the two list icons, the message's).
    void DressResults(ResultsModel* results);

  protected:
    // A letter in a skinned pop-up runs the item whose mnemonic it is.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TemplateDialog& m_dialog;
    QMenuBar* m_menuBar;
    MenuSkinStyle* m_menuStyle = nullptr;
    ImageList m_imgMenuIcons;
    QIcon m_hIcon;
};

}  // namespace dbx
