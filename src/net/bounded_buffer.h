#pragma once

#include <QByteArray>
#include <QIODevice>

namespace korvatel
{

// A download target that takes at most a fixed number of bytes and refuses every byte beyond,
// which ends the transfer: a hostile server cannot make the program hold more than the limit.
class TBoundedBuffer : public QIODevice
{
public:
    explicit TBoundedBuffer(qint64 limit)
        : FLimit(limit)
    {
        open(QIODevice::WriteOnly);
    }
    const QByteArray &Data() const { return FData; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (FData.size() + size > FLimit)
            return -1;
        FData.append(data, qsizetype(size));
        return size;
    }

private:
    QByteArray FData;
    qint64 FLimit;
};

} // namespace korvatel
