#pragma once

#include <QString>
#include <algorithm>
#include <atomic>
#include <memory>

namespace korvatel
{

// The transfer buffer setting: every FTP transfer moves chunks of (BufferNum + 1) × 2,048
// bytes.
inline constexpr int kDefaultBufferNum = 5;
// The largest setting taken (2 MiB chunks, far beyond what libcurl asks for at once): a number
// from a damaged Performance.ini must not overflow the chunk size.
inline constexpr int kBufferNumLimit = 1023;
inline int ChunkSize(int bufferNum)
{
    return (std::clamp(bufferNum, 0, kBufferNumLimit) + 1) * 2048;
}

// The buffer setting of one send, shared by its copies: the send makes it, hands copies to its
// FTP components, which read it again after every chunk, and to the transmission window, whose
// slider changes it while the transfer runs. Another send's buffer is another value.
class TTransferBuffer
{
public:
    explicit TTransferBuffer(int bufferNum = kDefaultBufferNum);

    int BufferNum() const { return FValue->load(); }
    void SetBufferNum(int value); // clamped to 0 … kBufferNumLimit
    int ChunkSize() const { return korvatel::ChunkSize(BufferNum()); }

private:
    std::shared_ptr<std::atomic<int>> FValue;
};

// Performance.ini in the settings folder: one "BufferNum=" line. Loading returns the value
// (clamped; the default when the file is missing or the number unreadable). Saving deletes the
// file and writes it again only when the value differs from the default.
int LoadPerformance(const QString &sysDataDir);
bool SavePerformance(const QString &sysDataDir, int bufferNum);

// The domain of the maker's own hosting service, blocked unless the configuration names
// another (servers.ini, BlockedDomain).
inline constexpr char kDefaultBlockedDomain[] = "hosting.korvatel.example";

// What the transport takes from the server configuration (TServerConfig::Transport): every
// transport component gets its copy from its creator, so components made with different
// settings never influence each other. The defaults are safe: the system's certificate
// authorities, the maker's hosting domain blocked, TLS for FTP only where a host says
// "ftps://", SITE CHMOD 777.
struct TTransportSettings {
    // Certificate authorities that TLS connections trust instead of the system's; empty: the
    // system's.
    QString caFile;
    // The domain to which the transport never connects; empty blocks nothing.
    QString blockedDomain = QString::fromLatin1(kDefaultBlockedDomain);
    // Every FTP session uses TLS throughout, as an "ftps://" host does.
    bool ftpTls = false;
    // The SITE CHMOD mode after uploads and new folders: three or four octal figures, or empty
    // for none.
    QString chmodMode = QStringLiteral("777");

    // True when host (a host name, "host:port" or a URL) lies in the blocked domain.
    bool Blocks(const QString &host) const;
};

// True when host (a host name, "host:port" or a URL) lies in domain, however the URL is written
// (trailing dots, user parts, "#@" tricks, upper case). An empty domain holds nothing. The
// transport also refuses a redirect into the blocked domain.
bool InBlockedDomain(const QString &host, const QString &domain);
// The mode as a SITE CHMOD command may carry it: only figures, never a line break. A mode of any
// other form than three or four octal figures or empty gives "777".
QString SendableChmodMode(const QString &mode);

} // namespace korvatel
