#include "layout/window_layout.h"

#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QLayout>
#include <QPainter>
#include <QStyle>

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
// Every shown column's width at the template's size before the list shares its room, and
// the least the Date column gets.
constexpr int kColumnWidth = 170;
// Store names are short ("Inbox", "Sent Items", "Store 2").
constexpr int kFolderWidth = 110;

// The controls that keep their distance to the window's bottom edge, to its right edge, or
// both; and those of step 1 that stay centred.
constexpr int kBottomBand[] = {kIdInstruction, kIdStatusLine, kIdProgress};
constexpr int kRightEdge[] = {kIdHomePage};
constexpr int kBottomRightCorner[] = {kIdNext, kIdBack, kIdStop};
constexpr int kCentred[] = {kIdPicture, kIdSelectFrame, kIdPath, kIdBrowse};
// What a narrow list takes from its columns first, down to these widths: the Status column's
// room, then the texts' alike. The Date column keeps its width, so that it is never cut.
constexpr int kLeastStatusWidth = 100;
constexpr int kLeastTextWidth = 80;
constexpr int kTextColumns[] = {ResultsModel::kFrom, ResultsModel::kSubject, ResultsModel::kTo,
                                ResultsModel::kFolder};
// The columns that share a wider list's room, with their shares of it (out of what the shown
// ones hold together).
constexpr std::pair<int, int> kColumnShares[] = {{ResultsModel::kFrom, 3},
                                                 {ResultsModel::kSubject, 4},
                                                 {ResultsModel::kTo, 2},
                                                 {ResultsModel::kDate, 1},
                                                 {ResultsModel::kFolder, 1}};

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
    header->resizeSection(ResultsModel::kFolder, kFolderWidth);
    list->setColumnHidden(ResultsModel::kFolder, true);
    m_columnWidths.clear();
    for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
        // A hidden section's size reads 0; the Folder column's is known.
        m_columnWidths.push_back(column == ResultsModel::kFolder ? kFolderWidth
                                                                 : header->sectionSize(column));
    }
}

void WindowLayout::ShowFolders(bool shown) {
    auto* list = qobject_cast<ResultsView*>(m_dialog.Control(kIdResults));
    if (!list || list->isColumnHidden(ResultsModel::kFolder) != shown) return;
    list->setColumnHidden(ResultsModel::kFolder, !shown);
    ShareColumns();
}

void WindowLayout::ShareColumns() {
    auto* list = qobject_cast<ResultsView*>(m_dialog.Control(kIdResults));
    if (!list || m_columnWidths.size() != std::size_t(ResultsModel::kColumnCount)) return;
    // The room inside the frame, less a vertical scroll bar whether or not one shows now, so
    // that rows coming in do not make the columns jump.
    const int room = list->width() - 2 * list->frameWidth() -
                     list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    QHeaderView* header = list->horizontalHeader();
    const auto shown = [header](int column) { return !header->isSectionHidden(column); };
    std::vector<int> widths = m_columnWidths;
    int used = 0;
    for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
        if (shown(column)) used += widths[std::size_t(column)];
    }
    if (room >= used) {
        int whole = 0;
        for (const auto& [column, share] : kColumnShares) whole += shown(column) ? share : 0;
        for (const auto& [column, share] : kColumnShares) {
            if (shown(column)) widths[std::size_t(column)] += (room - used) * share / whole;
        }
    } else {
        int deficit = used - room;
        int& status = widths[ResultsModel::kStatus];
        const int fromStatus = std::clamp(status - kLeastStatusWidth, 0, deficit);
        status -= fromStatus;
        deficit -= fromStatus;
        int sharing = 0;  // From, Subject and To at least
        for (int column : kTextColumns) sharing += shown(column) ? 1 : 0;
        const int each = (deficit + sharing - 1) / std::max(1, sharing);
        for (int column : kTextColumns) {
            int& width = widths[std::size_t(column)];
            if (shown(column)) width = std::max(kLeastTextWidth, width - each);
        }
    }
    for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
        header->resizeSection(column, widths[std::size_t(column)]);
    }
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
    // The find bar is part of the layout: it takes the bottom of the list's place while open.
    m_findBar = m_client->findChild<QWidget*>(QStringLiteral("findBar"));
    if (m_findBar) m_findBar->installEventFilter(this);
    connect(m_wndSplitter, &SplitterBar::Moved, this,
            [this](const SplitterNotification& n) { OnSplitterMoved(n); });
}

