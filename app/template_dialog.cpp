#include "template_dialog.h"

#include <QAbstractButton>
#include <QPainter>

#include "ansi_codepage.h"
#include "dialog_builder.h"
#include "dialog_units.h"

namespace dbx {
namespace {

constexpr int kOkButton = 1;
constexpr int kCancelButton = 2;

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialog, QImage background, QWidget* parent)
    : QDialog(parent), m_hBackground(std::move(background)) {
    setWindowTitle(AnsiToQString(dialog.caption));
    // The rectangles were laid out for the narrow classic dialog font: where it is missing, a
    // face of Arial's widths keeps labels such as "Subject :" inside them.
    QFont font = TemplateFont(dialog);
    font.setFamilies({font.family(), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    setFont(font);
    setFixedSize(DialogUnitsToPixelsX(dialog.cx), DialogUnitsToPixelsY(dialog.cy));
    m_controls = BuildControls(dialog, this);
    if (auto* ok = ControlAs<QAbstractButton>(kOkButton)) {
        connect(ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
    }
    if (auto* cancel = ControlAs<QAbstractButton>(kCancelButton)) {
        connect(cancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    }
}

QWidget* TemplateDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
    if (!m_hBackground.isNull()) {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_hBackground);
    }
    QDialog::paintEvent(event);
}

}  // namespace dbx
