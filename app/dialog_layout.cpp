// The window at any size: painted background, results list and preview pane that take the
// room, a bottom band that follows the bottom edge; and the Date column's width.
#include <QDateTime>
#include <QHeaderView>
#include <QLayout>
#include <QPainter>

#include <algorithm>

#include "art_resources.h"
#include "banded_background.h"
#include "dialog_units.h"
#include "locale_dates.h"
#include "recovery_dialog.h"
#include "resource_registry.h"
#include "results_model.h"
#include "results_view.h"
#include "splitter_bar.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr int kSplitterUp = 150;
constexpr int kSplitterDown = 70;
constexpr int kMinimumColumnWidth = 170;

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

void RecoveryDialog::MakeResizable() {
    m_client = findChild<QWidget*>(QStringLiteral("client"));
    // The template's size is the smallest; the window may grow and be maximised.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    m_client->setMinimumSize(DesignedSize());
    m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    const qreal ratio = devicePixelRatioF();
    const QSize own = ResourceRegistry::Instance().Image(kIdrBackground).size();
    if (!own.isEmpty()) {
        m_hBackground =
            ResourceRegistry::Instance().Image(kIdrBackground, (QSizeF(own) * ratio).toSize());
        m_hBackground.setDevicePixelRatio(ratio);
    }
    m_client->installEventFilter(this);
}

void RecoveryDialog::PaintBackground() {
    QPainter painter(m_client);
    PaintBandedBackground(painter, m_hBackground, DesignedSize(), kBackgroundBottomBand,
                          m_client->size());
}

void RecoveryDialog::LayOutForSize() {
    if (!m_client || !m_wndSplitter) return;
    const QSize designed = DesignedSize();
    const int dx = std::max(0, m_client->width() - designed.width());
    const int dy = std::max(0, m_client->height() - designed.height());
    // The list and the pane share the extra height; the splitter's drags stay as they were.
    const int down = dy / 2 + m_nSplitterShift;
    if (QWidget* list = Control(kIdResults)) {
        list->setGeometry(TemplateRect(kIdResults).adjusted(0, 0, dx, down));
    }
    if (QWidget* pane = Control(kIdPreview)) {
        pane->setGeometry(TemplateRect(kIdPreview).adjusted(0, down, dx, dy));
    }
    for (int id : kBottomBand) {
        if (QWidget* control = Control(id))
            control->move(TemplateRect(id).topLeft() + QPoint(0, dy));
    }
    const QRect place = TemplateRect(kIdSplitterPlace);
    const int centre = place.top() + SplitterBar::kThickness / 2;
    m_wndSplitter->resize(place.width() + dx, SplitterBar::kThickness);
    m_wndSplitter->MoveBarTo(0, centre + down);
    m_wndSplitter->SetTravel(kSplitterUp, kSplitterDown, centre + dy / 2);
}

void RecoveryDialog::SizeDateColumn() {
    // A late date with wide digits, in the user's own format, must fit the column.
    const QDateTime sample(QDate(2028, 12, 28), QTime(23, 58, 58));
    const std::string text = LocaleDateFormatter()(sample.toSecsSinceEpoch());
    ResultsView* list = ResultsList();
    const int needed = list->fontMetrics().horizontalAdvance(QString::fromStdString(text)) +
                       2 * list->fontMetrics().averageCharWidth() + 8;
    list->horizontalHeader()->resizeSection(ResultsModel::kDate,
                                            std::max(kMinimumColumnWidth, needed));
}

}  // namespace dbx