void WindowLayout::ShowStep(int step) {
    m_nStep = step;
    if (m_wndSplitter) m_wndSplitter->setVisible(step == 2);
    PlaceListAndPane();
}

void WindowLayout::OnSplitterMoved(const SplitterNotification& notification) {
    if (notification.id != kIdSplitterPlace) return;
    m_nSplitterShift += notification.displacement;
    PlaceListAndPane();
    m_dialog.update();
    m_client->update();
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client) {
        if (event->type() == QEvent::Paint && !m_hBackground.isNull()) PaintBackground();
        if (event->type() == QEvent::Resize) LayOutForSize();
    }
    if (watched == m_findBar &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        PlaceListAndPane();
    }
    return false;
}

void WindowLayout::PaintBackground() {
    QPainter painter(m_client);
    PaintBandedBackground(painter, m_hBackground, DesignedSize(), kBackgroundBottomBand,
                          m_client->size());
}

QSize WindowLayout::Extra() const {
    const QSize designed = DesignedSize();
    return {std::max(0, m_client->width() - designed.width()),
            std::max(0, m_client->height() - designed.height())};
}

void WindowLayout::PlaceListAndPane() {
    if (!m_client) return;
    const QSize extra = Extra();
    const int dx = extra.width();
    const int dy = extra.height();
    // The list and the pane share the extra height; the splitter's drags stay as they were.
    const int down = dy / 2 + m_nSplitterShift;
    QRect list = TemplateRect(kIdResults).adjusted(0, 0, dx, down);
    if (m_findBar && !m_findBar->isHidden()) {
        const int height = m_findBar->sizeHint().height();
        m_findBar->setGeometry(list.left(), list.bottom() + 1 - height, list.width(), height);
        list.setBottom(list.bottom() - height);
    }
    if (QWidget* results = m_dialog.Control(kIdResults)) results->setGeometry(list);
    if (QWidget* pane = m_dialog.Control(kIdPreview)) {
        // In step 1 the pane stays under the picture, which covers it at the template's
        // size: it moves with the picture instead of filling the window. It is never hidden,
        // since showing a web view for the first time makes the window build itself anew.
        pane->setGeometry(m_nStep == 1 ? TemplateRect(kIdPreview).translated(dx / 2, dy / 2)
                                       : TemplateRect(kIdPreview).adjusted(0, down, dx, dy));
    }
}

void WindowLayout::LayOutForSize() {
    if (!m_client || !m_wndSplitter) return;
    const QSize extra = Extra();
    const int dx = extra.width();
    const int dy = extra.height();
    PlaceListAndPane();
    ShareColumns();
    const auto move = [this](int id, QPoint by) {
        if (QWidget* control = m_dialog.Control(id)) control->move(TemplateRect(id).topLeft() + by);
    };
    for (int id : kBottomBand) move(id, {0, dy});
    for (int id : kRightEdge) move(id, {dx, 0});
    for (int id : kBottomRightCorner) move(id, {dx, dy});
    for (int id : kCentred) move(id, {dx / 2, dy / 2});
    const QRect place = TemplateRect(kIdSplitterPlace);
    const int centre = place.top() + SplitterBar::kThickness / 2;
    const int down = dy / 2 + m_nSplitterShift;
    m_wndSplitter->resize(place.width() + dx, SplitterBar::kThickness);
    m_wndSplitter->MoveBarTo(0, centre + down);
    m_wndSplitter->SetTravel(kSplitterUp, kSplitterDown, centre + dy / 2);
}

}  // namespace dbx
