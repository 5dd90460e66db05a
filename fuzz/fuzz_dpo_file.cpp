// A card order file (".dpo") and a card price file from arbitrary bytes are read without a
// crash: scrambled lines unscramble or stay, the keys and pictures are found, a change keeps
// the line count, and the history details and prices are built from whatever was read.
#include "cards/card_history.h"
#include "cards/card_order.h"
#include "cards/dpo_file.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> lines = ReadDpoBytes(bytes);
    if (!lines)
        return 0;
    DpoValue(*lines, QStringLiteral("ORDER_NO"));
    DpoPictures(*lines);
    CardHistoryDetails(*lines);
    if (ChangeDpoLines(*lines, *lines).size() != lines->size())
        std::abort();
    if (const std::optional<TCardPrices> prices = ParseCardPrices(*lines)) {
        for (const TCardPriceSet &set : prices->sets) {
            TCardChoices choices;
            choices.num = 20;
            for (int paper = 0; paper < set.papers.size(); ++paper) {
                choices.paperNdx = paper;
                const TCardPrice price = PriceCardOrder(set, choices, 13);
                if (price.total < 0)
                    std::abort();
            }
        }
    }
    return 0;
}
