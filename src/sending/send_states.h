#pragma once

#include <QString>
#include <optional>

namespace korvatel
{

// The state the upload reports when its automatic mode gives FTP up and sends the rest of the
// order over HTTP.
QString HttpFallbackState();

// A file of the order as a state of the upload starts it: its 1-based number in the send and its
// name, empty where the state gives only the number ("Starting 3/10" before an entry or message
// file).
struct TStartedFile {
    int number = 0;
    QString name;
};

// The file a state starts; nullopt for every other state.
std::optional<TStartedFile> StartedFileOf(const QString &state);

} // namespace korvatel
