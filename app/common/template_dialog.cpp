#include "common/template_dialog.h"

#include <QAbstractButton>
#include <QMenuBar>
#include <QPainter>
#include <QVBoxLayout>

#include "ansi_codepage.h"
#include "dialog_units.h"

namespace dbx {
namespace {

constexpr int kOkButton = 1;
constexpr int kCancelButton = 2;

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialog, QImage background, QWidget* parent,
                               const ControlFactory& factory)
    : QDialog(parent), m_hBackground(std::move(background)) {
    setWindowTitle(AnsiToQString(dialog.caption));
    // The rectangles were laid out for the narrow classic dialog font: where it is missing, a
    // face of Arial's widths keeps labels such as "Subject :" inside them.
    QFont font = TemplateFont(dialog);
    font.setFamilies({font.family(), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    setFont(font);

    // The controls lie on a client area of the template's size, below the menu bar if any.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(DialogUnitsToPixelsX(dialog.cx), DialogUnitsToPixelsY(dialog.cy));
    layout->addWidget(client);

    m_controls = BuildControls(dialog, client, factory);
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

void TemplateDialog::SetMenuBar(QMenuBar* menuBar) {
    layout()->setMenuBar(menuBar);
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
    if (!m_hBackground.isNull()) {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_hBackground);
    }
    QDialog::paintEvent(event);
}

}  // namespace dbx
