#include "app/GrowingLayout.h"
#include <QWidget>

GrowingLayout::GrowingLayout(const QSize &classic, QList<LayoutRow> rows)
    : classicClient(classic), table(std::move(rows))
{
    for (LayoutRow &row : table) {
        QWidget *control = row.control;
        control->setToolTip(row.hint);
        if (!row.description.isEmpty())
            control->setAccessibleDescription(row.description);
        row.classic = QRect(control->pos(), row.room.isEmpty() ? control->size() : row.room);
        row.font = control->font();
    }
}

const LayoutRow *GrowingLayout::find(const QWidget *control) const
{
    for (const LayoutRow &row : table)
        if (row.control == control)
            return &row;
    return nullptr;
}

int GrowingLayout::scaled(int pixels) const
{
    return qRound(pixels * percent / 100.0);
}

QSize GrowingLayout::least() const
{
    return {scaled(classicClient.width()), scaled(classicClient.height())};
}

QRect GrowingLayout::mapped(const LayoutRow &row, const QSize &client) const
{
    const QSize extra = (client - least()).expandedTo(QSize(0, 0));
    // Each row above gives its own share, rounded down, as the layout always has.
    int down = 0;
    for (const LayoutRow &above : table)
        if (above.classic.bottom() < row.classic.top())
            down += extra.height() * above.heightShare / heightShares;
    const QRect &c = row.classic;
    QRect r(scaled(c.left()), scaled(c.top()) + down,
            scaled(c.left() + c.width()) - scaled(c.left()),
            scaled(c.top() + c.height()) - scaled(c.top()) + extra.height() * row.heightShare / heightShares);
    if (row.follow == Follow::Right)
        r.setWidth(r.width() + extra.width());
    else if (row.follow == Follow::Both)
        r.translate(extra.width(), 0);
    return r;
}

QFont GrowingLayout::font(const LayoutRow &row) const
{
    QFont f = row.font;
    f.setPixelSize(scaled(row.font.pixelSize()));
    return f;
}
