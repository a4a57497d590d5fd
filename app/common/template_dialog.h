#pragma once

#include <QDialog>
#include <QImage>

#include <map>

#include "dialog_builder.h"
#include "dialog_template.h"

class QMenuBar;

namespace dbx {

// A dialog built from its template: the controls at their rectangles (made by `factory` where
// it makes one), the template's caption and font, and a background picture drawn unscaled at
// the top left corner (the window's own colour where it is missing). The template's OK (1)
// and Cancel (2) buttons run OnOK and OnCancel.
class TemplateDialog : public QDialog {
    Q_OBJECT
  public:
    TemplateDialog(const DialogTemplate& dialog, QImage background, QWidget* parent = nullptr,
                   const ControlFactory& factory = {});

    // Controls by template id; null for an unknown id.
    QWidget* Control(int id) const;
    template <typename T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }
    const std::map<int, QWidget*>& Controls() const { return m_controls; }
    const QImage& Background() const { return m_hBackground; }

  protected:
    virtual void OnOK() { accept(); }
    virtual void OnCancel() { reject(); }
    // Puts `menuBar` above the controls; the window grows by its height.
    void SetMenuBar(QMenuBar* menuBar);
    void paintEvent(QPaintEvent* event) override;

  private:
    std::map<int, QWidget*> m_controls;
    QImage m_hBackground;
};

}  // namespace dbx
