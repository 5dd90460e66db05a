#include "viewer/slide_show.h"

#include <algorithm>

namespace korvatel
{

const QList<TIntervalChoice> &SlideIntervals()
{
    static const QList<TIntervalChoice> choices {
        { 200, "０．２秒" },
        { 300, "０．３秒" },
        { 500, "０．５秒" },
        { 700, "０．７秒" },
        { 1000, "1．０秒" },
        { 2000, "２．０秒" },
        { 3000, "３．０秒" },
        { 5000, "５．０秒" },
    };
    return choices;
}

int SlideIntervalIndex(int ms)
{
    const QList<TIntervalChoice> &choices = SlideIntervals();
    for (int i = 0; i < choices.size(); ++i)
        if (choices[i].ms == ms)
            return i;
    return 4;
}

int SlideTimerInterval(int ms)
{
    return std::clamp(ms, 200, 5000);
}

int SlideStartIndex(int current, int count)
{
    if (count <= 0)
        return -1;
    return current >= 0 && current < count ? current : 0;
}

int NextSlideIndex(int current, int count)
{
    return current + 1 < count ? current + 1 : -1;
}

} // namespace korvatel
