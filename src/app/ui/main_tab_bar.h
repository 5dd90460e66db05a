#pragma once

#include <QColor>
#include <QTabBar>

namespace korvatel
{

// The main window's tab bar, drawn by the window itself: a black bar whose background takes the
// colour of the work area shown, with the tabs as flat cells.
class TMainTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit TMainTabBar(QWidget *parent = nullptr);

    QColor Background() const { return FBackground; }
    void SetBackground(const QColor &colour);
    // The empty space before the first tab (the width of the source panel).
    void SetStartMargin(int pixels);
    int StartMargin() const { return FMargin; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    QSize tabSizeHint(int index) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QRect CellRect(int index) const;

    QColor FBackground = Qt::black;
    int FMargin = 0;
};

} // namespace korvatel
