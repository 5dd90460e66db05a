#pragma once

#include <QString>
#include <algorithm>

namespace korvatel
{

// The transfer buffer setting: every FTP transfer moves chunks of (BufferNum + 1) × 2,048
// bytes. The value is module-wide and read again after every chunk, so the progress window's
// slider can change it while a transfer runs.
inline constexpr int kDefaultBufferNum = 5;
// The largest setting taken (2 MiB chunks, far beyond what libcurl asks for at once): a number
// from a damaged Performance.ini must not overflow the chunk size.
inline constexpr int kBufferNumLimit = 1023;
int BufferNum();
void SetBufferNum(int value); // clamped to 0 … kBufferNumLimit
inline int ChunkSize(int bufferNum)
{
    return (std::clamp(bufferNum, 0, kBufferNumLimit) + 1) * 2048;
}
// Performance.ini in the settings folder: one "BufferNum=" line. Loading sets the module value
// (the default when the file is missing or the number unreadable) and returns it. Saving
// deletes the file and writes it again only when the value differs from the default.
int LoadPerformance(const QString &sysDataDir);
bool SavePerformance(const QString &sysDataDir, int bufferNum);

// The domain of the maker's own hosting service, to which the transport never connects: a
// configuration value (servers.ini, BlockedDomain). Empty blocks nothing.
void SetBlockedServiceDomain(const QString &domain);
QString BlockedServiceDomain();
// True when host (a host name, "host:port" or a URL) lies in the blocked domain, however the
// URL is written (trailing dots, user parts, "#@" tricks, upper case). The transport also
// refuses a redirect into the domain.
bool InBlockedServiceDomain(const QString &host);

} // namespace korvatel
