#pragma once

#include "order/order_fixture.h"

namespace korvatel::test
{

// A basket of the sized shop (L 127 × 89 mm, 2L 178 × 127 mm) with a 640 × 480 picture ordered
// as 2L, and, when asked, a 4000 × 3000 one that is large enough for anything.
struct TPrintFixture : TBasketFixture {
    TThumbNail *small = nullptr;

    explicit TPrintFixture(int smallCount = 1, bool withBig = false)
    {
        tables = SizedShopTables();
        small = Add("small.jpg", smallCount, 640, 480);
        if (withBig)
            Add("big.jpg", 1, 4000, 3000);
        list.Recount();
    }

    TThumbNail *Add(const char *name, int count, int width, int height)
    {
        TThumbNail *item = list.AddPicture(1, File(name), false, count, "2L");
        item->Width = width;
        item->Height = height;
        return item;
    }
};

} // namespace korvatel::test
