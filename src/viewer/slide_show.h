#pragma once

#include <QList>

namespace korvatel
{

// The slide-show interval choices in ms and their captions "０．２秒" … "５．０秒".
struct TIntervalChoice {
    int ms;
    const char *caption;
};
const QList<TIntervalChoice> &SlideIntervals();

// The menu item that shows an interval setting: the choice of exactly that many ms, else the
// item "1．０秒".
int SlideIntervalIndex(int ms);

// The timer interval of the setting: a hand-edited State.ini cannot go below 0.2 or above 5
// seconds.
int SlideTimerInterval(int ms);

// The picture a slide show starts with: the one last viewed from the browser list while it is
// still in the list, else the first. -1 when the list is empty.
int SlideStartIndex(int current, int count);

// The picture after current, or -1 when current was the last one and the show ends.
int NextSlideIndex(int current, int count);

} // namespace korvatel
