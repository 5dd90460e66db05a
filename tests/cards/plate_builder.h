#pragma once

#include "cards/card_types.h"
#include "imaging/bitmap.h"
#include "imaging/dib.h"

#include <QByteArray>
#include <QList>

namespace korvatel::test
{

// Builds plate file bytes: the lead-in, a title line, one entry line per block and the blocks.
class PlateBuilder
{
public:
    PlateBuilder &preview(const TBitmap &bitmap)
    {
        FBlocks.prepend({ "BMP", "preview.bmp", "0:0:1:1", -1, SaveDIBToStream(bitmap) });
        FHasPreview = true;
        return *this;
    }
    // A layer block stored as a BMP; rect as "l:t:r:b", mskc -1 for none.
    PlateBuilder &layer(const TBitmap &bitmap, const QByteArray &rect, qint64 mskc = -1,
        const QByteArray &fileName = "layer.bmp", const QByteArray &ext = "BMP")
    {
        FBlocks.append({ ext, fileName, rect, mskc, SaveDIBToStream(bitmap) });
        return *this;
    }
    // A layer block of data already encoded (a JPEG for "JPG").
    PlateBuilder &layerData(const QByteArray &data, const QByteArray &rect, const QByteArray &ext)
    {
        FBlocks.append({ ext, "layer." + ext.toLower(), rect, -1, data });
        return *this;
    }
    QByteArray build() const
    {
        QByteArray bytes("KorvatelCardEitor=1.00\x01", 23);
        bytes += "Korvatel plate\n";
        QList<Block> blocks = FBlocks;
        if (!FHasPreview)
            blocks.prepend({ "BMP", "preview.bmp", "0:0:1:1", -1, SaveDIBToStream(TBitmap(2, 2)) });
        QByteArray header;
        for (const Block &b : blocks) {
            header += "Size=" + QByteArray::number(b.data.size()) + ";Ext=" + b.ext
                + ";FileName=" + b.fileName + ";Rect=" + b.rect + ";";
            if (b.mskc >= 0)
                header += "Mskc=" + QByteArray::number(b.mskc) + ";";
            header += "\n";
        }
        header.chop(1); // the last entry line ends at the end marker
        bytes += header + "\r";
        for (const Block &b : blocks)
            bytes += b.data;
        return bytes;
    }

private:
    struct Block {
        QByteArray ext, fileName, rect;
        qint64 mskc;
        QByteArray data;
    };
    QList<Block> FBlocks;
    bool FHasPreview = false;
};

} // namespace korvatel::test
