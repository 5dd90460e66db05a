#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

class TIndexFormat;

// The index format object of the run: it starts with the built-in layout; the main window
// loads the layout once the shop options are read.
TIndexFormat &GlobalIndexFormat();

// The index sheets of a CD-R order: the layout of the global index format (the built-in one
// unless another was loaded) with the pictures in order, written into orderFolder as
// "INDEX01.JPG", "INDEX02.JPG", ... Returns the written paths; empty when there are no
// pictures or anything failed, and then no sheet of this call is left in the folder.
QStringList MakeIndexSheets(const QStringList &pictures, const QString &orderFolder);

// How many sheets MakeIndexSheets writes for that many pictures in the global layout: as many
// pages as its grid needs, one when the grid holds nothing, none without pictures.
int IndexSheetCount(int pictures);

} // namespace korvatel
