#pragma once

#include <QWidget>

class QLabel;

namespace korvatel
{

// The status bars under the main window: the main bar (node or folder name, hint and progress,
// scanned folder, spare) with the offline notice, the order bar with the two total bars, and
// the notice of an inconsistent basket.
class TStatusBars : public QWidget
{
    Q_OBJECT

public:
    TStatusBars(bool online, QWidget *parent);

    QLabel *MainPanel(int index) const { return FMainPanels[index]; }
    QLabel *OrderPanel(int index) const { return FOrderPanels[index]; }
    QLabel *TotalPanel(int bar, int index) const { return FTotalPanels[bar][index]; }
    QLabel *lbOffline() const { return FOfflineLabel; }
    QLabel *lbInconsistent() const { return FInconsistentLabel; }

    // The main bar's panel 0 to 3; the third shows the progress of a long command at once.
    void ShowStatus(int panel, const QString &text);
    void SetOrderCounts(int orderedInList, int inList, int items);
    void SetTotals(int items, int prints, int phoneItems, int cdItems);
    void SetInconsistent(bool shown);

private:
    QLabel *FMainPanels[4] = {};
    QLabel *FOrderPanels[4] = {};
    QLabel *FTotalPanels[2][2] = {};
    QLabel *FOfflineLabel = nullptr;
    QLabel *FInconsistentLabel = nullptr;
};

} // namespace korvatel
