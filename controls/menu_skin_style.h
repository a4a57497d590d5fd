#pragma once

#include <QProxyStyle>

namespace dbx {

// Sizes and draws the items of skinned menus (menu bar and popups) through the menu skin; other
// menus and every other control keep the base style's look. Alt moves to the menu bar.
class MenuSkinStyle : public QProxyStyle {
    Q_OBJECT

  public:
    explicit MenuSkinStyle(QStyle* base = nullptr);

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace dbx
