#pragma once

#include "order/thumb_nails.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "sending/order_package.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace korvatel::test
{

// A shop with L and 2L on lab channels 101/102 (CD-R 201/202).
inline TPriceTables PackShopTables()
{
    TPriceTables tables(kServerCatalogue);
    tables.Load(TShopData::FromContainer(
        SplitLines(QStringLiteral(":>SIZENAME\nL\n2L\n:>END\n:>USEDSIZE\n*D\n*D\n:>END\n"
                                  ":>CHANNEL\n101\n102\n:>END\n:>CHANNELCD\n201\n202\n:>END\n"
                                  ":>PRICES\nprcNet|L=29\nprcNet|2L=89\n:>END\n"))));
    return tables;
}

// A basket of picture files in a temporary folder, and the input that packs it.
struct TOrderBuilder {
    QTemporaryDir dir;
    TPriceTables tables = PackShopTables();
    TThumbNails basket;
    TOrderInput input;

    TOrderBuilder()
    {
        basket.Context().tables = &tables;
        basket.Context().works = dir.filePath(QStringLiteral("Works"));
        input.basket = &basket;
        input.tables = &tables;
        input.workDir = dir.filePath(QStringLiteral("Work"));
        input.programVersion = QStringLiteral("2.0.1");
        input.now = QDateTime({ 2026, 12, 8 }, { 10, 20, 30, 45 });
        input.customer = { QStringLiteral("山田太郎"), QStringLiteral("03-1234-5678"),
            QStringLiteral("taro@example.jp"), QStringLiteral("192-0000"),
            QStringLiteral("東京都八王子市明神町1-2-3"), QString(), QStringLiteral("ハイツ101"),
            QStringLiteral("4321") };
        input.shop.shopId = QStringLiteral("1234");
        input.shop.name = QStringLiteral("デモ写真館");
        input.shop.mail = QStringLiteral("order@demo-shop.example");
        input.figures.records = { QStringLiteral("<Memo>決済 : 銀行等振込(ksiFurikomi)"),
            QStringLiteral("<Memo>配送 : ご来店(hsoShop)"), QString(),
            QStringLiteral("Size:(1) L;Price:29;Num:3;") };
        input.figures.total = 87;
        input.figures.printCount = 3;
    }

    // A picture file of size bytes (a small JPEG when size is 0) under a sub folder.
    QString Picture(const QString &relative, int size = 0)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        if (size > 0) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (int i = 0; i < size; ++i)
                bytes[i] = char((i * 7 + relative.size()) & 0xFF);
            file.write(bytes);
        } else {
            TBitmap bitmap(16, 12);
            file.write(JpegBytes(bitmap));
        }
        return path;
    }

    // Adds a picture with count prints of size; cd adds it to the CD-R.
    TThumbNail *Add(
        const QString &relative, const QString &size, int count, bool cd = false, int bytes = 0)
    {
        TThumbNail *item = basket.AddPicture(1, Picture(relative, bytes), false, count, size);
        item->CdOrder = cd;
        return item;
    }
};

} // namespace korvatel::test
