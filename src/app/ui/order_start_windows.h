#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace korvatel
{

class TBasketActions;
class TClientSession;
class TOrderStart;
class TPrompter;
class TThumbGrid;

// "注文へ" in the main window: the start of a print order with its real windows (summary,
// customer, sending, thanks, history), made when it is first asked for; tests replace them
// through the hooks of Start().
class TOrderStartWindows
{
public:
    // prompter is asked anew for each message, as the window's prompter may change.
    TOrderStartWindows(TClientSession &session, TBasketActions &basket, QWidget *window,
        std::function<TPrompter &()> prompter);
    ~TOrderStartWindows();

    TOrderStart &Start();
    // The press of "注文へ": commits the grid's date editor and runs the order. The windows of
    // the order are modal; a press while they are open is ignored.
    void sbOrderClick(TThumbGrid &grid);
    // At the start of the program: an order that a crash or a power cut interrupted is taken
    // up (the customer is asked first).
    void ResumePending();
    bool Running() const { return FRunning; }
    // Set by the order grid once it has drawn its last item: the customer has looked through
    // every ordered picture. Until then "注文へ" reminds the customer to look.
    void SetGridSeenAll(bool seen) { FGridSeenAll = seen; }
    bool GridSeenAll() const { return FGridSeenAll; }
    // Opens a picture in the viewer for trimming (the print check's トリミング).
    std::function<void(const QString &path)> OpenTrimming;

private:
    TClientSession &FSession;
    TBasketActions &FBasket;
    QWidget *FWindow;
    std::unique_ptr<TPrompter> FPrompter;
    std::unique_ptr<TOrderStart> FStart;
    bool FGridSeenAll = false;
    bool FRunning = false;
};

} // namespace korvatel
