#include "controls/compact_tabs.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>

namespace {

class TCompactTabStyle : public QProxyStyle {
public:
    // The base is a copy of the application's style, owned by the proxy.
    TCompactTabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

} // namespace

void UseCompactTabs(QTabBar& bar) {
    auto* style = new TCompactTabStyle;
    style->setParent(&bar); // lives as long as the bar that uses it
    bar.setStyle(style);
}
