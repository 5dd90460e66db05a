#pragma once

#include <QString>

namespace korvatel
{

// Makes the folder with its missing parents and gives it to its owner alone (0700). False when
// it cannot be made, or when it is a link or a folder of another user's (left as it is).
bool MakePrivateFolder(const QString &path);

// True when path is missing, or is a folder owned by the user running the program (or a link of
// that user's to such a folder): only such a folder may hold the customer's files.
bool OwnedByThisUser(const QString &path);

// A folder of this run's own in the temporary folder tempRoot, made on first use under a name
// nobody can guess, for its owner alone (0700), and removed with everything in it when the
// program ends. Files that the program hands to other programs (a history text for a viewer,
// an upload's text) go here, never under a fixed name into the shared temporary folder. Empty
// when it cannot be made.
QString PrivateTempDir(const QString &tempRoot);

} // namespace korvatel
