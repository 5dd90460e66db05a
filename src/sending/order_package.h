#pragma once

#include "sending/address_card.h"
#include "sending/dpof.h"
#include "sending/order_message.h"
#include "sending/order_names.h"
#include "sending/send_list.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TPrompter;
class TPriceTables;
class TThumbNails;

// Writes the index sheets of the CD-R pictures into the order folder and returns their paths.
using TIndexSheetHook
    = std::function<QStringList(const QStringList &pictures, const QString &orderFolder)>;

// Everything the packaging takes.
struct TOrderInput {
    // The packing measures the skin reference of every item of kind 1..4 still unmeasured and
    // keeps the measured record in the basket.
    TThumbNails *basket = nullptr;
    const TPriceTables *tables = nullptr;
    TOrderCustomer customer;
    TOrderShop shop;
    TOrderFigures figures;
    QString workDir; // the local order folder and the count file go here
    QString programVersion;
    QDateTime now;
    int cardCopies = 0; // prints of the address card
    QString phoneUrl;
    QString machineId;
    bool askMachineId = false;
    TIndexSheetHook indexSheets; // CD-R orders only; none: no index sheets
    QString indexSize = QStringLiteral("L"); // each index sheet is one print of this size
    // Called after each item of the basket has been placed (its local copy made if missing):
    // items done and in all, for the transmission window.
    std::function<void(int done, int total)> onPicture;
};

// A packed order: the local folder, the remote order name and what is to be sent.
struct TPackedOrder {
    QString localFolder;
    QString name; // N
    TSendList sendList;
    QString messageFile; // local N.mes
    QString entryFile; // local SendList.etr
    QString correctionFile; // empty when there are no corrections
    QString countFile; // empty for "test-order"
    QStringList messageLines;
    QDateTime start;
    int sentFiles = 0; // files that have left the send list
    // HTTP mode: the piece of the first unsent file that the upload script asked for last, so
    // that a later attempt goes on with it (the script's answers keep it right).
    int nextPiece = 1;
};

// Packs the order. A missing or empty picture shows the warning through the prompter and stops
// packaging (nullopt; the local folder is removed again). A picture whose skin reference cannot
// be measured changes its correction kind (4 to 5, others to 0) and the order goes on.
std::optional<TPackedOrder> PackOrder(const TOrderInput &input, TPrompter &prompter);

} // namespace korvatel
