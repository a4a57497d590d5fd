#include "layout/window_layout.h"

#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QLayout>
#include <QPainter>

#include <algorithm>

#include "art_resources.h"
#include "banded_background.h"
#include "common/locale_dates.h"
#include "common/template_dialog.h"
#include "dialog_units.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "resource_registry.h"
#include "splitter_bar.h"
#include "templates.h"

namespace dbx {
namespace {

// How far the splitter may travel from its centre line, up and down.
constexpr int kSplitterUp = 150;
constexpr int kSplitterDown = 70;
// Every shown column's width, and the least the Date column gets.
constexpr int kColumnWidth = 170;

// The controls that keep their distance to the window's bottom edge.
constexpr int kBottomBand[] = {kIdNext,        kIdBack,       kIdStop,
                               kIdInstruction, kIdStatusLine, kIdProgress};

QRect TemplateRect(int id) {
    const ControlTemplate* control = MainDialogTemplate().Find(id);
    return control ? DialogUnitsToPixels(QRect(control->x, control->y, control->cx, control->cy))
                   : QRect();
}

QSize DesignedSize() {
    const DialogTemplate& dialog = MainDialogTemplate();
    return QSize(DialogUnitsToPixelsX(dialog.cx), DialogUnitsToPixelsY(dialog.cy));
}

}  // namespace

WindowLayout::WindowLayout(TemplateDialog& dialog) : QObject(&dialog), m_dialog(dialog) {
    m_client = dialog.findChild<QWidget*>(QStringLiteral("client"));
    dialog.layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    m_client->setMinimumSize(DesignedSize());
    m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    dialog.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_hBackground = ResourceRegistry::Instance().Image(kIdrBackground);
    const qreal ratio = dialog.devicePixelRatioF();
    const QSize own = m_hBackground.size();
    if (!own.isEmpty()) {
        m_hBackground =
            ResourceRegistry::Instance().Image(kIdrBackground, (QSizeF(own) * ratio).toSize());
        m_hBackground.setDevicePixelRatio(ratio);
    }
    m_client->installEventFilter(this);
}

void WindowLayout::SizeColumns(ResultsView* list) {
    QHeaderView* header = list->horizontalHeader();
    for (int column = 0; column < ResultsModel::kLocation; ++column) {
        header->resizeSection(column, kColumnWidth);
    }
    // Present but not visible: it holds each message's offset for the preview and Save.
    header->resizeSection(ResultsModel::kLocation, 0);
    // A late date with wide digits, in the user's own format, must fit the column.
    const QDateTime sample(QDate(2028, 12, 28), QTime(23, 58, 58));
    const std::string text = LocaleDateFormatter()(sample.toSecsSinceEpoch());
    const int needed = list->fontMetrics().horizontalAdvance(QString::fromStdString(text)) +
                       2 * list->fontMetrics().averageCharWidth() + 8;
    header->resizeSection(ResultsModel::kDate, std::max(kColumnWidth, needed));
}

void WindowLayout::CreateSplitter() {
    const QRect place = m_dialog.Control(kIdSplitterPlace)->geometry();
    m_wndSplitter = new SplitterBar;
    m_wndSplitter->setObjectName(QStringLiteral("splitter"));
    m_wndSplitter->CreateBar(true,
                             {place.left(), place.top(), place.right() + 1, place.bottom() + 1},
                             m_client, kIdSplitterPlace);
    m_wndSplitter->SetTravel(kSplitterUp, kSplitterDown, -1);
    m_wndSplitter->hide();
    connect(m_wndSplitter, &SplitterBar::Moved, this,
            [this](const SplitterNotification& n) { OnSplitterMoved(n); });
}

void WindowLayout::ShowStep(int step) {
    if (m_wndSplitter) m_wndSplitter->setVisible(step == 2);
}

void WindowLayout::OnSplitterMoved(const SplitterNotification& notification) {
    if (notification.id != kIdSplitterPlace) return;
    const int d = notification.displacement;
    if (QWidget* list = m_dialog.Control(kIdResults)) {
        QRect r = list->geometry();
        r.setBottom(r.bottom() + d);
        list->setGeometry(r);
    }
    if (QWidget* pane = m_dialog.Control(kIdPreview)) {
        QRect r = pane->geometry();
        r.setTop(r.top() + d);
        pane->setGeometry(r);
    }
    m_nSplitterShift += d;
    m_dialog.update();
    m_client->update();
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client) {
        if (event->type() == QEvent::Paint && !m_hBackground.isNull()) PaintBackground();
        if (event->type() == QEvent::Resize) LayOutForSize();
    }
    return false;
}

void WindowLayout::PaintBackground() {
    QPainter painter(m_client);
    PaintBandedBackground(painter, m_hBackground, DesignedSize(), kBackgroundBottomBand,
                          m_client->size());
}

void WindowLayout::LayOutForSize() {
    if (!m_client || !m_wndSplitter) return;
    const QSize designed = DesignedSize();
    const int dx = std::max(0, m_client->width() - designed.width());
    const int dy = std::max(0, m_client->height() - designed.height());
    // The list and the pane share the extra height; the splitter's drags stay as they were.
    const int down = dy / 2 + m_nSplitterShift;
    if (QWidget* list = m_dialog.Control(kIdResults)) {
        list->setGeometry(TemplateRect(kIdResults).adjusted(0, 0, dx, down));
    }
    if (QWidget* pane = m_dialog.Control(kIdPreview)) {
        pane->setGeometry(TemplateRect(kIdPreview).adjusted(0, down, dx, dy));
    }
    for (int id : kBottomBand) {
        if (QWidget* control = m_dialog.Control(id))
            control->move(TemplateRect(id).topLeft() + QPoint(0, dy));
    }
    const QRect place = TemplateRect(kIdSplitterPlace);
    const int centre = place.top() + SplitterBar::kThickness / 2;
    m_wndSplitter->resize(place.width() + dx, SplitterBar::kThickness);
    m_wndSplitter->MoveBarTo(0, centre + down);
    m_wndSplitter->SetTravel(kSplitterUp, kSplitterDown, centre + dy / 2);
}

}  // namespace dbx
