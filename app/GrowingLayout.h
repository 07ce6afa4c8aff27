#pragma once
// A window's fixed layout as a table, one row per control, and how it grows:
// every row's classic rectangle mapped to the current client size and zoom.
// At the layout's size and 100 % the mapping is the identity.
#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// Which edges of a control follow the window's right edge as it grows.
enum class Follow { None, Right, Both };

// One control of a window: the control as built (name, rectangle, caption,
// font, colour), its hint and what a screen reader says of it, and how it grows.
struct LayoutRow {
    QWidget *control;
    QString hint = {};        // the tooltip
    QString description = {}; // the accessible description
    Follow follow = Follow::None;
    int heightShare = 0; // of the extra height, in shares of heightShares
    QSize room = {};     // a label's room at the layout's size; empty: the control's own size
    QRect classic = {};  // at the layout's size, taken from the control as built
    QFont font = {};
};

class GrowingLayout {
public:
    // The whole extra height, in shares: every column's shares add up to it.
    static constexpr int heightShares = 12;

    GrowingLayout() = default;
    // Sets each control's hint and description and takes its classic rectangle
    // (its room, for a label) and font.
    GrowingLayout(const QSize &classicClient, QList<LayoutRow> rows);

    const QList<LayoutRow> &rows() const { return table; }
    const LayoutRow *find(const QWidget *control) const;

    int zoom() const { return percent; }
    void setZoom(int zoomPercent) { percent = zoomPercent; }
    int scaled(int pixels) const;
    // The client size of the layout at the current zoom: the window's smallest.
    QSize least() const;

    // A row's rectangle for a client area of `client`: its classic one scaled,
    // moved down by the extra height of every growing row above it, taller by
    // its own share, widened or moved by the extra width.
    QRect mapped(const LayoutRow &row, const QSize &client) const;
    // The row's font at the current zoom.
    QFont font(const LayoutRow &row) const;

private:
    QSize classicClient;
    QList<LayoutRow> table;
    int percent = 100;
};
