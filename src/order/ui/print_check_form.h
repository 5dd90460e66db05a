#pragma once

#include "order/print_quality.h"

#include <QDialog>

class QComboBox;
class QTableWidget;

namespace korvatel
{

class TPriceTables;

// The print check before the summary: one row per print that has too few pixels, with the
// order thumbnail, the file name, the effective resolution and a choice: このまま (keep), a
// smaller size that the picture fills well enough, or トリミング (open the viewer's trimming).
// 注文に進む (OK) hands the choices back; 戻る (Cancel) goes back without any.
class TPrintCheckForm : public QDialog
{
    Q_OBJECT

public:
    TPrintCheckForm(const QList<TPrintQualityIssue> &issues, const TPriceTables &tables,
        int finesLow, int finesHi, QWidget *parent = nullptr);

    QTableWidget *sgPrints() const { return FTable; }
    // The choice box of a row.
    QComboBox *Choice(int row) const;
    // The choices as they stand, row by row.
    QList<TPrintChoice> Choices() const;

private:
    QList<TPrintQualityIssue> FIssues;
    QTableWidget *FTable;
};

// Shows the window when there are issues, then applies what the customer chose. Returns
// pcKeep-only / nothing to do as ppProceed, ppBack when the window was closed with 戻る, or
// ppTrim with the picture to trim when a row chose トリミング.
struct TPrintCheckOutcome {
    enum { ppProceed, ppBack, ppTrim } kind = ppProceed;
    QString trimPath;
};
TPrintCheckOutcome RunPrintCheck(
    TThumbNails &list, const TPriceTables &tables, int finesLow, int finesHi, QWidget *parent);

} // namespace korvatel
