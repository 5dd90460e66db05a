#pragma once

#include "imaging/correction.h"

#include <QString>
#include <QStringList>

namespace korvatel
{

// The record as stored in the order file ("Scn|Typ=1|Frm=8A645A|..."): each field only when it
// is not zero; an untouched record gives the empty text.
QString RecordToText(const CorrectionRecord &record);

// Reads a record text. An empty text leaves the record as it is; otherwise every field is read
// from its key, a missing or unreadable value giving 0, and values are kept within their
// fields' ranges (kind 0..5, contrast points 0..255).
void TextToRecord(const QString &text, CorrectionRecord &record);
CorrectionRecord TextToRecord(const QString &text);

// The instruction lines told to the shop ("head=H", "ver=0", "hsi=...", "sft=...", "cnt=...");
// empty when there is nothing to tell.
QStringList ShopLines(const CorrectionRecord &record);
// The same joined as comma text, as the order packaging takes them.
QString ShopText(const CorrectionRecord &record);

} // namespace korvatel
